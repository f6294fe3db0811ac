#include <unistd.h>

#include <algorithm>

#include "common/Messages.h"
#include "common/StringTable.h"
#include "engine/Url.h"
#include "task/QuobrixDoc.h"

namespace {
// "Result items per page:" as the property sheet allows it.
constexpr int kMinResultsPerPage = 10;
constexpr int kMaxResultsPerPage = 1000;
}  // namespace

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

bool CQuobrixDoc::IsRunEnded() const {
    CLock lock(m_csSlots);
    return m_nState != IDS_STATE_SEEKING && !m_bStop && CountActive(0, SLOT_COUNT) == 0 &&
           m_pendingNotes.empty() && !m_bDeliveringNotes;
}

std::string CQuobrixDoc::GetSlotUrl(int slot) const {
    CLock lock(m_csSlots);
    return m_strUrl[slot];
}

void CQuobrixDoc::AtRunStep(RunStep, int) {}

void CQuobrixDoc::OnTaskRun() {
    StartWorkers();
}

void CQuobrixDoc::OnTaskPause() {
    AtRunStep(RunStep::Command, -1);
    bool resume = false;
    {
        CLock lock(m_csSlots);
        ForgetStaleWorkersLocked();
        if (m_bStop) {
            return;  // a stop is still in progress
        }
        if (m_nState == IDS_STATE_PAUSED) {
            resume = true;
        } else if (m_nState == IDS_STATE_SEEKING) {
            StopRunLocked(IDS_STATE_PAUSED);
        }
    }
    if (resume) {
        StartWorkers();
    } else {
        DeliverNotes();
    }
}

void CQuobrixDoc::OnTaskAbort() {
    AtRunStep(RunStep::Command, -1);
    bool aborted = false;
    {
        CLock lock(m_csSlots);
        ForgetStaleWorkersLocked();
        if (m_bStop) {
            return;
        }
        if (m_nState == IDS_STATE_SEEKING) {
            StopRunLocked(IDS_STATE_ABORTED);
        } else if (m_nState == IDS_STATE_PAUSED) {
            ChangeStateLocked(IDS_STATE_ABORTED);
            aborted = true;
        }
    }
    if (aborted) {
        SetModifiedFlag();
    }
    DeliverNotes();
}

void CQuobrixDoc::OnSkipCurrentSite() {
    {
        CLock lock(m_csSlots);
        ForgetStaleWorkersLocked();
        if (m_bStop || m_nState != IDS_STATE_SEEKING || !HasActiveWorkers() || IsLastSite()) {
            return;
        }
        m_bSkipSite = true;
        StopRunLocked(IDS_STATE_PAUSED);
    }
    DeliverNotes();
}

void CQuobrixDoc::OnAbortRetrieval(int slot) {
    if (slot >= 0 && slot < SLOT_COUNT) {
        AbortSlot(slot);
    }
}

void CQuobrixDoc::PauseWorkers() {
    {
        CLock lock(m_csSlots);
        if (m_nState != IDS_STATE_SEEKING || m_bStop) {
            return;
        }
        StopRunLocked(IDS_STATE_PAUSED);
    }
    DeliverNotes();
}

bool CQuobrixDoc::PauseForFileError(int error, const std::string& path) {
    CLock lock(m_csSlots);
    if (m_nState != IDS_STATE_SEEKING || m_bStop) {
        return false;  // not running, or already stopping: reported once
    }
    StopRunLocked(IDS_STATE_PAUSED);
    m_pendingNotes.push_back({WM_FILE_ERROR, error, path});
    return true;
}

void CQuobrixDoc::StopRunLocked(unsigned state) {
    // The stop goes up with the state, so that no one can resume while
    // workers are still leaving; the last of them lowers it. With no worker
    // left to do so, there is nothing to stop.
    ChangeStateLocked(state);
    if (CountActive(0, SLOT_COUNT) > 0) {
        m_bStop = true;
        AbortAllSlots();
    }
}

