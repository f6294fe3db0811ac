#include "common/IpAddress.h"
#include "common/Messages.h"
#include "task/QuobrixDoc.h"

std::string CQuobrixDoc::TakeFirstSite() {
    std::lock_guard lock(m_csSites);
    if (!m_bSiteMode) {
        m_strCurrentSite = m_strStartAddress;
        return "http://" + m_strCurrentSite + "/";
    }
    // "example.com/docs/a.html": host up to the first "/", path from it on.
    const size_t slash = m_strStartAddress.find('/');
    const std::string host = m_strStartAddress.substr(0, slash);
    const std::string path = slash == std::string::npos ? "/" : m_strStartAddress.substr(slash);
    m_arrSites.clear();
    m_arrSites.push_back(host);
    m_strCurrentSite = m_arrSites[0];
    m_nNextSite = 1;
    return "http://" + host + path;
}

unsigned CQuobrixDoc::SitesLeft() {
    std::lock_guard lock(m_csSites);
    if (m_bSiteMode) {
        return static_cast<unsigned>(static_cast<int>(m_arrSites.size()) - m_nNextSite);
    }
    // Addresses still to come after the current one; nothing to count when
    // the task file holds addresses that do not parse.
    const std::optional<uint32_t> current = ParseDottedIp(m_strCurrentSite);
    const std::optional<uint32_t> end = ParseDottedIp(m_strEndAddress);
    return current && end ? *end - *current : 0;
}

void CQuobrixDoc::NotifySitesLeft() {
    const unsigned left = SitesLeft();
    if (m_hWndMainFrame != nullptr) {
        m_hWndMainFrame->Send(WM_SITES_LEFT, 0, int64_t{left});
    }
}
