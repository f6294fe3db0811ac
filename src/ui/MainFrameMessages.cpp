// The task's notifications to the frame and the thread bar. They arrive on
// the GUI thread; a worker that sent one waits until it is handled here.
#include <QMessageBox>
#include <cstring>

#include "common/Messages.h"
#include "common/StringTable.h"
#include "task/QuobrixDoc.h"
#include "ui/AuthorizeDlg.h"
#include "ui/MainFrame.h"
#include "ui/ThreadList.h"

namespace {
QString TextOf(const NotifyParam& lParam) {
    const std::string* text = std::get_if<std::string>(&lParam);
    return text != nullptr ? QString::fromStdString(*text) : QString();
}

int64_t NumberOf(const NotifyParam& lParam) {
    const int64_t* number = std::get_if<int64_t>(&lParam);
    return number != nullptr ? *number : 0;
}

QString Count(unsigned id, const NotifyParam& lParam) {
    return QString::fromStdString(FormatString(id, {NumberOf(lParam)}));
}
}  // namespace

int64_t CMainFrame::OnFrameMessage(unsigned message, int64_t wParam, const NotifyParam& lParam) {
    switch (message) {
        case WM_TASK_STATE:
            SetPaneText(PANE_STATE, TextOf(lParam));
            UpdateCommandUI();
            emit TaskStateChanged();
            return 0;
        case WM_SITES_LEFT:
            SetPaneText(PANE_SITES_LEFT, Count(IDS_SITES_LEFT, lParam));
            return 0;
        case WM_LINKS_QUEUED:
            SetPaneText(PANE_LINKS_QUEUED, Count(IDS_LINKS_QUEUED, lParam));
            return 0;
        case WM_LINKS_REQUESTED:
            SetPaneText(PANE_LINKS_REQUESTED, Count(IDS_LINKS_REQUESTED, lParam));
            return 0;
        case WM_AUTHORIZE:
            return OnAuthorize(TextOf(lParam));
        case WM_FILE_ERROR:
            OnFileError(static_cast<int>(wParam), TextOf(lParam));
            return 0;
        default:
            return 0;
    }
}

int64_t CMainFrame::OnThreadBarMessage(unsigned message, int64_t wParam,
                                       const NotifyParam& lParam) {
    switch (message) {
        case WM_THREAD_STATUS:
            m_pThreadList->SetStatus(static_cast<int>((wParam >> 8) & 0xFF),
                                     static_cast<int>(wParam & 0xFF), TextOf(lParam));
            return 0;
        case WM_THREADS_RESET:
            m_pThreadList->ResetRows();
            return 0;
        default:
            return 0;
    }
}

int64_t CMainFrame::OnAuthorize(const QString& url) {
    // The worker that asked waits for the answer meanwhile.
    return RunAuthorizeDialog(this, m_doc, url) ? 1 : 0;
}

void CMainFrame::OnFileError(int error, const QString& path) {
    const QString text = QString::fromStdString(FormatString(IDS_CANT_CREATE_FILE, {path.toStdString()})) +
                         QString::fromLocal8Bit(std::strerror(error));
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(LoadString(IDS_APP_TITLE)), text,
                    QMessageBox::Ok, this);
    box.exec();
}
