#include "common/Messages.h"
#include "common/StringTable.h"
#include "engine/Url.h"
#include "task/QuobrixDoc.h"

int CQuobrixDoc::CountActive(int from, int to) const {
    int active = 0;
    for (int slot = from; slot < to; ++slot) {
        active += m_bActive[slot] ? 1 : 0;
    }
    return active;
}

bool CQuobrixDoc::CreateWorkerThread(int slot) {
    try {
        m_hThread[slot] = CThreadHandle::Start([this, slot] { WorkerThreadProc(slot); });
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

bool CQuobrixDoc::StartWorkerLocked(int slot) {
    if (m_bSlotsClosed) {
        return false;  // JoinWorkers has taken the threads: none may follow
    }
    // The slot's previous thread may still be returning: keep its handle
    // until it can be joined without waiting.
    std::erase_if(m_arrRetired, [](CThreadHandle& handle) {
        if (!handle.HasReturned()) {
            return false;
        }
        handle.Join();
        return true;
    });
    if (m_hThread[slot].Joinable()) {
        if (m_hThread[slot].HasReturned()) {
            m_hThread[slot].Join();
        } else {
            m_arrRetired.push_back(std::move(m_hThread[slot]));
        }
    }
    if (m_nSlotsUsed < slot + 1) {
        m_nSlotsUsed = slot + 1;
    }
    ++m_nSlotWorker[slot];
    m_bActive[slot] = true;
    if (!CreateWorkerThread(slot)) {
        m_bActive[slot] = false;  // never marked active without a thread
        return false;
    }
    return true;
}

void CQuobrixDoc::WorkerThreadProc(int slot) {
    // No other worker starts in this slot before this one gives it up.
    const int worker = m_nSlotWorker[slot];
    NextWork next = NextWork::Leave;
    while (!m_bStop) {
        if (!GetSlotUrl(slot).empty()) {
            AtRunStep(RunStep::Fetch, slot);
            bool bListed = false;
            const bool bFailed = RetrievePage(slot) == -1;
            if (!bFailed) {
                EndOutageRun();
                if (m_bStop) {
                    break;
                }
                if (m_bNotHtml[slot]) {
                    m_bMatched[slot] = false;
                } else {
                    StripPage(slot);
                    if (m_bStop) {
                        break;
                    }
                    CheckKeywords(slot);
                    if (m_bStop) {
                        break;
                    }
                    ExtractLinks(slot);
                    if (m_bStop) {
                        break;
                    }
                }
                if (!m_bNotHtml[slot]) {
                    // Also counts the URL as done: once its row is listed it
                    // is never fetched again, not even after a stop.
                    WriteResultEntry(slot);
                    bListed = true;
                }
            }
            if (!bListed) {
                // A URL interrupted by a stop stays in the slot and is
                // fetched again on resume; a finished one is counted.
                if (m_bStop) {
                    break;
                }
                if (bFailed) {
                    const OutageStep step = JudgeOutage(slot);
                    if (step == OutageStep::TryAgain) {
                        if (!WaitToTryAgain()) {
                            break;
                        }
                        continue;  // the same URL, which kept its slot
                    }
                    if (step != OutageStep::Failed) {
                        DeliverNotes();
                        break;
                    }
                }
                const std::string url = GetSlotUrl(slot);
                if (!CompleteUrl(slot, bFailed)) {
                    break;
                }
                if (bFailed && m_failure[slot].Failed()) {
                    RecordFailure(slot, url, m_failure[slot]);
                }
            }
            SetModifiedFlag();  // the file keeps what a page changed
            NotifyLinkCounts();
        }
        AtRunStep(RunStep::Choose, slot);
        next = ChooseNextWork(slot);
        if (next != NextWork::Work) {
            break;
        }
        next = NextWork::Leave;
    }
    LeaveWorker(slot, worker, next);
}

CQuobrixDoc::NextWork CQuobrixDoc::ChooseNextWork(int slot) {
    CLock lock(m_csSlots);
    if (m_bStop) {
        return NextWork::Leave;  // a stop came after the last check: no new work, no new worker
    }
    const int maxThreads = MaxThreads();

    // A lowered thread limit takes effect here. The slot is given up in this
    // same hold: surplus workers that check together must not all leave.
    if (CountActive(0, SLOT_COUNT) > maxThreads) {
        m_bActive[slot] = false;
        return NextWork::LeaveInactive;
    }

    auto freeSlotBelowLimit = [&]() {
        for (int s = 0; s < maxThreads; ++s) {
            if (!m_bActive[s]) {
                return s;
            }
        }
        return -1;
    };

    // Stranded URLs: left in slots above the limit by workers that stopped.
    bool tookStranded = false;
    for (int s = maxThreads; s < SLOT_COUNT && !tookStranded; ++s) {
        if (s != slot && !m_strUrl[s].empty() && !m_bActive[s]) {
            m_strUrl[slot] = std::move(m_strUrl[s]);
            m_strUrl[s].clear();
            tookStranded = true;
        }
    }
    if (tookStranded) {
        for (int s = maxThreads; s < SLOT_COUNT; ++s) {
            if (s == slot || m_strUrl[s].empty() || m_bActive[s]) {
                continue;
            }
            const int free = freeSlotBelowLimit();
            if (free < 0) {
                break;
            }
            m_strUrl[free] = std::move(m_strUrl[s]);
            m_strUrl[s].clear();
            if (!StartWorkerLocked(free)) {
                m_strUrl[s] = std::move(m_strUrl[free]);  // back where it was found
                m_strUrl[free].clear();
                break;
            }
        }
    }

    {
        CLock urlLock(m_csUrls);
        int waiting = static_cast<int>(m_arrUrls.size()) - m_nNextUrl;
        if (waiting > 0) {
            if (!tookStranded) {
                m_strUrl[slot] = m_arrUrls[static_cast<size_t>(m_nNextUrl)];
                ++m_nNextUrl;
            }
            // One more worker for every other URL waiting, while slots are free.
            while (waiting > 1) {
                const int free = freeSlotBelowLimit();
                if (free < 0) {
                    break;
                }
                m_strUrl[free] = m_arrUrls[static_cast<size_t>(m_nNextUrl)];
                ++m_nNextUrl;
                if (!StartWorkerLocked(free)) {
                    m_strUrl[free].clear();
                    --m_nNextUrl;  // handed back: it is the last one handed out
                    break;
                }
                --waiting;
            }
            return NextWork::Work;
        }
    }
    if (tookStranded) {
        return NextWork::Work;
    }

    // The list is used up. Unless this is the only worker left (counted over
    // all slots, so a worker above a lowered limit can be the last too), it
    // gives up its slot in this same hold of the lock: of two workers that
    // run dry together, the second always finds itself last.
    if (CountActive(0, SLOT_COUNT) != 1) {
        m_bActive[slot] = false;
        return NextWork::LeaveInactive;
    }

    // The last worker moves the crawl on to the next site or address.
    if (!TakeNextSite()) {
        return NextWork::Leave;
    }
    m_nOutageRun = 0;  // the tries of one site say nothing of the next
    ClearAddress();
    {
        CLock listLocks(m_csUrls, m_csSites);
        ResetUrlListLocked(SiteRoot(m_strCurrentSite));
        m_strUrl[slot] = m_arrUrls[0];
        m_nNextUrl = 1;
    }
    if (m_bPauseAfterSite && !m_bStop) {
        return NextWork::LeavePausedAfterSite;
    }
    return NextWork::Work;
}

void CQuobrixDoc::PostTerminatedLine(int slot, int worker) {
    // Posted, not sent: a worker that has given up its slot must never wait
    // for the GUI thread, which may be joining it. A slot that already serves
    // the next worker keeps that worker's line; one that is about to waits
    // for this line under the slot's status lock.
    CLock lock(m_csSlotStatus[slot]);
    if (m_hWndThreadBar != nullptr && m_nSlotWorker[slot] == worker) {
        m_hWndThreadBar->Post(WM_THREAD_STATUS, static_cast<int64_t>(slot) * 256 + PHASE_ENDED,
                              FormatString(IDS_STATUS_TERMINATED,
                                           {m_nRequested[slot].Load(), m_nReceived[slot].Load()}));
    }
}

void CQuobrixDoc::LeaveWorker(int slot, int worker, NextWork why) {
    SetModifiedFlag();  // what the worker changed since its last page
    AtRunStep(RunStep::Leave, slot);
    PostTerminatedLine(slot, worker);
    if (why == NextWork::LeaveInactive) {
        return;  // its URL was used up, and the slot may already serve a new worker
    }
    const bool pausedAfterSite = why == NextWork::LeavePausedAfterSite;
    {
        // The result lock first: the last worker closes the page as the run
        // ends, before another run can open one.
        CLock lock(m_csResults, m_csSlots);
        if ((m_bSkipSite || !m_bStop) && !pausedAfterSite) {
            m_strUrl[slot].clear();  // a pause or abort leaves the URL for the resume
        }
        m_bActive[slot] = false;
        if (CountActive(0, SLOT_COUNT) > 0) {
            return;
        }
        // The last worker to leave ends the run, or after a skip goes on
        // with the next site.
        EndRunLocked(pausedAfterSite);
    }
    DeliverNotes();
}
