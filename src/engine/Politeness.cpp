// Requests to one site start at least the task's delay apart, over all
// workers: each request reserves the next start time, then waits for it.
#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "engine/RobotsRules.h"
#include "task/QuobrixDoc.h"

namespace {
constexpr int kSliceMs = 100;  // a stop is seen within one slice
}  // namespace

int CQuobrixDoc::SiteDelayMs() {
    int delay = std::clamp(GetAppOptions().m_nDelayMs, 0, kMaxDelayMs);
    const std::string site = GetCurrentSite();
    CLock lock(m_csRobots);
    // The last site's rules stay until the next site's arrive: they are not its.
    if (m_pRobots && m_strRobotsSite == site && m_pRobots->CrawlDelayMs()) {
        delay = std::max(delay, std::clamp(*m_pRobots->CrawlDelayMs(), 0, kMaxDelayMs));
    }
    return delay;
}

bool CQuobrixDoc::WaitForTurn(int slot) {
    const int delay = SiteDelayMs();
    if (delay <= 0) {
        return true;
    }
    using Clock = std::chrono::steady_clock;
    const std::chrono::milliseconds gap(delay);
    const std::string site = GetCurrentSite();
    Clock::time_point start;
    {
        CLock lock(m_csPolite);
        const Clock::time_point now = Clock::now();
        if (site != m_strPoliteSite) {
            m_strPoliteSite = site;  // a new site owes nothing to the last one
            m_nextRequest = now;
            m_earliestRequest = now;
        }
        start = std::max(now, m_nextRequest);
        m_nextRequest = start + gap;
    }
    for (;;) {
        if (m_bStop || m_bSlotAborted[slot]) {
            return false;
        }
        long long left = 0;
        {
            // The turn is kept only a delay after the request before it
            // really started: that one's worker may have woken late.
            CLock lock(m_csPolite);
            const Clock::time_point now = Clock::now();
            const Clock::time_point earliest = std::max(start, m_earliestRequest);
            if (now >= earliest) {
                m_earliestRequest = now + gap;
                return true;
            }
            left =
                std::chrono::duration_cast<std::chrono::milliseconds>(earliest - now).count() + 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min<long long>(left, kSliceMs)));
    }
}
