// The task's news as the frame takes it, on the GUI thread: the state moves
// the commands, an authorization request asks the user (the worker that
// asked waits for the answer), a file error says what went wrong.
#include <QMessageBox>
#include <cstring>

#include "common/StringTable.h"
#include "task/Task.h"
#include "ui/AuthorizeDlg.h"
#include "ui/MainFrame.h"
#include "ui/QuobrixView.h"
#include "ui/TaskEvents.h"
#include "ui/UiText.h"

void CMainFrame::connectEvents() {
    m_pStatusPanes->Connect(*m_pEvents);
    connect(m_pEvents, &CTaskEvents::StateChanged, this, &CMainFrame::OnTaskState);
    connect(m_pEvents, &CTaskEvents::FileErrorReported, this, &CMainFrame::OnFileError);
    connect(m_pEvents, &CTaskEvents::PageFailed, this, &CMainFrame::OnPageFailed);
    connect(m_pEvents, &CTaskEvents::OutagePaused, this, &CMainFrame::OnOutagePaused);
    connect(m_pEvents, &CTaskEvents::RunNotice, this, &CMainFrame::OnRunNotice);
    connect(m_pEvents, &CTaskEvents::NavigateRequested, m_pView, &CQuobrixView::Navigate);
    m_pEvents->SetAuthorizeHandler([this](const QString& url) { return OnAuthorize(url); });
}

void CMainFrame::OnTaskState(const QString& text) {
    // A quick run may show only its end: the start is also noted where the
    // frame starts or resumes it.
    if (text == UiText(IDS_STATE_SEEKING)) {
        NoteRunStarted();
    } else if (m_bRunSeen) {
        ShowRunSummary();
    } else {
        m_pStatusPanes->SetText(PANE_PROMPT, UiText(IDS_IDLE_MESSAGE));
    }
    UpdateCommandUI();
    emit TaskStateChanged();
}

void CMainFrame::NoteRunStarted() {
    if (!m_bRunSeen) {
        m_bRunSeen = true;
        m_strOutage.clear();
        m_strRunNotice.clear();
        m_pStatusPanes->SetText(PANE_PROMPT, UiText(IDS_IDLE_MESSAGE));
    }
}

void CMainFrame::ShowRunSummary() {
    m_bRunSeen = false;
    QString summary = QString::fromStdString(m_doc.FailureSummary());
    for (const QString& before : {m_strOutage, m_strRunNotice}) {
        if (!before.isEmpty()) {
            summary = before + QStringLiteral("  ") + summary;
        }
    }
    m_pStatusPanes->SetText(PANE_PROMPT, summary);
}

void CMainFrame::OnRunNotice(const QString& text) {
    m_strRunNotice = text;
    if (m_doc.IsRunning()) {
        m_pStatusPanes->SetText(PANE_PROMPT, text);
    }
}

void CMainFrame::OnPageFailed(const QString& url, const QString& reason) {
    if (m_bRunSeen && m_doc.IsRunning()) {
        m_pStatusPanes->SetText(PANE_PROMPT, UiFormat(IDS_NOT_RETRIEVED_LINE, url, reason));
    }
}

void CMainFrame::OnOutagePaused(const QString& text) {
    m_strOutage = text;
    if (!m_bRunSeen && !m_doc.IsRunning()) {
        ShowRunSummary();  // the pause came first
    }
}

bool CMainFrame::OnAuthorize(const QString& url) {
    return RunAuthorizeDialog(this, m_doc, url);
}

void CMainFrame::OnFileError(int error, const QString& path) {
    const QString text =
        UiFormat(IDS_CANT_CREATE_FILE, path) + QString::fromLocal8Bit(std::strerror(error));
    QMessageBox box(QMessageBox::Critical, UiText(IDS_APP_TITLE), text, QMessageBox::Ok, this);
    box.exec();
}
