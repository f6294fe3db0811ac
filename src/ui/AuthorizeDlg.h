#pragma once

#include <QDialog>
#include <QString>

class ITask;
class QCheckBox;
class QLabel;
class QLineEdit;

// "Authorize": asks for an account and password when a site refuses a page
// and the task prompts. The fields start empty; the password is typed in
// plain sight, as in the account field.
class CAuthorizeDlg : public QDialog {
    Q_OBJECT
public:
    // url: the page that needs an account, shown above the fields.
    explicit CAuthorizeDlg(const QString& url, QWidget* parent = nullptr);

    QString Account() const;
    QString Password() const;
    bool DoNotPrompt() const;

private:
    void createControls(const QString& url);

    QLineEdit* m_pAccount = nullptr;
    QLineEdit* m_pPassword = nullptr;
    QCheckBox* m_pDoNotPrompt = nullptr;
};

// Runs the dialog for the page at url and gives the answer to the task: with
// OK the credential for url's site and prompting as the check box says, with
// Cancel (or the dialog closed) no credential. True when the user chose OK.
// On the GUI thread; the worker that asked waits meanwhile.
bool RunAuthorizeDialog(QWidget* parent, ITask& doc, const QString& url);
