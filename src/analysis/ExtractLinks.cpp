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

void CQuobrixDoc::ExtractLinks(int slot) {
    const std::string pageUrl = GetSlotUrl(slot);
    NotifyThreadStatus(slot, PHASE_PARSE, FormatString(IDS_STATUS_PARSING, {pageUrl}));
    const std::string root = "http://" + GetCurrentSite() + "/";
    const std::string& tags = m_strTagText[slot];  // written only by this slot's thread
    const int names = m_bFilterImage ? 3 : 1;      // image sources only while images are wanted
    const int depthLimit = std::max<int>(m_nDepth, 0);  // 0: no limit

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
        std::string url = std::move(*combined);

        if (url.size() >= root.size() && StartsWithNoCase(url, root)) {
            url.resize(std::min(url.size(), url.find('#')));
            bool tooDeep = false;
            if (depthLimit != 0) {
                const long slashes = std::count(url.begin() + static_cast<long>(root.size()), url.end(), '/');
                tooDeep = 1 + slashes > depthLimit;
            }
            if (!tooDeep && QueueUrl(url)) {
                urlsChanged = true;
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
                urlsChanged = true;
                ++counter;
                if (depthLimit != 0 && counter >= depthLimit) {
                    break;
                }
            }
            publish(false);
            continue;
        }

        // Another site: only a site-mode task collects it.
        if (!m_bSiteMode || !StartsWithNoCase(url, "http://")) {
            continue;
        }
        const size_t hostEnd = url.find('/', 7);
        const std::string host = url.substr(7, hostEnd == std::string::npos ? hostEnd : hostEnd - 7);
        if (!host.empty() && host.size() <= kMaxBuiltUrl && AddSite(host)) {
            sitesChanged = true;
            publish(false);
        }
    }
    publish(true);
}
