#include <algorithm>
#include <set>

#include "EngineFixture.h"
#include "common/Messages.h"

namespace {
using namespace std::chrono_literals;

FixtureServer::Response SlowPage(std::chrono::milliseconds delay, const std::string& body = "page") {
    FixtureServer::Response response = FixtureServer::Ok(body);
    response.delayBeforeAnswer = delay;
    return response;
}

std::vector<std::string> Urls(const FixtureServer& server, int count, const std::string& stem = "/p") {
    std::vector<std::string> urls;
    for (int i = 0; i < count; ++i) {
        urls.push_back(server.Url(stem + std::to_string(i) + ".html"));
    }
    return urls;
}

size_t CountOf(const std::vector<std::string>& targets, const std::string& target) {
    return static_cast<size_t>(std::count(targets.begin(), targets.end(), target));
}
}  // namespace

TEST_F(EngineTest, AFreshStartFetchesTheStartPageWithOneWorkerAndFinishes) {
    FixtureServer server;
    server.Route("/docs/start.html", FixtureServer::Ok("<html>hello</html>"));
    SiteTask(server, "/docs/start.html");
    ASSERT_TRUE(RunToEnd());

    EXPECT_EQ(Targets(server), std::vector<std::string>{"/docs/start.html"});
    EXPECT_EQ(doc().m_nSlotsUsed, 1);
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
    EXPECT_EQ(doc().LinksRequested(), 1);
    EXPECT_GT(doc().m_nReceived[0], 18);
    EXPECT_EQ(m_frame.Texts(WM_TASK_STATE), (std::vector<std::string>{"Seeking...", "Finished"}));
    EXPECT_TRUE(doc().IsModified());

    // The thread list saw the connection, the request, the reading and the end.
    const std::vector<std::string> lines = m_bar.Texts(WM_THREAD_STATUS);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Connecting to web site: " + server.HostPort());
    EXPECT_EQ(lines[1], "Requesting web page: " + server.Url("/docs/start.html"));
    EXPECT_EQ(lines.back(), "Terminated, requested 1 links, received " +
                                std::to_string(doc().m_nReceived[0]) + " bytes");
    const std::string reading = "Reading web page: " + server.Url("/docs/start.html") +
                                "    18bytes( 100% )";
    EXPECT_NE(std::find(lines.begin(), lines.end(), reading), lines.end());
}

TEST_F(EngineTest, WaitingUrlsStartOneMoreWorkerEachUpToTheLimit) {
    FixtureServer server;
    server.SetDefault(SlowPage(150ms));
    SiteTask(server);
    std::vector<std::string> urls = Urls(server, 31);
    PausedWith(urls, 1, {{0, urls[0]}});
    doc().m_arrSites = {server.HostPort()};
    doc().m_nNextSite = 1;

    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(doc().m_nSlotsUsed, 10);
    const std::vector<std::string> targets = Targets(server);
    EXPECT_EQ(targets.size(), 31u);
    EXPECT_EQ(std::set<std::string>(targets.begin(), targets.end()).size(), 31u);
    EXPECT_EQ(doc().LinksRequested(), 31);
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
}

TEST_F(EngineTest, TwoWorkersRunningDryTogetherMoveTheCrawlOnOnce) {
    FixtureServer a;
    FixtureServer b("127.0.0.2");
    FixtureServer c("127.0.0.3");
    for (int round = 0; round < 10; ++round) {
        a.SetDefault(SlowPage(50ms));
        SiteTask(a);
        PausedWith({a.Url("/1"), a.Url("/2")}, 2, {{0, a.Url("/1")}, {1, a.Url("/2")}});
        doc().m_arrSites = {a.HostPort(), b.HostPort(), c.HostPort()};
        doc().m_nNextSite = 1;
        doc().m_strCurrentSite = a.HostPort();
        ASSERT_TRUE(RunToEnd()) << "round " << round;
        ASSERT_EQ(b.RequestCount(), static_cast<size_t>(round + 1)) << "round " << round;
        ASSERT_EQ(c.RequestCount(), static_cast<size_t>(round + 1)) << "round " << round;
        ASSERT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
    }
}

