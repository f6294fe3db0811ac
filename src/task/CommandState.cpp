#include "task/QuobrixDoc.h"

bool CQuobrixDoc::IsRunning() const {
    return m_nState == IDS_STATE_SEEKING;
}

bool CQuobrixDoc::CanRun() {
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

bool CQuobrixDoc::CanEditProperties() {
    return !GetCurrentSite().empty();
}

bool CQuobrixDoc::CanSkipSite() {
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
