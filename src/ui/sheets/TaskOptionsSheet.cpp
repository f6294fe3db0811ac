#include "ui/sheets/TaskOptionsSheet.h"

#include <string>

#include "common/StringTable.h"
#include "task/Task.h"
#include "ui/UiText.h"
#include "ui/sheets/ChangedValues.h"
#include "ui/sheets/PageGeneral.h"
#include "ui/sheets/PageSave.h"
#include "ui/sheets/SheetOptions.h"

namespace {

void FillPages(CTaskProperties& task, CPageGeneral& general, CPageSave& save,
               CChangedValues& values) {
    values.Open(task.m_keywords.m_strText, general.m_strKeywords);
    values.Open(task.m_keywords.m_bMatchCase, general.m_bMatchCase);
    values.Open(task.m_bPauseAfterSite, general.m_bPauseAfterSite);
    values.Open(task.m_nDepth, general.m_nDepth);
    values.Open(task.m_nResultsPerPage, general.m_nResultsPerPage);
    values.Open(task.m_bPromptAuth, general.m_bPromptAuth);
    values.Open(task.m_nAutoSaveMinutes, general.m_nAutoSaveMinutes);
    values.Open(task.m_abstract.m_nMaxLength, general.m_nAbstractMaxLength);
    values.Open(task.m_abstract.m_nStart, general.m_nAbstractStart);
    values.Open(task.m_abstract.m_nOffset, general.m_nAbstractOffset);

    values.Open(task.m_bFilterText, save.m_bFilter[CPageSave::ROW_TEXT]);
    values.Open(task.m_bFilterImage, save.m_bFilter[CPageSave::ROW_IMAGE]);
    values.Open(task.m_bFilterOthers, save.m_bFilter[CPageSave::ROW_OTHERS]);
    values.Open(task.m_nTextMaxK, save.m_nMaxK[CPageSave::ROW_TEXT]);
    values.Open(task.m_nImageMaxK, save.m_nMaxK[CPageSave::ROW_IMAGE]);
    values.Open(task.m_nOthersMaxK, save.m_nMaxK[CPageSave::ROW_OTHERS]);
    values.Open(task.m_bRecolorLinks, save.m_bRecolorLinks);
    values.Open(task.m_crLinkColor, save.m_crLinkColor);
    values.Open(task.m_nRetries, save.m_nRetries);
    const auto toSeconds = [](int nMs) { return nMs / 1000; };  // the rest dropped
    const auto toMs = [](int nSeconds) { return nSeconds * 1000; };
    values.Open(task.m_nTimeout, save.m_nTimeout, toSeconds, toMs);
    values.Open(task.m_nMaxThreads, save.m_nMaxThreads);
}

}  // namespace

bool RunTaskOptions(QWidget* parent, ITask& doc, uint32_t crDefaultLinkColor) {
    CSheetOptions sheet(UiText(IDS_TASK_OPTIONS_TITLE), parent);
    auto* pGeneral = new CPageGeneral;
    auto* pSave = new CPageSave;
    CTaskProperties properties = doc.GetProperties();
    CChangedValues values;
    FillPages(properties, *pGeneral, *pSave, values);
    pSave->m_crDefaultLinkColor = crDefaultLinkColor;
    sheet.AddPage(pGeneral);
    sheet.AddPage(pSave);
    if (sheet.exec() != QDialog::Accepted) {
        return false;
    }
    // What the user left as it was keeps what the task holds by now.
    properties = doc.GetProperties();
    values.StoreChanged();
    // Marks the keywords changed on every OK, whether or not they are.
    doc.SetProperties(properties);
    return true;
}
