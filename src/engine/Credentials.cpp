#include "common/Base64.h"
#include "common/Messages.h"
#include "engine/Url.h"
#include "task/QuobrixDoc.h"

void CQuobrixDoc::SetSiteAuthorization(const std::string& credential, const std::string& host) {
    CLock lock(m_csCredential);
    m_strSiteAuthorization = credential;
    m_strAuthHost = host;
}

std::string CQuobrixDoc::GetSiteAuthorization() {
    CLock lock(m_csCredential);
    return m_strSiteAuthorization;
}

// Caller holds m_csAuth, so one prompt serves every slot refused meanwhile.
bool CQuobrixDoc::RequestAuthorization(int slot) {
    if (m_hWndMainFrame == nullptr) {
        return false;
    }
    return m_hWndMainFrame->Send(WM_AUTHORIZE, 0, GetSlotUrl(slot)) == 1;
}

void CQuobrixDoc::AnswerAuthorization(const std::string& url, bool bOk, const std::string& account,
                                      const std::string& password, bool bDoNotPromptAgain) {
    if (!bOk) {
        SetSiteAuthorization("", "");
        return;
    }
    const std::optional<CUrlParts> parts = CrackUrl(url);
    SetSiteAuthorization(CBase64::Encode(account + ":" + password),
                         parts ? parts->m_strHostText : std::string());
    m_bPromptAuth = !bDoNotPromptAgain;
}
