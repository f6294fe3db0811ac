#include "ui/wizard/PageIpAddress.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/StringTable.h"
#include "ui/DialogLayout.h"
#include "ui/SharedFonts.h"
#include "ui/UiText.h"
#include "ui/controls/IpAddressEdit.h"
#include "ui/wizard/HostLookup.h"
#include "ui/wizard/Wizard.h"

CPageIpAddress::CPageIpAddress(CWizard& wizard)
    : CWizardPage(QStringLiteral("New search task - step 2 of 3"),
                  QStringLiteral("IP address scope"), &wizard),
      m_wizard(wizard) {
    AddText(
        QStringLiteral("Enter the first and the last address of the range, in either order. "
                       "Quobrix searches the web server at every address between them, "
                       "both ends included."));

    m_pFrom = new CIpAddressEdit(this);
    m_pTo = new CIpAddressEdit(this);
    // The two address controls have a font of their own, the normal one.
    for (CIpAddressEdit* edit : {m_pFrom, m_pTo}) {
        edit->setFont(CSharedFonts::Normal());
        edit->setText(QStringLiteral("0.0.0.0"));
    }
    m_pFrom->SetAccessibleName(UiText(IDS_RANGE_FROM));
    m_pTo->SetAccessibleName(UiText(IDS_RANGE_TO));
    auto* rangeRow = new QHBoxLayout;
    rangeRow->addWidget(m_pFrom);
    rangeRow->addWidget(new QLabel(QStringLiteral("-"), this));
    rangeRow->addWidget(m_pTo);
    rangeRow->addStretch(1);
    Body()->addLayout(rangeRow);
    Body()->addSpacing(fontMetrics().height());

    QLabel* hostText = AddText(
        QStringLiteral("To find the IP address of a web site, enter its host name and click "
                       "Resolve:"));
    m_pHost = new QLineEdit(this);
    LabelControl(hostText, m_pHost);
    m_pResolve = new QPushButton(QStringLiteral("&Resolve"), this);
    m_pResolved = new QLineEdit(QStringLiteral("127.0.0.1"), this);
    m_pResolved->setReadOnly(true);
    m_pResolved->setAccessibleName(UiText(IDS_RESOLVED_ADDRESS));
    auto* resolveRow = new QGridLayout;
    resolveRow->addWidget(m_pHost, 0, 0);
    resolveRow->addWidget(m_pResolve, 0, 1);
    resolveRow->addWidget(m_pResolved, 1, 0);
    Body()->addLayout(resolveRow);
    m_pLookup = new CHostLookup(m_pHost, m_pResolve, m_pResolved, this);
}

QWidget* CPageIpAddress::FirstField() const {
    return m_pFrom;
}

int CPageIpAddress::nextId() const {
    return CWizard::PAGE_KEYWORDS;
}

bool CPageIpAddress::validatePage() {
    // The controls always hold two addresses; the user may give the ends
    // in either order.
    const std::optional<CAddressRange> range =
        OrderAddressRange(m_pFrom->text().toStdString(), m_pTo->text().toStdString());
    if (!range) {
        return false;
    }
    m_wizard.m_strStartAddress = range->m_strStart;
    m_wizard.m_strEndAddress = range->m_strEnd;
    return true;
}
