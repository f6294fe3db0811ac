#include "ui/wizard/PageDomain.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/StringTable.h"
#include "ui/DialogLayout.h"
#include "ui/wizard/HostLookup.h"
#include "ui/wizard/Wizard.h"

CPageDomain::CPageDomain(CWizard& wizard)
    : CWizardPage(QStringLiteral("New search task - step 2 of 3"),
                  QStringLiteral("Internet address"), &wizard),
      m_wizard(wizard) {
    QLabel* pAddressText =
        AddText(QStringLiteral("Enter the internet address of the web site to search, for example "
                               "www.example.com or http://www.example.com/catalog/:"));
    m_pAddress = new QLineEdit(QStringLiteral("http://"), this);
    LabelControl(pAddressText, m_pAddress);
    m_pResolve = new QPushButton(QStringLiteral("&Resolve"), this);
    m_pResolved = new QLineEdit(QStringLiteral("127.0.0.1"), this);
    m_pResolved->setReadOnly(true);
    m_pResolved->setAccessibleName(QString::fromStdString(LoadString(IDS_RESOLVED_ADDRESS)));
    auto* pAddressRow = new QGridLayout;
    pAddressRow->addWidget(m_pAddress, 0, 0);
    pAddressRow->addWidget(m_pResolve, 0, 1);
    pAddressRow->addWidget(m_pResolved, 1, 0);
    Body()->addLayout(pAddressRow);
    Body()->addSpacing(fontMetrics().height());

    AddText(QStringLiteral("If the web site requires authentication, enter account and password:"));
    m_pAccount = new QLineEdit(this);
    m_pPassword = new QLineEdit(this);
    m_pPassword->setEchoMode(QLineEdit::Password);
    auto* pAccountLabel = new QLabel(QStringLiteral("&Account:"), this);
    auto* pPasswordLabel = new QLabel(QStringLiteral("&Password:"), this);
    LabelControl(pAccountLabel, m_pAccount);
    LabelControl(pPasswordLabel, m_pPassword);
    auto* pAccountRows = new QGridLayout;
    pAccountRows->addWidget(pAccountLabel, 0, 0);
    pAccountRows->addWidget(m_pAccount, 0, 1);
    pAccountRows->addWidget(pPasswordLabel, 1, 0);
    pAccountRows->addWidget(m_pPassword, 1, 1);
    Body()->addLayout(pAccountRows);
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
        QMessageBox box(QMessageBox::Warning, QString::fromStdString(LoadString(IDS_APP_TITLE)),
                        QString::fromStdString(LoadString(IDS_ADDRESS_REQUIRED)), QMessageBox::Ok,
                        this);
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
