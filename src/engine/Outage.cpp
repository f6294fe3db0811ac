// An outage pauses the task instead of using up its queue. When the network,
// the proxy or (in site mode) the current site cannot be reached for
// OUTAGE_TRIES tries in a row, over all workers, the task pauses with the
// reason and every page keeps its place: the next run tries again. A page
// that fails this way keeps its slot and is tried again after a wait, so
// none is given up while the outage is judged. A refused connection is an
// answer, not an outage; so is any page that comes through.
#include <chrono>
#include <thread>

#include "common/Messages.h"
#include "task/QuobrixDoc.h"

namespace {
constexpr int kWaitSliceMs = 50;  // how soon a waiting try sees a stop
}  // namespace

CQuobrixDoc::OutageStep CQuobrixDoc::JudgeOutage(int slot) {
    const CPageFailure failure = m_failure[slot];
    if (!IsOutage(failure.m_reason, m_bSiteMode)) {
        EndOutageRun();
        return OutageStep::Failed;
    }
    CLock lock(m_csSlots);
    if (m_bStop) {
        return OutageStep::Stopped;
    }
    // A page that nothing else waits behind fails as any page does: the
    // root of a linked site whose name is gone, the last address. The
    // network and the proxy are shared by the sites still to come.
    const bool bOthersWait = CountActive(0, SLOT_COUNT) > 1 || LinksQueued() > 0 ||
                             (IsNetworkOutage(failure.m_reason) && !IsLastSite());
    if (!bOthersWait) {
        m_nOutageRun = 0;
        return OutageStep::Failed;
    }
    if (++m_nOutageRun < OUTAGE_TRIES) {
        return OutageStep::TryAgain;
    }
    m_nOutageRun = 0;
    if (m_nState != IDS_STATE_SEEKING) {
        return OutageStep::Stopped;
    }
    const bool bProxy = failure.m_reason == FailureReason::ProxyNotResolved ||
                        failure.m_reason == FailureReason::ProxyRefused ||
                        failure.m_reason == FailureReason::ProxyUnreachable;
    std::string where;
    if (bProxy) {
        const CAppOptions options = GetAppOptions();
        where = options.m_strProxyAddress + ":" + std::to_string(options.m_nProxyPort & 0xFFFF);
    } else {
        where = GetCurrentSite();
    }
    StopRunLocked(IDS_STATE_PAUSED);
    m_pendingNotes.push_back({WM_OUTAGE_PAUSED, FailureParam(slot, failure), where});
    return OutageStep::Paused;
}

void CQuobrixDoc::EndOutageRun() {
    if (m_nOutageRun != 0) {
        CLock lock(m_csSlots);
        m_nOutageRun = 0;
    }
}

bool CQuobrixDoc::WaitToTryAgain() {
    for (int waited = 0; waited < kOutageRetryMs && !m_bStop; waited += kWaitSliceMs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kWaitSliceMs));
    }
    return !m_bStop;
}
