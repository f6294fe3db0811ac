#include "ui/sheets/AppOptionsSheet.h"

#include "app/QuobrixApp.h"
#include "common/StringTable.h"
#include "ui/UiText.h"
#include "ui/sheets/ChangedValues.h"
#include "ui/sheets/PageProgram.h"
#include "ui/sheets/PageWeb.h"
#include "ui/sheets/SheetOptions.h"

bool RunAppOptions(QWidget* parent, CQuobrixApp& app) {
    CSheetOptions sheet(UiText(IDS_APP_OPTIONS_TITLE), parent);
    auto* program = new CPageProgram;
    CChangedValues values;
    values.Open(app.m_bUseProxy, program->m_bUseProxy);
    values.Open(app.m_strProxyAddress, program->m_strProxyAddress);
    values.Open(app.m_nProxyPort, program->m_nProxyPort);
    values.Open(app.m_strProxyUser, program->m_strProxyUser);
    values.Open(app.m_strProxyPassword, program->m_strProxyPassword);
    values.Open(app.m_strAgent, program->m_strAgent);
    sheet.AddPage(program);
    auto* web = new CPageWeb;
    values.Open(app.m_bCheckCertificates, web->m_bCheckCertificates);
    values.Open(app.m_bHttpsLinks, web->m_bHttpsLinks);
    values.Open(app.m_bFollowRedirects, web->m_bFollowRedirects);
    values.Open(app.m_bRobots, web->m_bRobots);
    values.Open(app.m_nDelayMs, web->m_nDelayMs);
    sheet.AddPage(web);
    if (sheet.exec() != QDialog::Accepted) {
        return false;
    }
    values.StoreChanged();
    static_cast<void>(app.ApplyEditedOptions());
    return true;
}
