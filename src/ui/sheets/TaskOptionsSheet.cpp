#include "ui/sheets/TaskOptionsSheet.h"

#include <mutex>

#include "common/StringTable.h"
#include "task/QuobrixDoc.h"
#include "ui/sheets/PageGeneral.h"
#include "ui/sheets/PageSave.h"
#include "ui/sheets/SheetOptions.h"

namespace {

void FillPages(CQuobrixDoc& doc, uint32_t crDefaultLinkColor, CPageGeneral& general,
               CPageSave& save) {
    {
        std::lock_guard lock(doc.m_csKeywords);
        general.m_strKeywords = doc.m_strKeywords;
    }
    general.m_bMatchCase = doc.m_bMatchCase;
    general.m_bPauseAfterSite = doc.m_bPauseAfterSite;
    general.m_nDepth = doc.m_nDepth;
    general.m_nResultsPerPage = doc.m_nResultsPerPage;
    general.m_bPromptAuth = doc.m_bPromptAuth;
    general.m_nAutoSaveMinutes = doc.m_nAutoSaveMinutes;
    general.m_nAbstractMaxLength = doc.m_nAbstractMaxLength;
    general.m_nAbstractStart = doc.m_nAbstractStart;
    general.m_nAbstractOffset = doc.m_nAbstractOffset;

    save.m_bFilter[CPageSave::ROW_TEXT] = doc.m_bFilterText;
    save.m_bFilter[CPageSave::ROW_IMAGE] = doc.m_bFilterImage;
    save.m_bFilter[CPageSave::ROW_OTHERS] = doc.m_bFilterOthers;
    save.m_nMaxK[CPageSave::ROW_TEXT] = doc.m_nTextMaxK;
    save.m_nMaxK[CPageSave::ROW_IMAGE] = doc.m_nImageMaxK;
    save.m_nMaxK[CPageSave::ROW_OTHERS] = doc.m_nOthersMaxK;
    save.m_bRecolorLinks = doc.m_bRecolorLinks;
    save.m_crLinkColor = doc.m_crLinkColor;
    save.m_crDefaultLinkColor = crDefaultLinkColor;
    save.m_nRetries = doc.m_nRetries;
    save.m_nTimeout = doc.m_nTimeout / 1000;  // whole seconds, the rest dropped
    save.m_nMaxThreads = doc.m_nMaxThreads;
}

void StorePages(const CPageGeneral& general, const CPageSave& save, CQuobrixDoc& doc) {
    // Also marks the keywords changed, whether or not they are.
    doc.SetKeywords(general.m_strKeywords, general.m_bMatchCase);
    doc.m_bPauseAfterSite = general.m_bPauseAfterSite;
    doc.m_nDepth = general.m_nDepth;
    doc.m_nResultsPerPage = general.m_nResultsPerPage;
    doc.m_bPromptAuth = general.m_bPromptAuth;
    doc.m_nAutoSaveMinutes = general.m_nAutoSaveMinutes;
    doc.m_nAbstractMaxLength = general.m_nAbstractMaxLength;
    doc.m_nAbstractStart = general.m_nAbstractStart;
    doc.m_nAbstractOffset = general.m_nAbstractOffset;

    doc.m_bFilterText = save.m_bFilter[CPageSave::ROW_TEXT];
    doc.m_bFilterImage = save.m_bFilter[CPageSave::ROW_IMAGE];
    doc.m_bFilterOthers = save.m_bFilter[CPageSave::ROW_OTHERS];
    doc.m_nTextMaxK = save.m_nMaxK[CPageSave::ROW_TEXT];
    doc.m_nImageMaxK = save.m_nMaxK[CPageSave::ROW_IMAGE];
    doc.m_nOthersMaxK = save.m_nMaxK[CPageSave::ROW_OTHERS];
    doc.m_bRecolorLinks = save.m_bRecolorLinks;
    doc.m_crLinkColor = save.m_crLinkColor;
    doc.m_nRetries = save.m_nRetries;
    doc.m_nTimeout = save.m_nTimeout * 1000;
    doc.m_nMaxThreads = save.m_nMaxThreads;
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