TEST_F(EngineTest, ALoweredLimitTakesEffectAndStrandedUrlsAreTakenOver) {
    FixtureServer server;
    server.SetDefault(SlowPage(300ms));
    SiteTask(server);
    std::vector<std::string> urls = Urls(server, 20);
    PausedWith(urls, 1, {{0, urls[0]}});
    doc().OnTaskRun();
    ASSERT_TRUE(WaitFor([&] { return doc().m_nSlotsUsed == 10; }));
    doc().m_nMaxThreads = 3;
    ASSERT_TRUE(WaitFor([&] {
        int active = 0;
        for (int slot = 0; slot < SLOT_COUNT; ++slot) {
            active += doc().m_bActive[slot] ? 1 : 0;
        }
        return active <= 3;
    }));
    ASSERT_TRUE(WaitUntilEnded());
    EXPECT_EQ(Targets(server).size(), 20u);

    // Paused with ten busy slots, resumed under a limit of three: the URLs of
    // slots 3 to 9 are taken over by the workers below the limit.
    std::vector<std::pair<int, std::string>> busy;
    std::vector<std::string> more = Urls(server, 10, "/q");
    for (int slot = 0; slot < 10; ++slot) {
        busy.emplace_back(slot, more[static_cast<size_t>(slot)]);
    }
    server.SetDefault(SlowPage(20ms));
    PausedWith(more, 10, busy);
    doc().m_nMaxThreads = 3;
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(doc().m_nSlotsUsed, 3);
    const std::vector<std::string> targets = Targets(server);
    for (const std::string& url : more) {
        EXPECT_EQ(CountOf(targets, url.substr(url.find('/', 7))), 1u) << url;
    }
    for (int slot = 0; slot < SLOT_COUNT; ++slot) {
        EXPECT_TRUE(doc().m_strUrl[slot].empty()) << slot;
    }
}

TEST_F(EngineTest, PauseLeavesTheBusyUrlsForTheResume) {
    FixtureServer server;
    FixtureServer::Response stuck;
    stuck.silent = true;
    server.SetDefault(stuck);
    SiteTask(server);
    std::vector<std::string> urls = Urls(server, 5);
    PausedWith(urls, 5, {{0, urls[0]}, {1, urls[1]}, {2, urls[2]}, {3, urls[3]}, {4, urls[4]}});
    doc().OnTaskRun();
    ASSERT_TRUE(server.WaitForRequests(5));

    doc().OnTaskPause();
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_PAUSED});  // at once
    ASSERT_TRUE(WaitUntilEnded(5s));
    EXPECT_FALSE(doc().IsStopping());
    std::set<std::string> kept;
    for (int slot = 0; slot < SLOT_COUNT; ++slot) {
        if (!doc().m_strUrl[slot].empty()) {
            kept.insert(doc().m_strUrl[slot]);
        }
    }
    EXPECT_EQ(kept, std::set<std::string>(urls.begin(), urls.end()));
    EXPECT_EQ(doc().LinksRequested(), 0);
    EXPECT_EQ(m_bar.Texts(WM_THREAD_STATUS).back().rfind("Terminated, requested 0 links", 0), 0u);

    // Resume: the same five URLs are fetched again, by five workers.
    server.SetDefault(FixtureServer::Ok("back"));
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(server.RequestCount(), 10u);
    EXPECT_EQ(doc().m_nSlotsUsed, 5);
    EXPECT_EQ(doc().LinksRequested(), 5);
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
}

TEST_F(EngineTest, AbortWhilePausedMakesTheNextStartAFreshOne) {
    FixtureServer server;
    server.SetDefault(FixtureServer::Ok("x"));
    SiteTask(server, "/start.html");
    PausedWith({server.Url("/old.html")}, 1, {{0, server.Url("/old.html")}});
    doc().m_nRequested[3] = 7;
    doc().SetModifiedFlag(false);

    doc().OnTaskAbort();
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_ABORTED});
    EXPECT_TRUE(doc().IsModified());
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(Targets(server), std::vector<std::string>{"/start.html"});
    EXPECT_EQ(doc().LinksRequested(), 1);
}

