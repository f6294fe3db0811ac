#include "cli/TaskJson.h"

#include "cli/JsonWriter.h"

namespace {
void StringList(CJsonWriter& json, const char* name, const std::vector<std::string>& list) {
    json.Key(name);
    json.BeginArray();
    for (const std::string& item : list) {
        json.String(item);
    }
    json.EndArray();
}
}  // namespace

std::string TaskToJson(const CTaskFields& task) {
    CJsonWriter json;
    json.BeginObject();
    const std::pair<const char*, const std::string*> texts[] = {
        {"m_strTaskDir", &task.m_strTaskDir},
        {"m_strStartAddress", &task.m_strStartAddress},
        {"m_strEndAddress", &task.m_strEndAddress},
        {"m_strCurrentSite", &task.m_strCurrentSite},
        {"m_strKeywords", &task.m_strKeywords},
        {"m_strEmailListPath", &task.m_strEmailListPath},
        {"m_strTaskTitle", &task.m_strTaskTitle},
        {"m_strResultPagePath", &task.m_strResultPagePath},
        {"m_strSiteAuthorization", &task.m_strSiteAuthorization},
    };
    for (const auto& [name, text] : texts) {
        json.Key(name);
        json.String(*text);
    }
    StringList(json, "m_arrUrls", task.m_arrUrls);
    StringList(json, "m_arrReserved", task.m_arrReserved);
    StringList(json, "m_arrSites", task.m_arrSites);
    StringList(json, "m_arrKeywords", task.m_arrKeywords);

    auto number = [&json](const char* name, int64_t value) {
        json.Key(name);
        json.Number(value);
    };
    auto flag = [&json](const char* name, bool value) {
        json.Key(name);
        json.Bool(value);
    };
    number("m_nState", task.m_nState.Load());
    number("m_nSlotsUsed", task.m_nSlotsUsed);
    number("m_nMaxThreads", task.m_nMaxThreads);
    flag("m_bSiteMode", task.m_bSiteMode);
    number("m_nNextUrl", task.m_nNextUrl);
    number("m_nNextSite", task.m_nNextSite);
    number("m_nRetries", task.m_nRetries);
    number("m_nTimeout", task.m_nTimeout);
    number("m_crLinkColor", task.m_crLinkColor.Load());
    number("m_nAutoSaveMinutes", task.m_nAutoSaveMinutes);
    number("m_nDepth", task.m_nDepth);
    number("m_nResultsInPage", task.m_nResultsInPage);
    number("m_nResultPage", task.m_nResultPage);
    number("m_nResultsPerPage", task.m_nResultsPerPage);
    number("m_nTextMaxK", task.m_nTextMaxK);
    number("m_nImageMaxK", task.m_nImageMaxK);
    number("m_nOthersMaxK", task.m_nOthersMaxK);
    flag("m_bPauseAfterSite", task.m_bPauseAfterSite);
    flag("m_bMatchCase", task.m_bMatchCase);
    flag("m_bPromptAuth", task.m_bPromptAuth);
    flag("m_bFilterText", task.m_bFilterText);
    flag("m_bFilterImage", task.m_bFilterImage);
    flag("m_bFilterOthers", task.m_bFilterOthers);
    flag("m_bRecolorLinks", task.m_bRecolorLinks);

    json.Key("slots");
    json.BeginArray();
    for (int slot = 0; slot < SLOT_COUNT; ++slot) {
        json.BeginObject();
        const std::pair<const char*, const std::string*> slotTexts[] = {
            {"m_strPage", &task.m_strPage[slot]},
            {"m_strHeader", &task.m_strHeader[slot]},
            {"m_strTagText", &task.m_strTagText[slot]},
            {"m_strPlainText", &task.m_strPlainText[slot]},
            {"m_strUrl", &task.m_strUrl[slot]},
            {"m_strLocalPath", &task.m_strLocalPath[slot]},
            {"m_strTitle", &task.m_strTitle[slot]},
            {"m_strAbstract", &task.m_strAbstract[slot]},
        };
        for (const auto& [name, text] : slotTexts) {
            json.Key(name);
            json.String(*text);
        }
        number("m_nPageLength", task.m_nPageLength[slot]);
        number("m_nRequested", task.m_nRequested[slot]);
        number("m_nReceived", task.m_nReceived[slot]);
        flag("m_bActive", task.m_bActive[slot]);
        flag("m_bNotHtml", task.m_bNotHtml[slot]);
        flag("m_bMatched", task.m_bMatched[slot]);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    return json.Text();
}
