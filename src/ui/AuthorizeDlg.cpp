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

CAuthorizeDlg::CAuthorizeDlg(const QString& url, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Authorize"));
    setMinimumWidth(DialogUnitsX(font(), kWidthUnits));
    createControls(url);
    FixDialogSize(this);
}

void CAuthorizeDlg::createControls(const QString& url) {
    auto* prompt = new QLabel(tr("Account and password are required to access the URL:"), this);
    // The address is page content: shown as plain text, never as markup.
    auto* site = new QLabel(WrappableAddress(url), this);
    site->setTextFormat(Qt::PlainText);
    site->setWordWrap(true);
    site->setAccessibleName(url);

    m_pAccount = new QLineEdit(this);
    m_pPassword = new QLineEdit(this);
    auto* accountLabel = new QLabel(tr("&Account:"), this);
    auto* passwordLabel = new QLabel(tr("&Password:"), this);
    LabelControl(accountLabel, m_pAccount);
    LabelControl(passwordLabel, m_pPassword);
    m_pDoNotPrompt = new QCheckBox(tr("&Do not prompt next time"), this);

    auto* fields = new QGridLayout;
    fields->addWidget(accountLabel, 0, 0);
    fields->addWidget(m_pAccount, 0, 1);
    fields->addWidget(passwordLabel, 1, 0);
    fields->addWidget(m_pPassword, 1, 1);
    fields->addWidget(m_pDoNotPrompt, 2, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(site);
    layout->addLayout(fields);
    layout->addWidget(buttons);
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
    const bool ok = dlg.exec() == QDialog::Accepted;
    doc.AnswerAuthorization(url.toStdString(), ok, dlg.Account().toStdString(),
                            dlg.Password().toStdString(), dlg.DoNotPrompt());
    return ok;
}
