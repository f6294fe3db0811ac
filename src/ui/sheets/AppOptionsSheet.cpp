#include "ui/sheets/AppOptionsSheet.h"

#include "app/QuobrixApp.h"
#include "common/StringTable.h"
#include "ui/sheets/PageProgram.h"
#include "ui/sheets/SheetOptions.h"

bool RunAppOptions(QWidget* parent, CQuobrixApp& app) {
    CSheetOptions sheet(QString::fromStdString(LoadString(IDS_APP_OPTIONS_TITLE)), parent);
    auto* pProgram = new CPageProgram;
    pProgram->m_bUseProxy = app.m_bUseProxy;
    pProgram->m_strProxyAddress = app.m_strProxyAddress;
    pProgram->m_nProxyPort = app.m_nProxyPort;
    pProgram->m_strProxyUser = app.m_strProxyUser;
    pProgram->m_strProxyPassword = app.m_strProxyPassword;
    pProgram->m_strAgent = app.m_strAgent;
    sheet.AddPage(pProgram);
    if (sheet.exec() != QDialog::Accepted) {
        return false;
    }
    app.m_bUseProxy = pProgram->m_bUseProxy;
    app.m_strProxyAddress = pProgram->m_strProxyAddress;
    app.m_nProxyPort = pProgram->m_nProxyPort;
    app.m_strProxyUser = pProgram->m_strProxyUser;
    app.m_strProxyPassword = pProgram->m_strProxyPassword;
    app.m_strAgent = pProgram->m_strAgent;
    static_cast<void>(app.ApplyEditedOptions());
    return true;
}
