#include "common/StringTable.h"
#include "task/Archive.h"
#include "task/TaskFields.h"

// The field order is the file format: change nothing here without a way to
// read the files already written.
bool CTaskFields::SerializeFields(CArchive& ar, bool bSlots) {
    ar.Text(m_strTaskDir);
    ar.Text(m_strStartAddress);
    ar.Text(m_strEndAddress);
    ar.Text(m_strCurrentSite);
    ar.Text(m_strKeywords);
    ar.Text(m_strEmailListPath);
    ar.Text(m_strTaskTitle);
    ar.Text(m_strResultPagePath);
    ar.Text(m_strSiteAuthorization);
    ar.TextList(m_arrUrls);
    if (ar.IsStoring()) {
        std::vector<std::string> none;  // the reserved list is always written empty
        ar.TextList(none);
    } else {
        ar.TextList(m_arrReserved);
    }
    ar.TextList(m_arrSites);
    ar.TextList(m_arrKeywords);

    // A task saved while it runs is stored as paused, so that it resumes.
    AtomicValue<unsigned> state =
        m_nState == IDS_STATE_SEEKING ? unsigned{IDS_STATE_PAUSED} : m_nState.Load();
    ar.Number(state);
    if (!ar.IsStoring()) {
        m_nState = state;
    }

    // Reserved numbers: written 0, ignored when read.
    auto reserved = [&ar] {
        int32_t zero = 0;
        ar.Number(zero);
    };
    ar.Number(m_nSlotsUsed);
    ar.Number(m_nMaxThreads);
    ar.Bool(m_bSiteMode);
    ar.Number(m_nNextUrl);
    ar.Number(m_nNextSite);
    reserved();
    ar.Number(m_nRetries);
    ar.Number(m_nTimeout);
    reserved();
    ar.Number(m_crLinkColor);
    ar.Number(m_nAutoSaveMinutes);
    ar.Number(m_nDepth);
    ar.Number(m_nResultsInPage);
    ar.Number(m_nResultPage);
    ar.Number(m_nResultsPerPage);
    ar.Number(m_nTextMaxK);
    ar.Number(m_nImageMaxK);
    ar.Number(m_nOthersMaxK);
    ar.Bool(m_bPauseAfterSite);
    reserved();
    reserved();
    reserved();
    ar.Bool(m_bMatchCase);
    reserved();
    ar.Bool(m_bPromptAuth);
    ar.Bool(m_bFilterText);
    ar.Bool(m_bFilterImage);
    ar.Bool(m_bFilterOthers);
    ar.Bool(m_bRecolorLinks);

    for (int slot = 0; bSlots && slot < SLOT_COUNT && !ar.Failed(); ++slot) {
        SerializeSlot(ar, slot, m_strUrl[slot], m_bActive[slot]);
    }
    return !ar.Failed();
}

void CTaskFields::SerializeSlot(CArchive& ar, int slot, std::string& url,
                                AtomicValue<bool>& active) {
    ar.Text(m_strPage[slot]);
    ar.Text(m_strHeader[slot]);
    ar.Text(m_strTagText[slot]);
    ar.Text(m_strPlainText[slot]);
    ar.Text(url);
    ar.Text(m_strLocalPath[slot]);
    ar.Text(m_strTitle[slot]);
    ar.Text(m_strAbstract[slot]);
    ar.Number(m_nPageLength[slot]);
    ar.Number(m_nRequested[slot]);
    ar.Number(m_nReceived[slot]);
    ar.Bool(active);
    ar.Bool(m_bNotHtml[slot]);
    ar.Bool(m_bMatched[slot]);
}