TEST_F(EngineTest, AbortWhileRunningStopsAndKeepsTheState) {
    FixtureServer server;
    FixtureServer::Response stuck;
    stuck.silent = true;
    server.SetDefault(stuck);
    SiteTask(server);
    doc().OnTaskRun();
    ASSERT_TRUE(server.WaitForRequests(1));
    doc().OnTaskAbort();
    doc().OnTaskAbort();  // a second abort during the stop does nothing
    ASSERT_TRUE(WaitUntilEnded(5s));
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_ABORTED});
    EXPECT_EQ(m_frame.Texts(WM_TASK_STATE).back(), "Aborted");
}

TEST_F(EngineTest, SkipCurrentSiteGoesOnWithTheNextSiteAndKeepsTheCounters) {
    FixtureServer a;
    FixtureServer b("127.0.0.2");
    FixtureServer::Response stuck;
    stuck.silent = true;
    a.SetDefault(stuck);
    a.Route("/done.html", FixtureServer::Ok("done"));
    b.SetDefault(FixtureServer::Ok("b"));
    SiteTask(a);
    PausedWith({a.Url("/done.html"), a.Url("/1"), a.Url("/2"), a.Url("/3")}, 1,
               {{0, a.Url("/done.html")}});
    doc().m_arrSites = {a.HostPort(), b.HostPort()};
    doc().m_nNextSite = 1;
    doc().OnTaskRun();
    ASSERT_TRUE(a.WaitForRequests(4));
    EXPECT_TRUE(doc().CanSkipSite());

    doc().OnSkipCurrentSite();
    ASSERT_TRUE(WaitUntilEnded());
    EXPECT_EQ(Targets(b), std::vector<std::string>{"/"});
    EXPECT_EQ(doc().LinksRequested(), 2);  // done.html, then b's root
    EXPECT_EQ(doc().m_strCurrentSite, b.HostPort());
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
    for (int slot = 0; slot < SLOT_COUNT; ++slot) {
        EXPECT_TRUE(doc().m_strUrl[slot].empty()) << slot;
    }
}

TEST_F(EngineTest, RangeIsCrawledInOrderToItsEndThroughAProxy) {
    FixtureServer proxy;
    proxy.SetDefault(FixtureServer::Ok("server"));
    RangeTask("10.0.0.254", "10.0.1.1", proxy);
    doc().PrepareRun();
    EXPECT_EQ(doc().SitesLeft(), 3u);
    doc().m_nState = IDS_STATE_IDLE;
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(Targets(proxy), (std::vector<std::string>{"http://10.0.0.254/", "http://10.0.0.255/",
                                                        "http://10.0.1.0/", "http://10.0.1.1/"}));
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
    EXPECT_EQ(m_frame.Numbers(WM_SITES_LEFT).back(), 0);
    for (const FixtureServer::Request& request : proxy.Requests()) {
        EXPECT_FALSE(request.HasHeader("Host"));
    }
}

TEST_F(EngineTest, PauseAfterSiteInARangePausesAfterEveryAddress) {
    FixtureServer proxy;
    proxy.SetDefault(FixtureServer::Ok("server"));
    RangeTask("10.0.0.1", "10.0.0.3", proxy);
    doc().m_bPauseAfterSite = true;
    for (int address = 1; address <= 3; ++address) {
        ASSERT_TRUE(RunToEnd());
        EXPECT_EQ(proxy.RequestCount(), static_cast<size_t>(address));
        EXPECT_EQ(Targets(proxy).back(), "http://10.0.0." + std::to_string(address) + "/");
        if (address < 3) {
            EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_PAUSED});
            // The next address waits in slot 0 for the resume.
            EXPECT_EQ(doc().m_strUrl[0], "http://10.0.0." + std::to_string(address + 1) + "/");
        }
    }
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
    EXPECT_TRUE(doc().m_strUrl[0].empty());
}

TEST_F(EngineTest, ARangeThatDoesNotParseEndsFinishedWithoutFetching) {
    FixtureServer proxy;
    RangeTask("10.0.0.x", "10.0.0.3", proxy);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
    EXPECT_EQ(proxy.RequestCount(), 0u);
}

