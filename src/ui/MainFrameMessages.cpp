// The task's news as the frame takes it, on the GUI thread: the state moves
// the commands, an authorization request asks the user (the worker that
// asked waits for the answer), a file error says what went wrong.
#include <QMessageBox>
#include <cstring>

#include "common/StringTable.h"
#include "task/QuobrixDoc.h"
#include "ui/AuthorizeDlg.h"
#include "ui/MainFrame.h"
#include "ui/QuobrixView.h"
#include "ui/TaskEvents.h"

void CMainFrame::connectEvents() {
    m_pStatusPanes->Connect(*m_pEvents);
    connect(m_pEvents, &CTaskEvents::StateChanged, this, &CMainFrame::OnTaskState);
    connect(m_pEvents, &CTaskEvents::FileErrorReported, this, &CMainFrame::OnFileError);
    connect(m_pEvents, &CTaskEvents::NavigateRequested, m_pView, &CQuobrixView::Navigate);
    m_pEvents->SetAuthorizeHandler([this](const QString& url) { return OnAuthorize(url); });
}

void CMainFrame::OnTaskState() {
    UpdateCommandUI();
    emit TaskStateChanged();
}

bool CMainFrame::OnAuthorize(const QString& url) {
    return RunAuthorizeDialog(this, m_doc, url);
}

void CMainFrame::OnFileError(int error, const QString& path) {
    const QString text = QString::fromStdString(FormatString(IDS_CANT_CREATE_FILE, {path.toStdString()})) +
                         QString::fromLocal8Bit(std::strerror(error));
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(LoadString(IDS_APP_TITLE)), text,
                    QMessageBox::Ok, this);
    box.exec();
}
