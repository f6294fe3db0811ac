#include "ui/wizard/PageDomain.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/StringTable.h"
#include "ui/DialogLayout.h"
#include "ui/UiText.h"
#include "ui/wizard/HostLookup.h"
#include "ui/wizard/Wizard.h"

CPageDomain::CPageDomain(CWizard& wizard)
    : CWizardPage(QStringLiteral("New search task - step 2 of 3"),
                  QStringLiteral("Internet address"), &wizard),
      m_wizard(wizard) {
    QLabel* addressText =
        AddText(QStringLiteral("Enter the internet address of the web site to search, for example "
                               "www.example.com, http://www.example.com/catalog/ or "
                               "https://www.example.com/:"));
    m_pAddress = new QLineEdit(QStringLiteral("http://"), this);
    LabelControl(addressText, m_pAddress);
    m_pResolve = new QPushButton(QStringLiteral("&Resolve"), this);
    m_pResolved = new QLineEdit(QStringLiteral("127.0.0.1"), this);
    m_pResolved->setReadOnly(true);
    m_pResolved->setAccessibleName(UiText(IDS_RESOLVED_ADDRESS));
    auto* addressRow = new QGridLayout;
    addressRow->addWidget(m_pAddress, 0, 0);
    addressRow->addWidget(m_pResolve, 0, 1);
    addressRow->addWidget(m_pResolved, 1, 0);
    Body()->addLayout(addressRow);
    Body()->addSpacing(fontMetrics().height());

    AddText(QStringLiteral("If the web site requires authentication, enter account and password:"));
    m_pAccount = new QLineEdit(this);
    m_pPassword = new QLineEdit(this);
    m_pPassword->setEchoMode(QLineEdit::Password);
    auto* accountLabel = new QLabel(QStringLiteral("&Account:"), this);
    auto* passwordLabel = new QLabel(QStringLiteral("&Password:"), this);
    LabelControl(accountLabel, m_pAccount);
    LabelControl(passwordLabel, m_pPassword);
    auto* accountRows = new QGridLayout;
    accountRows->addWidget(accountLabel, 0, 0);
    accountRows->addWidget(m_pAccount, 0, 1);
    accountRows->addWidget(passwordLabel, 1, 0);
    accountRows->addWidget(m_pPassword, 1, 1);
    Body()->addLayout(accountRows);
    m_pLookup = new CHostLookup(m_pAddress, m_pResolve, m_pResolved, this);
}

QWidget* CPageDomain::FirstField() const {
    return m_pAddress;
}

int CPageDomain::nextId() const {
    return CWizard::PAGE_KEYWORDS;
}

bool CPageDomain::validatePage() {
    const std::optional<std::string> address =
        NormalizeInternetAddress(m_pAddress->text().toStdString());
    if (!address) {
        QMessageBox box(QMessageBox::Warning, UiText(IDS_APP_TITLE), UiText(IDS_ADDRESS_REQUIRED),
                        QMessageBox::Ok, this);
        box.exec();
        m_pAddress->setFocus(Qt::OtherFocusReason);
        return false;
    }
    m_wizard.m_strStartAddress = *address;
    m_wizard.m_strEndAddress = *address;
    m_wizard.m_strAccount = m_pAccount->text().toStdString();
    m_wizard.m_strPassword = m_pPassword->text().toStdString();
    return true;
}