void CQuobrixDoc::ForgetStaleWorkersLocked() {
    // An activity flag with no thread behind it was read from a file (or
    // left by a refused start): it must not keep the task from running or
    // ending. A worker clears its flag before its thread returns.
    for (int slot = 0; slot < SLOT_COUNT; ++slot) {
        const CThreadHandle& handle = m_hThread[slot];
        if (m_bActive[slot] && !(handle.Joinable() && !handle.HasReturned())) {
            m_bActive[slot] = false;
        }
    }
    if (CountActive(0, SLOT_COUNT) == 0) {
        m_bStop = false;  // no worker is left to lower it
        m_bSkipSite = false;
    }
}

void CQuobrixDoc::PrepareRun() {
    CLock lock(m_csResults, m_csSlots);
    PrepareRunLocked();
}

void CQuobrixDoc::PrepareRunLocked() {
    // The stop flag is lowered by StartWorkers once the state says Seeking,
    // so a run that goes on to its next site never looks ended in between.
    m_bSkipSite = false;
    for (AtomicValue<bool>& active : m_bActive) {
        active = false;
    }
    m_nSlotsUsed = 0;
    m_nOutageRun = 0;
    CloseResultFileLocked();

    const bool fresh = m_nState != IDS_STATE_PAUSED;
    BoundResultCountersLocked(fresh);
    if (fresh) {
        // A fresh start: from the start address, with every counter at zero.
        for (int slot = 0; slot < SLOT_COUNT; ++slot) {
            m_bNotHtml[slot] = false;
            m_nRequested[slot] = 0;
            m_nReceived[slot] = 0;
            m_bMatched[slot] = false;
        }
        ClearFailureRecordLocked();
        ForgetRobots();
        ForgetTlsNotice();
        const std::string firstUrl = TakeFirstSite();
        {
            CLock urlLock(m_csUrls);
            for (int slot = 1; slot < SLOT_COUNT; ++slot) {
                m_strUrl[slot].clear();
            }
            ResetUrlListLocked(firstUrl);
            m_strUrl[0] = m_arrUrls[0];
            m_nNextUrl = 1;
        }
        ClearAddress();
        return;
    }

    // A resume keeps the lists, the slots' URLs and the counters; only the
    // positions read from a file are brought within their lists.
    {
        CLock urlLock(m_csUrls);
        m_nNextUrl = std::clamp<int>(m_nNextUrl, 0, static_cast<int>(m_arrUrls.size()));
    }
    CLock siteLock(m_csSites);
    m_nNextSite = std::clamp<int>(m_nNextSite, 0, static_cast<int>(m_arrSites.size()));
}

void CQuobrixDoc::BoundResultCountersLocked(bool bFresh) {
    // Counters read from a file may be anything: the page number never goes
    // below 0 (an earlier page would be overwritten) and the rows in a page
    // stay within it. A resumed run appends to every page it begins, so
    // that rows already written are never lost.
    m_nResultsPerPage = std::clamp<int>(m_nResultsPerPage, kMinResultsPerPage, kMaxResultsPerPage);
    if (bFresh) {
        m_nResultPage = 0;
        m_nResultsInPage = 0;
        RemoveResultPagesAfterLocked(0);
        ClearFirstResultPageLocked();
    } else {
        m_nResultPage = std::max<int>(m_nResultPage, 0);
        m_nResultsInPage = std::clamp<int>(m_nResultsInPage, 0, m_nResultsPerPage - 1);
        CutResultPagesLocked();
    }
    m_bAppendResultPages = !bFresh;
    // A fresh start shows its empty first page at once (StartWorkers); a
    // resume shows its page with its first row.
    m_bRunShowedResults = bFresh;
    m_strResultPagePath = m_strTaskDir + "ResultPage" + std::to_string(m_nResultPage) + ".html";
}

void CQuobrixDoc::StartWorkers() {
    bool started;
    bool fresh;
    {
        CLock lock(m_csResults, m_csSlots);
        fresh = m_nState != IDS_STATE_PAUSED && m_nState != IDS_STATE_SEEKING;
        started = StartRunLocked(true);
    }
    if (started) {
        SetModifiedFlag();
    }
    DeliverNotes();
    if (started && fresh) {
        // The rows of the run before go from the view at once.
        NavigateToResults();
    }
}

