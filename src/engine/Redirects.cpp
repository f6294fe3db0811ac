// A redirect followed: its Location is the one link of a page that is
// neither stored nor listed.
#include <algorithm>

#include "common/Messages.h"
#include "common/StringTable.h"
#include "common/Text.h"
#include "engine/Url.h"
#include "task/QuobrixDoc.h"

namespace {
// "https://host[:port]" when target is on the HTTPS form of the plain site
// (the same host name), else empty.
std::string HttpsFormOf(const std::string& plainSite, const std::string& target) {
    const std::string targetSite = SiteOfUrl(target);
    if (plainSite.empty() || IsHttpsSite(plainSite) || !IsHttpsSite(targetSite)) {
        return {};
    }
    const std::optional<CHostPort> from = ParseSite(plainSite);
    const std::optional<CHostPort> to = ParseSite(targetSite);
    return from && to && EqualsNoCase(from->m_strName, to->m_strName) ? targetSite : std::string();
}
}  // namespace

bool CQuobrixDoc::MoveSiteToHttps(const std::string& plainSite, const std::string& httpsSite,
                                  const std::string& redirectedUrl) {
    {
        CLock lock(m_csSlots);
        CLock lists(m_csUrls, m_csSites);
        if (m_strCurrentSite != plainSite || m_siteIndex.Contains(m_arrSites, httpsSite)) {
            return false;  // the crawl moved on, or the HTTPS site is a site of its own already
        }
        for (std::string& site : m_arrSites) {
            if (EqualsNoCase(site, plainSite)) {
                site = httpsSite;
                break;
            }
        }
        m_siteIndex.Rebuild(m_arrSites);
        m_strCurrentSite = httpsSite;
        m_bSiteMovedToHttps = true;
        // The site's URLs, queued and handed out, take the new root, so that
        // neither is queued again in its other form. A URL still being
        // fetched keeps its own: its redirect to its HTTPS form (this one
        // among them) must queue that form, not find it listed.
        const std::string oldRoot = SiteRoot(plainSite);
        const std::string newRoot = SiteRoot(httpsSite);
        const auto fetching = [this](const std::string& url) {
            return std::find(m_strUrl.begin(), m_strUrl.end(), url) != m_strUrl.end();
        };
        for (std::string& url : m_arrUrls) {
            if (StartsWithNoCase(url, oldRoot) && url != redirectedUrl && !fetching(url)) {
                url = newRoot + url.substr(oldRoot.size());
            }
        }
        m_urlIndex.Rebuild(m_arrUrls);
    }
    ClearAddress();  // the next connection resolves the site on its HTTPS port
    return true;
}

void CQuobrixDoc::FollowRedirect(int slot, const std::string& target) {
    NotifyThreadStatus(slot, PHASE_PARSE, FormatString(IDS_STATUS_REDIRECTED, {target}));
    if (m_bSiteMode) {
        const std::string site = GetCurrentSite();
        const std::string httpsSite = HttpsFormOf(site, target);
        if (!httpsSite.empty() && MoveSiteToHttps(site, httpsSite, GetSlotUrl(slot))) {
            NotifySitesLeft();
        }
    }
    const CLinkEffect effect = FollowLink(target, CurrentLinkRules());
    if (effect.m_bUrls) {
        NotifyLinkCounts();
    }
    if (effect.m_bSites) {
        NotifySitesLeft();
    }
}
