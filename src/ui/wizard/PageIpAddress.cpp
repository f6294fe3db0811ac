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
#include "ui/controls/IpAddressEdit.h"
#include "ui/wizard/HostLookup.h"
#include "ui/wizard/Wizard.h"

namespace {
QString Text(unsigned id) {
    return QString::fromStdString(LoadString(id));
}
}  // namespace

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
    for (CIpAddressEdit* pEdit : {m_pFrom, m_pTo}) {
        pEdit->setFont(CSharedFonts::Normal());
        pEdit->setText(QStringLiteral("0.0.0.0"));
    }
    m_pFrom->SetAccessibleName(Text(IDS_RANGE_FROM));
    m_pTo->SetAccessibleName(Text(IDS_RANGE_TO));
    auto* pRange = new QHBoxLayout;
    pRange->addWidget(m_pFrom);
    pRange->addWidget(new QLabel(QStringLiteral("-"), this));
    pRange->addWidget(m_pTo);
    pRange->addStretch(1);
    Body()->addLayout(pRange);
    Body()->addSpacing(fontMetrics().height());

    QLabel* pHostText = AddText(
        QStringLiteral("To find the IP address of a web site, enter its host name and click "
                       "Resolve:"));
    m_pHost = new QLineEdit(this);
    LabelControl(pHostText, m_pHost);
    m_pResolve = new QPushButton(QStringLiteral("&Resolve"), this);
    m_pResolved = new QLineEdit(QStringLiteral("127.0.0.1"), this);
    m_pResolved->setReadOnly(true);
    m_pResolved->setAccessibleName(Text(IDS_RESOLVED_ADDRESS));
    auto* pResolveRow = new QGridLayout;
    pResolveRow->addWidget(m_pHost, 0, 0);
    pResolveRow->addWidget(m_pResolve, 0, 1);
    pResolveRow->addWidget(m_pResolved, 1, 0);
    Body()->addLayout(pResolveRow);
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
