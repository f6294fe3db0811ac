#include "ui/sheets/TaskOptionsSheet.h"

#include <mutex>
#include <string>

#include "common/StringTable.h"
#include "task/QuobrixDoc.h"
#include "ui/UiText.h"
#include "ui/sheets/ChangedValues.h"
#include "ui/sheets/PageGeneral.h"
#include "ui/sheets/PageSave.h"
#include "ui/sheets/SheetOptions.h"

namespace {

// The keywords and match case as the task holds them now; they go back
// together through SetKeywords.
struct CKeywords {
    std::string m_strKeywords;
    bool m_bMatchCase = false;

    void Read(CQuobrixDoc& doc) {
        {
            std::lock_guard lock(doc.m_csKeywords);
            m_strKeywords = doc.m_strKeywords;
        }
        m_bMatchCase = doc.m_bMatchCase;
    }
};

void FillPages(CQuobrixDoc& doc, CKeywords& keywords, CPageGeneral& general, CPageSave& save,
               CChangedValues& values) {
    keywords.Read(doc);
    values.Open(keywords.m_strKeywords, general.m_strKeywords);
    values.Open(keywords.m_bMatchCase, general.m_bMatchCase);
    values.Open(doc.m_bPauseAfterSite, general.m_bPauseAfterSite);
    values.Open(doc.m_nDepth, general.m_nDepth);
    values.Open(doc.m_nResultsPerPage, general.m_nResultsPerPage);
    values.Open(doc.m_bPromptAuth, general.m_bPromptAuth);
    values.Open(doc.m_nAutoSaveMinutes, general.m_nAutoSaveMinutes);
    values.Open(doc.m_nAbstractMaxLength, general.m_nAbstractMaxLength);
    values.Open(doc.m_nAbstractStart, general.m_nAbstractStart);
    values.Open(doc.m_nAbstractOffset, general.m_nAbstractOffset);

    values.Open(doc.m_bFilterText, save.m_bFilter[CPageSave::ROW_TEXT]);
    values.Open(doc.m_bFilterImage, save.m_bFilter[CPageSave::ROW_IMAGE]);
    values.Open(doc.m_bFilterOthers, save.m_bFilter[CPageSave::ROW_OTHERS]);
    values.Open(doc.m_nTextMaxK, save.m_nMaxK[CPageSave::ROW_TEXT]);
    values.Open(doc.m_nImageMaxK, save.m_nMaxK[CPageSave::ROW_IMAGE]);
    values.Open(doc.m_nOthersMaxK, save.m_nMaxK[CPageSave::ROW_OTHERS]);
    values.Open(doc.m_bRecolorLinks, save.m_bRecolorLinks);
    values.Open(doc.m_crLinkColor, save.m_crLinkColor);
    values.Open(doc.m_nRetries, save.m_nRetries);
    const auto toSeconds = [](int nMs) { return nMs / 1000; };  // the rest dropped
    const auto toMs = [](int nSeconds) { return nSeconds * 1000; };
    values.Open(doc.m_nTimeout, save.m_nTimeout, toSeconds, toMs);
    values.Open(doc.m_nMaxThreads, save.m_nMaxThreads);
}

}  // namespace

bool RunTaskOptions(QWidget* parent, CQuobrixDoc& doc, uint32_t crDefaultLinkColor) {
    CSheetOptions sheet(UiText(IDS_TASK_OPTIONS_TITLE), parent);
    auto* pGeneral = new CPageGeneral;
    auto* pSave = new CPageSave;
    CKeywords keywords;
    CChangedValues values;
    FillPages(doc, keywords, *pGeneral, *pSave, values);
    pSave->m_crDefaultLinkColor = crDefaultLinkColor;
    sheet.AddPage(pGeneral);
    sheet.AddPage(pSave);
    if (sheet.exec() != QDialog::Accepted) {
        return false;
    }
    keywords.Read(doc);
    values.StoreChanged();
    // Marks the keywords changed on every OK, whether or not they are.
    doc.SetKeywords(keywords.m_strKeywords, keywords.m_bMatchCase);
    doc.SetModifiedFlag();
    return true;
}
