#include <unistd.h>

#include "task/QuobrixDoc.h"

void CQuobrixDoc::PrepareRun() {
    m_bStop = false;
    m_bSkipSite = false;
    for (AtomicValue<bool>& active : m_bActive) {
        active = false;
    }
    m_nSlotsUsed = 0;
    {
        std::lock_guard lock(m_csResults);
        if (m_hResultFile >= 0) {
            close(m_hResultFile);
        }
        m_hResultFile = -1;
    }
    if (m_nState == IDS_STATE_PAUSED) {
        return;  // a resume keeps the lists, the slots' URLs and the counters
    }

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
        m_arrUrls.clear();
        m_arrUrls.push_back(firstUrl);
        m_strUrl[0] = m_arrUrls[0];
        m_nNextUrl = 1;
    }
    ClearAddress();
    std::lock_guard lock(m_csResults);
    m_nResultPage = 0;
    m_nResultsInPage = 0;
}
