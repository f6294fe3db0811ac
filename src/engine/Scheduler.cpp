#include <unistd.h>

#include <algorithm>

#include "common/StringTable.h"
#include "task/QuobrixDoc.h"

int CQuobrixDoc::MaxThreads() const {
    return std::clamp<int>(m_nMaxThreads, 1, SLOT_COUNT);
}

int CQuobrixDoc::Retries() const {
    return std::max<int>(m_nRetries, 0);
}

int CQuobrixDoc::TimeoutMs() const {
    return std::max<int>(m_nTimeout, 0);
}

bool CQuobrixDoc::HasActiveWorkers() const {
    return CountActive(0, SLOT_COUNT) > 0;
}

std::string CQuobrixDoc::GetSlotUrl(int slot) {
    std::lock_guard lock(m_csSlots);
    return m_strUrl[slot];
}

void CQuobrixDoc::OnTaskRun() {
    StartWorkers();
}

void CQuobrixDoc::OnTaskPause() {
    if (m_bStop) {
        return;  // a stop is still in progress
    }
    if (m_nState == IDS_STATE_PAUSED) {
        StartWorkers();
    } else if (m_nState == IDS_STATE_SEEKING) {
        PauseWorkers();
    }
}

void CQuobrixDoc::OnTaskAbort() {
    if (m_bStop) {
        return;
    }
    if (m_nState == IDS_STATE_SEEKING) {
        m_bStop = true;
        SetState(IDS_STATE_ABORTED);
        AbortAllSlots();
    } else if (m_nState == IDS_STATE_PAUSED) {
        SetState(IDS_STATE_ABORTED);
        SetModifiedFlag();
    }
}

void CQuobrixDoc::OnSkipCurrentSite() {
    if (m_bStop || m_nState != IDS_STATE_SEEKING || IsLastSite()) {
        return;
    }
    m_bSkipSite = true;
    PauseWorkers();
}

void CQuobrixDoc::OnAbortRetrieval(int slot) {
    if (slot >= 0 && slot < SLOT_COUNT) {
        AbortSlot(slot);
    }
}

void CQuobrixDoc::PauseWorkers() {
    // The stop goes up before the state changes, so that no one can resume
    // while workers are still leaving.
    m_bStop = true;
    SetState(IDS_STATE_PAUSED);
    AbortAllSlots();
}

void CQuobrixDoc::PrepareRun() {
    // The stop flag is lowered by StartWorkers once the state says Seeking,
    // so a run that goes on to its next site never looks ended in between.
    m_bSkipSite = false;
    for (AtomicValue<bool>& active : m_bActive) {
        active = false;
    }
    m_nSlotsUsed = 0;
    CloseResultFile();

    if (m_nState != IDS_STATE_PAUSED) {
        // A fresh start: from the start address, with every counter at zero.
        for (int slot = 0; slot < SLOT_COUNT; ++slot) {
            m_bNotHtml[slot] = false;
            m_nRequested[slot] = 0;
            m_nReceived[slot] = 0;
            m_bMatched[slot] = false;
        }
        const std::string firstUrl = TakeFirstSite();
        {
            std::scoped_lock lock(m_csSlots, m_csUrls);
            for (int slot = 1; slot < SLOT_COUNT; ++slot) {
                m_strUrl[slot].clear();
            }
            ResetUrlListLocked(firstUrl);
            m_strUrl[0] = m_arrUrls[0];
            m_nNextUrl = 1;
        }
        ClearAddress();
        std::lock_guard lock(m_csResults);
        m_nResultPage = 0;
        m_nResultsInPage = 0;
        return;
    }

    // A resume keeps the lists, the slots' URLs and the counters; only the
    // positions read from a file are brought within their lists.
    {
        std::lock_guard lock(m_csUrls);
        m_nNextUrl = std::clamp<int>(m_nNextUrl, 0, static_cast<int>(m_arrUrls.size()));
    }
    std::lock_guard lock(m_csSites);
    m_nNextSite = std::clamp<int>(m_nNextSite, 0, static_cast<int>(m_arrSites.size()));
}

void CQuobrixDoc::StartWorkers() {
    if (m_nState == IDS_STATE_SEEKING || HasActiveWorkers()) {
        return;
    }
    SetModifiedFlag();
    ResetThreadBar();
    PrepareRun();
    if (!HasUsableRange()) {
        SetState(IDS_STATE_FINISHED);  // an address range that does not parse: nothing to crawl
        m_bStop = false;
        return;
    }
    SetState(IDS_STATE_SEEKING);
    m_bStop = false;

    int started = 0;
    bool refused = false;
    {
        std::lock_guard lock(m_csSlots);
        const int maxThreads = MaxThreads();
        // A resume whose slots below the limit hold nothing still needs one
        // worker: it takes the waiting URLs, the stranded ones, or moves the
        // crawl on.
        bool anyWork = false;
        for (int slot = 0; slot < maxThreads; ++slot) {
            anyWork = anyWork || !m_strUrl[slot].empty();
        }
        for (int slot = 0; slot < maxThreads; ++slot) {
            if (m_strUrl[slot].empty() && (anyWork || slot > 0)) {
                continue;
            }
            if (StartWorkerLocked(slot)) {
                ++started;
            } else {
                refused = true;
            }
        }
    }
    if (started == 0) {
        // No thread could be made: stop as paused, so the user can resume.
        SetState(refused ? IDS_STATE_PAUSED : IDS_STATE_FINISHED);
    }
}

void CQuobrixDoc::StartNextSite() {
    {
        std::lock_guard lock(m_csSlots);
        if (!TakeNextSite()) {
            m_bSkipSite = false;
            SetState(IDS_STATE_FINISHED);
            m_bStop = false;
            return;
        }
    }
    ClearAddress();
    {
        std::scoped_lock lock(m_csSlots, m_csUrls);
        m_arrUrls.clear();
        m_urlIndex.Clear();
        m_nNextUrl = 0;
    }
    NotifyLinkCounts();
    {
        std::scoped_lock lock(m_csSlots, m_csUrls, m_csSites);
        ResetUrlListLocked("http://" + m_strCurrentSite + "/");
        m_strUrl[0] = m_arrUrls[0];
        m_nNextUrl = 1;
    }
    StartWorkers();
}

void CQuobrixDoc::JoinWorkers() {
    std::vector<CThreadHandle> threads;
    {
        std::lock_guard lock(m_csSlots);
        threads = std::move(m_arrRetired);
        m_arrRetired.clear();
        for (CThreadHandle& handle : m_hThread) {
            threads.push_back(std::move(handle));
            handle = CThreadHandle();
        }
    }
    for (CThreadHandle& handle : threads) {
        handle.Join();
    }
}