TEST_F(EngineTest, ValuesReadFromAFileAreBroughtWithinBounds) {
    FixtureServer server;
    server.SetDefault(FixtureServer::Ok("ok"));
    SiteTask(server);
    std::vector<std::string> urls = Urls(server, 3);
    PausedWith(urls, 99, {{0, urls[0]}, {14, urls[1]}});
    doc().m_nMaxThreads = 0;
    doc().m_nRetries = -4;
    doc().m_nTimeout = -1;
    doc().m_nTextMaxK = -1;
    doc().m_nNextSite = -7;
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(doc().m_nSlotsUsed, 1);
    // Slot 14 lies above the limit: its stranded URL is taken over by slot 0.
    EXPECT_EQ(server.RequestCount(), 2u);
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
}

TEST_F(EngineTest, AbortRetrievalFailsOneFetchAndTheWorkerGoesOn) {
    FixtureServer server;
    FixtureServer::Response stuck;
    stuck.silent = true;
    server.Route("/stuck.html", stuck);
    server.SetDefault(FixtureServer::Ok("fine"));
    SiteTask(server);
    PausedWith({server.Url("/stuck.html"), server.Url("/next.html")}, 1,
               {{0, server.Url("/stuck.html")}});
    doc().OnTaskRun();
    ASSERT_TRUE(server.WaitForRequests(1));
    doc().OnAbortRetrieval(0);
    ASSERT_TRUE(WaitUntilEnded());
    EXPECT_EQ(Targets(server), (std::vector<std::string>{"/stuck.html", "/next.html"}));
    EXPECT_EQ(doc().LinksRequested(), 2);
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
}

namespace {
// A task record whose system refuses new threads.
class NoThreadsDoc : public CTestDoc {
protected:
    bool CreateWorkerThread(int) override { return false; }
};
}  // namespace

TEST(SchedulerThreads, ARefusedThreadLeavesTheSlotInactiveAndTheTaskStopped) {
    TempDir dir;
    NoThreadsDoc doc;
    doc.m_strTaskDir = dir.Path();
    doc.m_strStartAddress = "127.0.0.1:9/";
    doc.OnTaskRun();
    EXPECT_EQ(doc.m_nState, unsigned{IDS_STATE_PAUSED});
    EXPECT_FALSE(doc.HasActiveWorkers());
    EXPECT_FALSE(doc.IsStopping());
    EXPECT_EQ(doc.m_strUrl[0], "http://127.0.0.1:9/");  // kept for a resume
}

TEST(SchedulerThreads, StartAndAbortManyTimesWithinATimeBudget) {
    TempDir dir;
    FixtureServer server;
    server.SetDefault(FixtureServer::Ok("x"));
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    int rounds = 0;
    while (rounds < 200 && std::chrono::steady_clock::now() < deadline) {
        CTestDoc doc;
        doc.m_strTaskDir = dir.Path();
        doc.m_strStartAddress = server.HostPort() + "/";
        doc.OnTaskRun();
        if (rounds % 2 == 0) {
            doc.OnTaskAbort();
        }
        ++rounds;  // the destructor stops and joins whatever still runs
    }
    EXPECT_GE(rounds, 20);
}

// What the view is told: a fresh start shows its empty first page at once,
// without the rows of the run before; the first row of a resumed run shows
// the page it goes to again, so the view follows the run after a pause.
TEST_F(EngineTest, EveryRunShowsTheResultPageItWritesTo) {
    FixtureServer server;
    FixtureServer::Response stuck;
    stuck.silent = true;
    server.SetDefault(stuck);
    SiteTask(server);
    doc().m_nServerPort = 4321;
    WriteFileBytes(m_dir / "ResultPage0.html", "<tr>a row of the run before</tr>\r\n");
    doc().m_nState = IDS_STATE_FINISHED;
    doc().OnTaskRun();
    ASSERT_TRUE(server.WaitForRequests(1));
    EXPECT_EQ(ReadFileBytes(m_dir / "ResultPage0.html"), "");
    EXPECT_EQ(m_view.Texts(WM_NAVIGATE_VIEW), std::vector<std::string>{"http://127.0.0.1:4321/"});

    doc().OnTaskPause();
    ASSERT_TRUE(WaitUntilEnded(5s));
    doc().m_nResultPage = 2;  // as if the run had filled two pages
    server.SetDefault(FixtureServer::Ok("<html><title>Back</title>back</html>"));
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(m_view.Texts(WM_NAVIGATE_VIEW),
              (std::vector<std::string>{"http://127.0.0.1:4321/",
                                        "http://127.0.0.1:4321/ResultPage2.html"}));
}
