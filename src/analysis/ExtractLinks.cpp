#include <algorithm>

#include "analysis/LinkValue.h"
#include "analysis/TextSearch.h"
#include "common/Messages.h"
#include "common/StringTable.h"
#include "common/Text.h"
#include "engine/Url.h"
#include "engine/UrlCombine.h"
#include "task/QuobrixDoc.h"

namespace {
constexpr size_t kMaxCombinedUrl = 511;  // longer links are not followed
constexpr size_t kMaxBuiltUrl = 259;     // folder URLs and host names beyond it are skipped

const char* const kLinkAttributes[] = {"href", "src", "background"};

}  // namespace

void CQuobrixDoc::ResetUrlListLocked(const std::string& first) {
    m_arrUrls.clear();
    m_urlIndex.Clear();
    m_urlIndex.AppendIfNew(m_arrUrls, first);
}

bool CQuobrixDoc::QueueUrl(std::string_view url) {
    CLock lock(m_csUrls);
    if (m_arrUrls.size() >= static_cast<size_t>(std::max<int>(m_nMaxUrls, 1))) {
        return false;  // full: further links of this site are not queued
    }
    return m_urlIndex.AppendIfNew(m_arrUrls, url);
}

void CQuobrixDoc::RebuildListIndexes() {
    {
        CLock lock(m_csUrls);
        m_urlIndex.Rebuild(m_arrUrls);
    }
    CLock lock(m_csSites);
    m_siteIndex.Rebuild(m_arrSites);
}

CQuobrixDoc::CLinkEffect CQuobrixDoc::FollowLink(std::string url, const CLinkRules& rules) {
    CLinkEffect effect;
    // On a plain site an https:// link to its own host is the same page of
    // the site being crawled; a site moved to HTTPS takes its old links.
    const std::string linkSite = SiteOfUrl(url);
    if (!linkSite.empty() && IsHttpsSite(linkSite) != IsHttpsSite(rules.m_strSite) &&
        (rules.m_bHttpsLinks || rules.m_bMovedToHttps)) {
        const std::optional<CHostPort> link = ParseSite(linkSite);
        const std::optional<CHostPort> site = ParseSite(rules.m_strSite);
        const bool bUpgrade = rules.m_bMovedToHttps && !IsHttpsSite(linkSite);
        const bool bDowngrade = rules.m_bHttpsLinks && IsHttpsSite(linkSite);
        if (link && site && (bUpgrade || bDowngrade) && EqualsNoCase(link->m_strName, site->m_strName)) {
            const size_t pathBegin = url.find('/', url.find("//") + 2);
            url = rules.m_strRoot + (pathBegin == std::string::npos ? "" : url.substr(pathBegin + 1));
        }
    }

    const std::string& root = rules.m_strRoot;
    if (url.size() >= root.size() && StartsWithNoCase(url, root)) {
        url.resize(std::min(url.size(), url.find('#')));
        bool tooDeep = false;
        if (rules.m_nDepthLimit != 0) {
            const long slashes = std::count(url.begin() + static_cast<long>(root.size()), url.end(), '/');
            tooDeep = 1 + slashes > rules.m_nDepthLimit;
        }
        if (!tooDeep && QueueUrl(url)) {
            effect.m_bUrls = true;
        }
        // Every folder above the URL is queued too, from the top, until
        // one is known already or the depth is reached.
        int counter = 1;
        for (size_t slash = url.find('/', root.size()); slash != std::string::npos && !m_bStop;
             slash = url.find('/', slash + 1)) {
            if (slash + 1 > kMaxBuiltUrl) {
                break;
            }
            if (!QueueUrl(std::string_view(url).substr(0, slash + 1))) {
                break;
            }
            effect.m_bUrls = true;
            ++counter;
            if (rules.m_nDepthLimit != 0 && counter >= rules.m_nDepthLimit) {
                break;
            }
        }
        return effect;
    }

    // Another site: only a site-mode task collects it, an HTTPS one only
    // while HTTPS links are followed.
    if (!m_bSiteMode || linkSite.empty() || (IsHttpsSite(linkSite) && !rules.m_bHttpsLinks)) {
        return effect;
    }
    if (linkSite.size() <= kMaxBuiltUrl && AddSite(linkSite)) {
        effect.m_bSites = true;
    }
    return effect;
}

CQuobrixDoc::CLinkRules CQuobrixDoc::CurrentLinkRules() {
    CLinkRules rules;
    {
        CLock lock(m_csSites);
        rules.m_strSite = m_strCurrentSite;
        rules.m_bMovedToHttps = m_bSiteMovedToHttps;
    }
    rules.m_strRoot = SiteRoot(rules.m_strSite);
    rules.m_nDepthLimit = std::max<int>(m_nDepth, 0);  // 0: no limit
    rules.m_bHttpsLinks = GetAppOptions().m_bHttpsLinks;
    return rules;
}

void CQuobrixDoc::ExtractLinks(int slot) {
    const std::string pageUrl = GetSlotUrl(slot);
    NotifyThreadStatus(slot, PHASE_PARSE, FormatString(IDS_STATUS_PARSING, {pageUrl}));
    const CLinkRules rules = CurrentLinkRules();
    const std::string& tags = m_strTagText[slot];  // written only by this slot's thread
    const int names = m_bFilterImage ? 3 : 1;      // image sources only while images are wanted

    // A page may queue thousands of links: the counters go out at most a few
    // times a second while it is scanned, and once at its end.
    bool urlsChanged = false;
    bool sitesChanged = false;
    const auto publish = [&](bool bAtEnd) {
        if ((!urlsChanged && !sitesChanged) || (!bAtEnd && !TakeCountsTurn())) {
            return;
        }
        if (urlsChanged) {
            NotifyLinkCounts();
        }
        if (sitesChanged) {
            NotifySitesLeft();
        }
        urlsChanged = sitesChanged = false;
    };

    int j = FindAnyNoCase(tags, kLinkAttributes, names, 0);
    while (j != -1 && !m_bStop) {
        const size_t equals = tags.find('=', static_cast<size_t>(j));
        if (equals == std::string::npos) {
            break;
        }
        const size_t close = tags.find('>', equals + 1);
        if (close == std::string::npos) {
            break;
        }
        // At most one link per tag: the next search starts at its end.
        j = FindAnyNoCase(tags, kLinkAttributes, names, static_cast<int>(close));

        const std::string link =
            LinkOfValue(std::string_view(tags).substr(equals + 1, close - equals - 1));
        if (link.empty()) {
            continue;
        }
        std::optional<std::string> combined = CombineUrl(pageUrl, link, kMaxCombinedUrl);
        if (!combined) {
            continue;
        }
        const CLinkEffect effect = FollowLink(std::move(*combined), rules);
        urlsChanged = urlsChanged || effect.m_bUrls;
        sitesChanged = sitesChanged || effect.m_bSites;
        if (effect.m_bUrls || effect.m_bSites) {
            publish(false);
        }
    }
    publish(true);
}
