#include "ui/AuthorizeDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "task/Task.h"
#include "ui/DialogLayout.h"

namespace {

constexpr int kWidthUnits = 225;

}  // namespace

CAuthorizeDlg::CAuthorizeDlg(const QString& strUrl, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Authorize");
    setMinimumWidth(DialogUnitsX(font(), kWidthUnits));
    createControls(strUrl);
    FixDialogSize(this);
}

void CAuthorizeDlg::createControls(const QString& strUrl) {
    auto* pPrompt = new QLabel("Account and password are required to access the URL:", this);
    // The address is page content: shown as plain text, never as markup.
    auto* pSite = new QLabel(WrappableAddress(strUrl), this);
    pSite->setTextFormat(Qt::PlainText);
    pSite->setWordWrap(true);
    pSite->setAccessibleName(strUrl);

    m_pAccount = new QLineEdit(this);
    m_pPassword = new QLineEdit(this);
    auto* pAccountLabel = new QLabel("&Account:", this);
    auto* pPasswordLabel = new QLabel("&Password:", this);
    LabelControl(pAccountLabel, m_pAccount);
    LabelControl(pPasswordLabel, m_pPassword);
    m_pDoNotPrompt = new QCheckBox("&Do not prompt next time", this);

    auto* pFields = new QGridLayout;
    pFields->addWidget(pAccountLabel, 0, 0);
    pFields->addWidget(m_pAccount, 0, 1);
    pFields->addWidget(pPasswordLabel, 1, 0);
    pFields->addWidget(m_pPassword, 1, 1);
    pFields->addWidget(m_pDoNotPrompt, 2, 1);

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(pPrompt);
    pLayout->addWidget(pSite);
    pLayout->addLayout(pFields);
    pLayout->addWidget(pButtons);
    m_pAccount->setFocus();
}

QString CAuthorizeDlg::Account() const {
    return m_pAccount->text();
}

QString CAuthorizeDlg::Password() const {
    return m_pPassword->text();
}

bool CAuthorizeDlg::DoNotPrompt() const {
    return m_pDoNotPrompt->isChecked();
}

bool RunAuthorizeDialog(QWidget* parent, ITask& doc, const QString& url) {
    CAuthorizeDlg dlg(url, parent);
    const bool bOk = dlg.exec() == QDialog::Accepted;
    doc.AnswerAuthorization(url.toStdString(), bOk, dlg.Account().toStdString(),
                            dlg.Password().toStdString(), dlg.DoNotPrompt());
    return bOk;
}
