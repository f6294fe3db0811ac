#include "task/QuobrixDoc.h"

#include <algorithm>

bool CQuobrixDoc::IsRunning() const {
    return m_nState == IDS_STATE_SEEKING;
}

bool CQuobrixDoc::CanRun() const {
    return !IsRunning() && !m_bStop && !GetCurrentSite().empty();
}

bool CQuobrixDoc::CanPause() const {
    return m_nState == IDS_STATE_SEEKING || m_nState == IDS_STATE_PAUSED;
}

bool CQuobrixDoc::IsPauseChecked() const {
    return m_nState == IDS_STATE_PAUSED;
}

bool CQuobrixDoc::CanAbort() const {
    return CanPause();
}

bool CQuobrixDoc::CanEditProperties() const {
    return !GetCurrentSite().empty();
}

bool CQuobrixDoc::CanSkipSite() const {
    if (!IsRunning()) {
        return false;
    }
    CLock lock(m_csSites);
    if (m_bSiteMode) {
        return m_nNextSite < static_cast<int>(m_arrSites.size());
    }
    return m_strCurrentSite != m_strEndAddress;
}

bool CQuobrixDoc::CanActOnSlot(int slot) const {
    return slot >= 0 && slot < SLOT_COUNT && m_bActive[slot];
}

bool CQuobrixDoc::HaveWorkersReturned() const {
    // A worker may hold the scheduler lock while it waits for the asking
    // thread: then they have not.
    if (!m_csSlots.try_lock()) {
        return false;
    }
    const auto returned = [](const CThreadHandle& handle) {
        return !handle.Joinable() || handle.HasReturned();
    };
    const bool allReturned = std::all_of(m_hThread.begin(), m_hThread.end(), returned) &&
                           std::all_of(m_arrRetired.begin(), m_arrRetired.end(), returned);
    m_csSlots.unlock();
    return allReturned;
}
