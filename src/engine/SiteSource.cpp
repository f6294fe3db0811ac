#include <algorithm>

#include "common/IpAddress.h"
#include "common/Messages.h"
#include "common/Text.h"
#include "engine/PageStore.h"
#include "engine/Url.h"
#include "task/QuobrixDoc.h"

std::string CQuobrixDoc::TakeFirstSite() {
    CLock lock(m_csSites);
    m_bSiteMovedToHttps = false;
    if (!m_bSiteMode) {
        m_strCurrentSite = m_strStartAddress;
        return SiteRoot(m_strCurrentSite);
    }
    // "example.com/docs/a.html": the site up to the first "/" of its host
    // text, the path from it on.
    const CStartAddress start = SplitStartAddress(m_strStartAddress);
    m_arrSites.clear();
    m_siteIndex.Clear();
    m_siteIndex.AppendIfNew(m_arrSites, start.m_strSite);
    m_strCurrentSite = m_arrSites[0];
    m_nNextSite = 1;
    return SiteRoot(start.m_strSite).append(std::string_view(start.m_strPath).substr(1));
}

std::string CQuobrixDoc::StartHost() const {
    if (!m_bSiteMode) {
        return m_strStartAddress;
    }
    return std::string(SiteHostText(SplitStartAddress(m_strStartAddress).m_strSite));
}

bool CQuobrixDoc::HasUsableRange() {
    if (m_bSiteMode) {
        return true;
    }
    CLock lock(m_csSites);
    return ParseDottedIp(m_strCurrentSite) && ParseDottedIp(m_strEndAddress);
}

bool CQuobrixDoc::IsLastSite() {
    CLock lock(m_csSites);
    if (m_bSiteMode) {
        return m_nNextSite >= static_cast<int>(m_arrSites.size());
    }
    // Compared as numbers, not as text: a range whose current address has
    // passed its end (or is written differently) must still stop.
    const std::optional<uint32_t> current = ParseDottedIp(m_strCurrentSite);
    const std::optional<uint32_t> end = ParseDottedIp(m_strEndAddress);
    return !current || !end || *current >= *end;
}

void CQuobrixDoc::NextIpAddress() {
    const std::optional<uint32_t> current = ParseDottedIp(m_strCurrentSite);
    if (current && *current != 0xFFFFFFFFu) {
        m_strCurrentSite = FormatDottedIp(*current + 1);
    }
}

bool CQuobrixDoc::TakeNextSite() {
    if (IsLastSite()) {
        return false;
    }
    CLock lock(m_csSites);
    m_bSiteMovedToHttps = false;
    if (m_bSiteMode) {
        m_strCurrentSite = m_arrSites[static_cast<size_t>(m_nNextSite)];
        ++m_nNextSite;
    } else {
        NextIpAddress();
    }
    return true;
}

bool CQuobrixDoc::AddSite(const std::string& host) {
    CLock lock(m_csSites);
    if (m_arrSites.size() >= static_cast<size_t>(std::max<int>(m_nMaxSites, 1))) {
        return false;  // full: further sites are not collected
    }
    return m_siteIndex.AppendIfNew(m_arrSites, host);  // hosts compare without case
}

unsigned CQuobrixDoc::SitesLeft() const {
    CLock lock(m_csSites);
    if (m_bSiteMode) {
        const int left = static_cast<int>(m_arrSites.size()) - m_nNextSite;
        return left > 0 ? static_cast<unsigned>(left) : 0;
    }
    // Addresses still to come after the current one; nothing to count when
    // the task file holds addresses that do not parse.
    const std::optional<uint32_t> current = ParseDottedIp(m_strCurrentSite);
    const std::optional<uint32_t> end = ParseDottedIp(m_strEndAddress);
    return current && end && *end > *current ? *end - *current : 0;
}

void CQuobrixDoc::NotifySitesLeft() {
    const unsigned left = SitesLeft();
    if (m_hWndMainFrame != nullptr) {
        m_hWndMainFrame->Send(WM_SITES_LEFT, 0, int64_t{left});
    }
}

bool CQuobrixDoc::CrawlsHttps() const {
    const CAppOptions options = GetAppOptions();
    if (options.m_bHttpsLinks || options.m_bFollowRedirects) {
        return true;
    }
    CLock lock(m_csSites);
    return IsHttpsSite(m_strStartAddress) || IsHttpsSite(m_strCurrentSite) ||
           std::any_of(m_arrSites.begin(), m_arrSites.end(),
                       [](const std::string& site) { return IsHttpsSite(site); });
}

bool CQuobrixDoc::IsHttpsFolder(const std::string& folder) const {
    bool bHttps = false;
    bool bPlain = false;
    const auto look = [&](const std::string& site) {
        const std::optional<CUrlParts> parts = CrackUrl(SiteRoot(site));
        if (parts && EqualsNoCase(SiteFolderName(*parts), folder)) {
            (IsHttpsSite(site) ? bHttps : bPlain) = true;
        }
    };
    CLock lock(m_csSites);
    look(m_strCurrentSite);
    for (const std::string& site : m_arrSites) {
        look(site);
    }
    return bHttps && !bPlain;
}
