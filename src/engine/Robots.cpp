// robots.txt: fetched once per site, before its first page, by the first
// worker that needs it; the others wait for its rules.
#include <chrono>
#include <thread>

#include "common/Text.h"
#include "engine/HttpRequest.h"
#include "engine/HttpResponse.h"
#include "engine/RobotsRules.h"
#include "engine/Url.h"
#include "engine/UrlCombine.h"
#include "task/QuobrixDoc.h"

namespace {
constexpr size_t kMaxRobotsBytes = 512 * 1024;  // more than the rules read
constexpr int kMaxRobotsRedirects = 5;
constexpr int kWaitSliceMs = 20;
constexpr size_t kBlockSize = 4096;
}  // namespace

CQuobrixDoc::CRobotsAnswer CQuobrixDoc::FetchRobots(int slot, const std::string& site) {
    const std::string root = SiteRoot(site);
    const std::string token = RobotsProductToken(GetAppOptions().m_strAgent);
    std::string url = root + "robots.txt";
    for (int redirects = 0;; ++redirects) {
        if (!WaitForTurn(slot)) {
            return {nullptr, {FailureReason::Aborted, 0}};
        }
        if (ConnectSlot(slot) < 0 || SendRequest(slot, url) < 0) {
            CloseSlotSocket(slot);
            return {nullptr, m_failure[slot]};  // the site cannot be reached: its pages say why
        }
        std::string response;
        char block[kBlockSize];
        for (;;) {
            const ssize_t count = ReceiveSlot(slot, block, sizeof block, TimeoutMs());
            if (count < 0) {
                const CPageFailure failure = FailureOfError(errno, false, false);
                CloseSlotSocket(slot);
                return {nullptr, failure};
            }
            if (count == 0) {
                break;
            }
            response.append(block, static_cast<size_t>(count));
            if (response.size() >= kMaxRobotsBytes) {
                break;
            }
        }
        CloseSlotSocket(slot);
        const size_t end = FindHeaderEnd(response);
        const int status = end == std::string::npos ? -1 : StatusCode(response.substr(0, end));
        if (status >= 200 && status < 300) {
            return {std::make_shared<CRobotsRules>(
                        CRobotsRules::Parse(std::string_view(response).substr(end), token)),
                    {}};
        }
        if (IsRedirectStatus(status) && redirects < kMaxRobotsRedirects) {
            const std::optional<std::string> location = Location(response.substr(0, end));
            const std::optional<std::string> target =
                location ? CombineUrl(url, *location, 511) : std::nullopt;
            if (target && StartsWithNoCase(*target, root)) {
                url = *target;
                continue;
            }
        }
        if (status >= 500 || status < 0) {
            // The site says it has rules but cannot give them: nothing is allowed.
            return {std::make_shared<CRobotsRules>(CRobotsRules::DisallowAll()), {}, true};
        }
        // 4xx, or redirects elsewhere: no rules.
        return {std::make_shared<CRobotsRules>(CRobotsRules::AllowAll()), {}};
    }
}

CPageFailure CQuobrixDoc::ApplyRobots(int slot, const std::string& url) {
    if (!GetAppOptions().m_bRobots) {
        return {};
    }
    const std::optional<CUrlParts> parts = CrackUrl(url);
    if (!parts) {
        return {};
    }
    const std::string site = GetCurrentSite();
    std::shared_ptr<const CRobotsRules> rules;
    bool bUnavailable = false;
    for (;;) {
        {
            CLock lock(m_csRobots);
            if (m_pRobots && m_strRobotsSite == site) {
                rules = m_pRobots;
                bUnavailable = m_bRobotsUnavailable;
                break;
            }
            if (!m_bRobotsFetching) {
                m_bRobotsFetching = true;
                break;
            }
        }
        if (m_bStop || m_bSlotAborted[slot]) {
            return {FailureReason::Aborted, 0};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kWaitSliceMs));
    }
    if (!rules) {
        const CRobotsAnswer answer = FetchRobots(slot, site);
        CLock lock(m_csRobots);
        m_bRobotsFetching = false;
        if (!answer.m_pRules) {
            return answer.m_failure;  // tried again by the next page
        }
        m_pRobots = answer.m_pRules;
        m_strRobotsSite = site;
        m_bRobotsUnavailable = answer.m_bUnavailable;
        rules = answer.m_pRules;
        bUnavailable = answer.m_bUnavailable;
    }
    if (rules->Allows(PathAndQuery(*parts))) {
        return {};
    }
    return {bUnavailable ? FailureReason::RobotsUnavailable : FailureReason::RobotsDisallowed, 0};
}

void CQuobrixDoc::ForgetRobots() {
    {
        CLock lock(m_csRobots);
        m_pRobots.reset();
        m_strRobotsSite.clear();
        m_bRobotsUnavailable = false;
    }
    CLock lock(m_csPolite);
    m_strPoliteSite.clear();
}
