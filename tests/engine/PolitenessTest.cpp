// The least time between two requests to one site, over all workers: from
// the option, raised by a robots.txt Crawl-delay; a stop ends the wait.
#include <algorithm>
#include <functional>
#include <tuple>

#include "EngineFixture.h"

namespace {
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The fixture sees a request a moment after the worker began it; moments of
// two requests differ by this much at most on a loaded machine.
constexpr auto kArrivalJitter = 25ms;

std::string Links(int count) {
    std::string links;
    for (int page = 0; page < count; ++page) {
        links += "<a href=\"/p" + std::to_string(page) + ".html\">p</a> ";
    }
    return links;
}

// The requests of a server, in the order they arrived.
std::vector<FixtureServer::Request> ByArrival(const FixtureServer& server) {
    std::vector<FixtureServer::Request> requests = server.Requests();
    std::sort(requests.begin(), requests.end(),
              [](const auto& a, const auto& b) { return a.arrived < b.arrived; });
    return requests;
}

std::chrono::milliseconds Between(const FixtureServer::Request& a,
                                  const FixtureServer::Request& b) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(b.arrived - a.arrived);
}
}  // namespace

class Politeness : public EngineTest {
protected:
    void Options(int delayMs, bool bRobots) {
        CAppOptions options = doc().GetAppOptions();
        options.m_nDelayMs = delayMs;
        options.m_bRobots = bRobots;
        doc().SetAppOptions(options);
    }
};

TEST_F(Politeness, RequestsToASiteStartAtLeastTheDelayApart) {
    struct Case {
        const char* name;
        int delayMs;
        std::string robots;  // "": not obeyed
        std::chrono::milliseconds pageGap;
    };
    const Case cases[] = {
        {"the option", 150, "", 150ms},
        {"a Crawl-delay above it", 100, "User-agent: *\nCrawl-delay: 0.3\n", 300ms},
        {"a Crawl-delay below it", 200, "User-agent: *\nCrawl-delay: 0.05\n", 200ms},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        FixtureServer server;
        server.Route("/", FixtureServer::Ok(Links(5)));
        server.SetDefault(FixtureServer::Ok("page"));
        server.Route("/robots.txt", FixtureServer::Ok(test.robots, "text/plain"));
        UseDoc(std::make_unique<CTestDoc>());
        SiteTask(server);
        doc().m_nMaxThreads = 4;
        Options(test.delayMs, !test.robots.empty());
        ASSERT_TRUE(RunToEnd());

        const std::vector<FixtureServer::Request> requests = ByArrival(server);
        ASSERT_EQ(requests.size(), test.robots.empty() ? 6u : 7u);
        for (size_t at = 1; at < requests.size(); ++at) {
            SCOPED_TRACE(requests[at].target);
            // robots.txt comes before its Crawl-delay is known: only the
            // option holds between it and the first page.
            const auto least = requests[at - 1].target == "/robots.txt"
                                   ? std::chrono::milliseconds(test.delayMs)
                                   : test.pageGap;
            EXPECT_GE(Between(requests[at - 1], requests[at]), least - kArrivalJitter);
        }
    }
}

// A worker waiting for its turn sees a pause, an abort or a skip at once.
TEST_F(Politeness, AStopEndsALongWait) {
    struct Case {
        const char* name;
        std::function<void(CTestDoc&)> command;
        unsigned state;
        size_t nextSiteRequests;
    };
    const Case cases[] = {
        {"abort", [](CTestDoc& doc) { doc.OnTaskAbort(); }, IDS_STATE_ABORTED, 0},
        {"pause", [](CTestDoc& doc) { doc.OnTaskPause(); }, IDS_STATE_PAUSED, 0},
        {"skip", [](CTestDoc& doc) { doc.OnSkipCurrentSite(); }, IDS_STATE_FINISHED, 1},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        FixtureServer site;
        FixtureServer next("127.0.0.2");
        site.Route("/", FixtureServer::Ok(Links(3) + "<a href=\"http://" + next.HostPort() +
                                          "/\">next</a>"));
        next.Route("/", FixtureServer::Ok("the next site"));
        UseDoc(std::make_unique<CTestDoc>());
        SiteTask(site);
        Options(5000, false);
        doc().OnTaskRun();
        // The first page is in; its links wait their turns.
        ASSERT_TRUE(WaitFor([&] { return doc().LinksRequested() == 1; }, 5s));
        std::this_thread::sleep_for(100ms);

        test.command(doc());
        ASSERT_TRUE(WaitUntilEnded(3s)) << "the wait did not end";
        EXPECT_EQ(site.RequestCount(), 1u);
        EXPECT_EQ(next.RequestCount(), test.nextSiteRequests);
        EXPECT_EQ(doc().m_nState, test.state);
    }
}

// A Crawl-delay raises the option for its own site only, up to the bound;
// the next site owes nothing to the last one's.
TEST_F(Politeness, ACrawlDelayHoldsForItsOwnSiteOnlyAndWithinTheBound) {
    const std::tuple<const char*, int, int> cases[] = {
        {"2", 100, 2000},
        {"0.05", 100, 100},
        {"100", 100, kMaxDelayMs},
    };
    for (const auto& [crawlDelay, delayMs, expected] : cases) {
        SCOPED_TRACE(crawlDelay);
        FixtureServer site;
        site.Route("/", FixtureServer::Ok("one page"));
        site.Route(
            "/robots.txt",
            FixtureServer::Ok("User-agent: *\nCrawl-delay: " + std::string(crawlDelay) + "\n",
                              "text/plain"));
        UseDoc(std::make_unique<CTestDoc>());
        SiteTask(site);
        Options(delayMs, true);
        ASSERT_TRUE(RunToEnd());  // the one page waits only for the option
        EXPECT_EQ(doc().SiteDelayMs(), expected);
        doc().m_strCurrentSite = "127.0.0.2:8080";  // as the crawl moves on, before its rules
        EXPECT_EQ(doc().SiteDelayMs(), delayMs);
    }
}