bool CQuobrixDoc::StartRunLocked(bool bCommand) {
    ForgetStaleWorkersLocked();
    if (CountActive(0, SLOT_COUNT) > 0) {
        return false;  // the task runs, or its stop ends by itself
    }
    if (bCommand) {
        m_bSlotsClosed = false;  // JoinWorkers closed them until this start
    }
    if (m_nState == IDS_STATE_SEEKING) {
        m_nState = IDS_STATE_PAUSED;  // no worker runs it: a run read from a file resumes
    }
    ResetThreadBar();
    PrepareRunLocked();
    if (!HasUsableRange()) {
        ChangeStateLocked(IDS_STATE_FINISHED);  // an address range that does not parse: nothing to crawl
        m_bStop = false;
        return true;
    }
    ChangeStateLocked(IDS_STATE_SEEKING);
    m_bStop = false;

    const int maxThreads = MaxThreads();
    // A resume whose slots below the limit hold nothing still needs one
    // worker: it takes the waiting URLs, the stranded ones, or moves the
    // crawl on.
    bool anyWork = false;
    for (int slot = 0; slot < maxThreads; ++slot) {
        anyWork = anyWork || !m_strUrl[slot].empty();
    }
    int started = 0;
    bool refused = false;
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
    if (started == 0) {
        // No thread could be made: stop as paused, so the user can resume.
        ChangeStateLocked(refused ? IDS_STATE_PAUSED : IDS_STATE_FINISHED);
    }
    return true;
}

void CQuobrixDoc::StartNextSite() {
    {
        CLock lock(m_csResults, m_csSlots);
        StartNextSiteLocked();
    }
    DeliverNotes();
}

void CQuobrixDoc::StartNextSiteLocked() {
    // The last worker of a skip has left: the run goes on with one worker
    // on the next site, in this same hold, so it never looks ended between.
    m_bSkipSite = false;
    if (!TakeNextSite()) {
        ChangeStateLocked(IDS_STATE_FINISHED);
        m_bStop = false;
        return;
    }
    m_nOutageRun = 0;
    ClearAddress();
    {
        CLock lock(m_csUrls, m_csSites);
        ResetUrlListLocked(SiteRoot(m_strCurrentSite));
        m_strUrl[0] = m_arrUrls[0];
        m_nNextUrl = 1;
    }
    // The counters of the new site go out with the state, in order.
    m_pendingNotes.push_back({WM_LINKS_QUEUED, 0, int64_t{0}});
    m_pendingNotes.push_back({WM_LINKS_REQUESTED, 0, int64_t{LinksRequested()}});
    // The state is Paused: a resume that keeps the counters.
    StartRunLocked(false);
}

void CQuobrixDoc::EndRunLocked(bool bPausedAfterSite) {
    // The state a command set while workers were leaving stays.
    if (!m_bStop) {
        ChangeStateLocked(bPausedAfterSite ? IDS_STATE_PAUSED : IDS_STATE_FINISHED);
    }
    CloseResultFileLocked();
    if (m_bSkipSite) {
        StartNextSiteLocked();
    } else {
        m_bStop = false;
    }
}

void CQuobrixDoc::JoinWorkers() {
    std::vector<CThreadHandle> threads;
    {
        CLock lock(m_csSlots);
        // A worker still running may want to start another: it is refused
        // from here on, so every thread of the task is among those taken.
        m_bSlotsClosed = true;
        threads = std::move(m_arrRetired);
        m_arrRetired.clear();
        for (CThreadHandle& handle : m_hThread) {
            threads.push_back(std::move(handle));
            handle = CThreadHandle();
        }
    }
    AtRunStep(RunStep::Join, -1);
    for (CThreadHandle& handle : threads) {
        handle.Join();
    }
}

void CQuobrixDoc::ShutDownWorkers() {
    {
        CLock lock(m_csSlots);
        m_bSlotsClosed = true;
        m_bSkipSite = false;  // no next site begins
        if (CountActive(0, SLOT_COUNT) > 0) {
            m_bStop = true;
            AbortAllSlots();
        }
    }
    JoinWorkers();
}
