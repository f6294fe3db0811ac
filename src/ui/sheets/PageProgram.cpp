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

CPageProgram::CPageProgram(QWidget* parent) : CSheetPage(tr("General"), parent) {
    createControls();
}

void CPageProgram::createControls() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(createProxyGroup());
    layout->addWidget(createAgentGroup());
    layout->addStretch();
}

QWidget* CPageProgram::createProxyGroup() {
    m_pUseProxy = new QCheckBox(tr("&Use HTTP proxy server"), this);
    m_pAddress = new QLineEdit(this);
    m_pPort = CreateNumberEdit();
    m_pUser = new QLineEdit(this);
    m_pPassword = new QLineEdit(this);
    m_pPassword->setEchoMode(QLineEdit::Password);
    QLabel* addressLabel = CreateLabel(tr("A&ddress:"), m_pAddress);
    QLabel* portLabel = CreateLabel(tr("Po&rt:"), m_pPort);
    auto* authorization = new QLabel(tr("Authorization(If the proxy server requires):"), this);
    QLabel* userLabel = CreateLabel(tr("A&ccount:"), m_pUser);
    QLabel* passwordLabel = CreateLabel(tr("Pass&word:"), m_pPassword);
    m_arrProxyControls = {addressLabel, portLabel, userLabel, passwordLabel, authorization,
                          m_pAddress,   m_pPort,   m_pUser,   m_pPassword};
    connect(m_pUseProxy, &QCheckBox::toggled, this, &CPageProgram::OnUseProxy);

    auto* group = new QGroupBox(tr("Proxy server"), this);
    auto* grid = new QGridLayout(group);
    grid->addWidget(m_pUseProxy, 0, 0, 1, 4);
    grid->addWidget(addressLabel, 1, 0);
    grid->addWidget(m_pAddress, 1, 1);
    grid->addWidget(portLabel, 1, 2, Qt::AlignRight);
    grid->addWidget(m_pPort, 1, 3);
    grid->addWidget(authorization, 2, 0, 1, 4);
    grid->addWidget(userLabel, 3, 0);
    grid->addWidget(m_pUser, 3, 1);
    grid->addWidget(passwordLabel, 4, 0);
    grid->addWidget(m_pPassword, 4, 1);
    grid->setColumnStretch(1, 1);
    return group;
}

QWidget* CPageProgram::createAgentGroup() {
    auto* group = new QGroupBox(tr("Agent Identity"), this);
    auto* layout = new QVBoxLayout(group);
    m_pAgents = new QButtonGroup(this);
    const QString texts[] = {tr("Microsoft &Internet Explorer 5.0"),
                             tr("&Netscape Communicator 4.7"), tr("&Quobrix 1.10"),
                             tr("Custom &text:")};
    for (int index = 0; index <= kCustomAgent; ++index) {
        auto* button = new QRadioButton(texts[index], group);
        m_pAgents->addButton(button, index);
        layout->addWidget(button);
    }
    m_pAgent = new QLineEdit(group);
    m_pAgent->setAccessibleName(tr("Custom text"));
    // The text ends up on a request's header line: no line breaks or other
    // control characters.
    m_pAgent->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[^\\x00-\\x1f\\x7f]*")), m_pAgent));
    layout->addWidget(m_pAgent);
    connect(m_pAgents, &QButtonGroup::idClicked, this, &CPageProgram::OnAgentChosen);
    return group;
}

void CPageProgram::InitPage() {
    m_pUseProxy->setChecked(m_bUseProxy);
    m_pAddress->setText(QString::fromStdString(m_strProxyAddress));
    m_pPort->setText(QString::number(m_nProxyPort));
    m_pUser->setText(QString::fromStdString(m_strProxyUser));
    m_pPassword->setText(QString::fromStdString(m_strProxyPassword));
    OnUseProxy(m_bUseProxy);

    const int agent = FindFixedAgent(m_strAgent);
    m_pAgents->button(agent)->setChecked(true);
    m_pAgent->setText(QString::fromStdString(m_strAgent));
    m_pAgent->setEnabled(agent == kCustomAgent);
}

void CPageProgram::OnUseProxy(bool checked) {
    for (QWidget* control : m_arrProxyControls) {
        control->setEnabled(checked);
    }
}

void CPageProgram::OnAgentChosen(int index) {
    const bool custom = index == kCustomAgent;
    m_pAgent->setEnabled(custom);
    if (!custom) {
        m_pAgent->setText(QString::fromStdString(FixedAgentText(index)));
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
