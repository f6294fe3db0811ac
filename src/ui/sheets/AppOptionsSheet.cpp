#include "ui/sheets/AppOptionsSheet.h"

#include "app/QuobrixApp.h"
#include "common/StringTable.h"
#include "ui/sheets/ChangedValues.h"
#include "ui/sheets/PageProgram.h"
#include "ui/sheets/SheetOptions.h"

bool RunAppOptions(QWidget* parent, CQuobrixApp& app) {
    CSheetOptions sheet(QString::fromStdString(LoadString(IDS_APP_OPTIONS_TITLE)), parent);
    auto* pProgram = new CPageProgram;
    CChangedValues values;
    values.Open(app.m_bUseProxy, pProgram->m_bUseProxy);
    values.Open(app.m_strProxyAddress, pProgram->m_strProxyAddress);
    values.Open(app.m_nProxyPort, pProgram->m_nProxyPort);
    values.Open(app.m_strProxyUser, pProgram->m_strProxyUser);
    values.Open(app.m_strProxyPassword, pProgram->m_strProxyPassword);
    values.Open(app.m_strAgent, pProgram->m_strAgent);
    sheet.AddPage(pProgram);
    if (sheet.exec() != QDialog::Accepted) {
        return false;
    }
    values.StoreChanged();
    static_cast<void>(app.ApplyEditedOptions());
    return true;
}
