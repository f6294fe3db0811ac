#include <chrono>

#include "common/Messages.h"
#include "common/StringTable.h"
#include "task/QuobrixDoc.h"

int64_t CQuobrixDoc::SendTo(INotifyTarget* target, unsigned message, int64_t wParam,
                            const NotifyParam& lParam) {
    return target != nullptr ? target->Send(message, wParam, lParam) : 0;
}

void CQuobrixDoc::ChangeStateLocked(unsigned state) {
    if (m_nState != state) {
        SetModifiedFlag();  // the file keeps the state
    }
    m_nState = state;
    m_pendingNotes.push_back({WM_TASK_STATE, 0, LoadString(state)});
}

void CQuobrixDoc::SetState(unsigned id) {
    {
        CLock lock(m_csSlots);
        ChangeStateLocked(id);
    }
    DeliverNotes();
}

void CQuobrixDoc::DeliverNotes() {
    // One thread at a time sends, in the order the changes were made; a
    // thread that finds another sending leaves its notes to that one.
    CUniqueLock lock(m_csSlots);
    if (m_bDeliveringNotes) {
        return;
    }
    m_bDeliveringNotes = true;
    while (!m_pendingNotes.empty()) {
        const CFrameNote note = std::move(m_pendingNotes.front());
        m_pendingNotes.pop_front();
        lock.unlock();
        SendTo(m_hWndMainFrame, note.m_nMessage, note.m_nWParam, note.m_lParam);
        lock.lock();
    }
    m_bDeliveringNotes = false;
}

void CQuobrixDoc::NotifyThreadStatus(int slot, int phase, const std::string& text) {
    CLock lock(m_csSlotStatus[slot]);
    SendTo(m_hWndThreadBar, WM_THREAD_STATUS, static_cast<int64_t>(slot) * 256 + phase, text);
}

int CQuobrixDoc::LinksQueued() const {
    CLock lock(m_csUrls);
    return static_cast<int>(m_arrUrls.size()) - m_nNextUrl;
}

int CQuobrixDoc::LinksRequested() const {
    int requested = 0;
    for (const AtomicValue<int>& count : m_nRequested) {
        requested += count;
    }
    return requested;
}

bool CQuobrixDoc::TakeCountsTurn() {
    constexpr int64_t kIntervalMs = 250;
    const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
    int64_t last = m_nCountsSentAt.load();
    return now - last >= kIntervalMs && m_nCountsSentAt.compare_exchange_strong(last, now);
}

void CQuobrixDoc::NotifyLinkCounts() {
    SendTo(m_hWndMainFrame, WM_LINKS_QUEUED, 0, int64_t{LinksQueued()});
    SendTo(m_hWndMainFrame, WM_LINKS_REQUESTED, 0, int64_t{LinksRequested()});
}

void CQuobrixDoc::ResetThreadBar() {
    if (m_hWndThreadBar != nullptr) {
        m_hWndThreadBar->Post(WM_THREADS_RESET, 0, int64_t{0});
    }
}

void CQuobrixDoc::ReportFileError(int error, const std::string& path) {
    SendTo(m_hWndMainFrame, WM_FILE_ERROR, error, path);
}

std::string CQuobrixDoc::LocalServerRoot() const {
    return "http://127.0.0.1:" + std::to_string(m_nServerPort) + "/";
}

void CQuobrixDoc::NavigateToResults() {
    SendTo(m_hWndView, WM_NAVIGATE_VIEW, 0, LocalServerRoot());
}

void CQuobrixDoc::NavigateToResultPage(int page) {
    if (page <= 0) {
        NavigateToResults();
        return;
    }
    SendTo(m_hWndView, WM_NAVIGATE_VIEW, 0,
           LocalServerRoot() + "ResultPage" + std::to_string(page) + ".html");
}

std::string CQuobrixDoc::GetCurrentSite() const {
    CLock lock(m_csSites);
    return m_strCurrentSite;
}
