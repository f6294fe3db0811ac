#include "ui/sheets/TaskOptionsSheet.h"

#include <mutex>

#include "common/StringTable.h"
#include "task/QuobrixDoc.h"
#include "ui/sheets/PageGeneral.h"
#include "ui/sheets/PageSave.h"
#include "ui/sheets/SheetOptions.h"

namespace {

// One value between the task and a page, in the direction asked.
template <typename T>
void Exchange(AtomicValue<T>& taskValue, T& pageValue, bool bToTask) {
    if (bToTask) {
        taskValue = pageValue;
    } else {
        pageValue = taskValue;
    }
}

// The values that pass unchanged between the task and the pages.
void ExchangeProperties(CQuobrixDoc& doc, CPageGeneral& general, CPageSave& save, bool bToTask) {
    Exchange(doc.m_bPauseAfterSite, general.m_bPauseAfterSite, bToTask);
    Exchange(doc.m_nDepth, general.m_nDepth, bToTask);
    Exchange(doc.m_nResultsPerPage, general.m_nResultsPerPage, bToTask);
    Exchange(doc.m_bPromptAuth, general.m_bPromptAuth, bToTask);
    Exchange(doc.m_nAutoSaveMinutes, general.m_nAutoSaveMinutes, bToTask);
    Exchange(doc.m_nAbstractMaxLength, general.m_nAbstractMaxLength, bToTask);
    Exchange(doc.m_nAbstractStart, general.m_nAbstractStart, bToTask);
    Exchange(doc.m_nAbstractOffset, general.m_nAbstractOffset, bToTask);

    Exchange(doc.m_bFilterText, save.m_bFilter[CPageSave::ROW_TEXT], bToTask);
    Exchange(doc.m_bFilterImage, save.m_bFilter[CPageSave::ROW_IMAGE], bToTask);
    Exchange(doc.m_bFilterOthers, save.m_bFilter[CPageSave::ROW_OTHERS], bToTask);
    Exchange(doc.m_nTextMaxK, save.m_nMaxK[CPageSave::ROW_TEXT], bToTask);
    Exchange(doc.m_nImageMaxK, save.m_nMaxK[CPageSave::ROW_IMAGE], bToTask);
    Exchange(doc.m_nOthersMaxK, save.m_nMaxK[CPageSave::ROW_OTHERS], bToTask);
    Exchange(doc.m_bRecolorLinks, save.m_bRecolorLinks, bToTask);
    Exchange(doc.m_crLinkColor, save.m_crLinkColor, bToTask);
    Exchange(doc.m_nRetries, save.m_nRetries, bToTask);
    Exchange(doc.m_nMaxThreads, save.m_nMaxThreads, bToTask);
}

void FillPages(CQuobrixDoc& doc, uint32_t crDefaultLinkColor, CPageGeneral& general,
               CPageSave& save) {
    {
        std::lock_guard lock(doc.m_csKeywords);
        general.m_strKeywords = doc.m_strKeywords;
    }
    general.m_bMatchCase = doc.m_bMatchCase;
    ExchangeProperties(doc, general, save, false);
    save.m_crDefaultLinkColor = crDefaultLinkColor;
    save.m_nTimeout = doc.m_nTimeout / 1000;  // whole seconds, the rest dropped
}

void StorePages(CPageGeneral& general, CPageSave& save, CQuobrixDoc& doc) {
    // Also marks the keywords changed, whether or not they are.
    doc.SetKeywords(general.m_strKeywords, general.m_bMatchCase);
    ExchangeProperties(doc, general, save, true);
    doc.m_nTimeout = save.m_nTimeout * 1000;
}

}  // namespace

bool RunTaskOptions(QWidget* parent, CQuobrixDoc& doc, uint32_t crDefaultLinkColor) {
    CSheetOptions sheet(QString::fromStdString(LoadString(IDS_TASK_OPTIONS_TITLE)), parent);
    auto* pGeneral = new CPageGeneral;
    auto* pSave = new CPageSave;
    FillPages(doc, crDefaultLinkColor, *pGeneral, *pSave);
    sheet.AddPage(pGeneral);
    sheet.AddPage(pSave);
    if (sheet.exec() != QDialog::Accepted) {
        return false;
    }
    StorePages(*pGeneral, *pSave, doc);
    doc.SetModifiedFlag();
    return true;
}
