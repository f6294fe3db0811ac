#include "ui/sheets/PageProgram.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "common/AppOptions.h"
#include "common/StringTable.h"
#include "common/Text.h"

namespace {
// A port is 16 bits: anything larger could never be connected to.
constexpr int kMaxPort = 65535;
}  // namespace

CPageProgram::CPageProgram(QWidget* parent) : CSheetPage("General", parent) {
    createControls();
}

void CPageProgram::createControls() {
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(createProxyGroup());
    pLayout->addWidget(createAgentGroup());
    pLayout->addStretch();
}

QWidget* CPageProgram::createProxyGroup() {
    m_pUseProxy = new QCheckBox("&Use HTTP proxy server", this);
    m_pAddress = new QLineEdit(this);
    m_pPort = CreateNumberEdit();
    m_pUser = new QLineEdit(this);
    m_pPassword = new QLineEdit(this);
    m_pPassword->setEchoMode(QLineEdit::Password);
    QLabel* pAddressLabel = CreateLabel("A&ddress:", m_pAddress);
    QLabel* pPortLabel = CreateLabel("Po&rt:", m_pPort);
    auto* pAuthorization = new QLabel("Authorization(If the proxy server requires):", this);
    QLabel* pUserLabel = CreateLabel("A&ccount:", m_pUser);
    QLabel* pPasswordLabel = CreateLabel("Pass&word:", m_pPassword);
    m_arrProxyControls = {pAddressLabel, pPortLabel, pUserLabel, pPasswordLabel, pAuthorization,
                          m_pAddress,    m_pPort,    m_pUser,    m_pPassword};
    connect(m_pUseProxy, &QCheckBox::toggled, this, &CPageProgram::OnUseProxy);

    auto* pGroup = new QGroupBox("Proxy server", this);
    auto* pGrid = new QGridLayout(pGroup);
    pGrid->addWidget(m_pUseProxy, 0, 0, 1, 4);
    pGrid->addWidget(pAddressLabel, 1, 0);
    pGrid->addWidget(m_pAddress, 1, 1);
    pGrid->addWidget(pPortLabel, 1, 2, Qt::AlignRight);
    pGrid->addWidget(m_pPort, 1, 3);
    pGrid->addWidget(pAuthorization, 2, 0, 1, 4);
    pGrid->addWidget(pUserLabel, 3, 0);
    pGrid->addWidget(m_pUser, 3, 1);
    pGrid->addWidget(pPasswordLabel, 4, 0);
    pGrid->addWidget(m_pPassword, 4, 1);
    pGrid->setColumnStretch(1, 1);
    return pGroup;
}

QWidget* CPageProgram::createAgentGroup() {
    auto* pGroup = new QGroupBox("Agent Identity", this);
    auto* pLayout = new QVBoxLayout(pGroup);
    m_pAgents = new QButtonGroup(this);
    const char* const texts[] = {"Microsoft &Internet Explorer 5.0", "&Netscape Communicator 4.7",
                                 "&Quobrix 1.10", "Custom &text:"};
    for (int index = 0; index <= kCustomAgent; ++index) {
        auto* pButton = new QRadioButton(texts[index], pGroup);
        m_pAgents->addButton(pButton, index);
        pLayout->addWidget(pButton);
    }
    m_pAgent = new QLineEdit(pGroup);
    m_pAgent->setAccessibleName("Custom text");
    // The text ends up on a request's header line: no line breaks or other
    // control characters.
    m_pAgent->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[^\\x00-\\x1f\\x7f]*"), m_pAgent));
    pLayout->addWidget(m_pAgent);
    connect(m_pAgents, &QButtonGroup::idClicked, this, &CPageProgram::OnAgentChosen);
    return pGroup;
}

void CPageProgram::InitPage() {
    m_pUseProxy->setChecked(m_bUseProxy);
    m_pAddress->setText(QString::fromStdString(m_strProxyAddress));
    m_pPort->setText(QString::number(m_nProxyPort));
    m_pUser->setText(QString::fromStdString(m_strProxyUser));
    m_pPassword->setText(QString::fromStdString(m_strProxyPassword));
    OnUseProxy(m_bUseProxy);

    const int nAgent = FindFixedAgent(m_strAgent);
    m_pAgents->button(nAgent)->setChecked(true);
    m_pAgent->setText(QString::fromStdString(m_strAgent));
    m_pAgent->setEnabled(nAgent == kCustomAgent);
}

void CPageProgram::OnUseProxy(bool bChecked) {
    for (QWidget* pControl : m_arrProxyControls) {
        pControl->setEnabled(bChecked);
    }
}

void CPageProgram::OnAgentChosen(int nIndex) {
    const bool bCustom = nIndex == kCustomAgent;
    m_pAgent->setEnabled(bCustom);
    if (!bCustom) {
        m_pAgent->setText(QString::fromStdString(FixedAgentText(nIndex)));
    }
}

bool CPageProgram::UpdateMembers() {
    m_bUseProxy = m_pUseProxy->isChecked();
    m_strProxyAddress = m_pAddress->text().toStdString();
    // Every request would go to a proxy without a name, and fail.
    if (m_bUseProxy && Trim(m_strProxyAddress).empty()) {
        return Fail(m_pAddress, LoadString(IDS_PROXY_ADDRESS_REQUIRED));
    }
    if (!CheckUnsigned(m_pPort, 0, kMaxPort, m_nProxyPort)) {
        return false;
    }
    m_strProxyUser = m_pUser->text().toStdString();
    m_strProxyPassword = m_pPassword->text().toStdString();
    m_strAgent = m_pAgent->text().toStdString();
    return true;
}

QWidget* CPageProgram::FirstField() const {
    return m_pUseProxy;
}
