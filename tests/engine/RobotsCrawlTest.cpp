// robots.txt obeyed by a crawl: fetched once per site before its pages, what
// it disallows neither requested nor listed, but recorded.
#include <algorithm>
#include <set>

#include "EngineFixture.h"
#include "common/Messages.h"
#include "results/FailureRecord.h"
#include "support/ResultPages.h"

namespace {
using namespace std::chrono_literals;
using Paths = std::multiset<std::string>;

FixtureServer::Response Robots(const std::string& text) {
    return FixtureServer::Ok(text, "text/plain");
}

// "/" links to a public page and into /private/.
void ServeSite(FixtureServer& server) {
    server.Route("/",
                 FixtureServer::Ok("<a href=\"pub.html\">p</a> <a href=\"private/a.html\">a</a> "
                                   "<a href=\"/private/b.html?x=1\">b</a>"));
    server.Route("/pub.html", FixtureServer::Ok("public"));
    server.Route("/private/", FixtureServer::Ok("private index"));
    server.Route("/private/a.html", FixtureServer::Ok("private a"));
    server.Route("/private/b.html?x=1", FixtureServer::Ok("private b"));
}

Paths TargetBag(const FixtureServer& server) {
    Paths targets;
    for (const FixtureServer::Request& request : server.Requests()) {
        targets.insert(request.target);
    }
    return targets;
}
}  // namespace

class RobotsCrawl : public EngineTest {
protected:
    void ObeyRobots(bool bObey) {
        CAppOptions options = doc().GetAppOptions();
        options.m_bRobots = bObey;
        doc().SetAppOptions(options);
    }
    // The record's failures as "reason-token URL-path".
    std::set<std::string> Failures(const FixtureServer& server) {
        std::set<std::string> failures;
        for (const CFailureEntry& entry : ReadFailureRecord(m_dir.Path())) {
            failures.insert(FailureToken(entry.m_failure) + " " +
                            entry.m_strUrl.substr(server.Url("").size()));
        }
        return failures;
    }
    FixtureServer m_a;
};

TEST_F(RobotsCrawl, TheRulesDecideWhatIsRequested) {
    struct Case {
        const char* name;
        bool bObey;
        FixtureServer::Response robots;
        Paths fetched;  // each as often as requested
        std::set<std::string> failures;
        size_t listed;
    };
    const Paths everything = {"/", "/pub.html", "/private/", "/private/a.html",
                              "/private/b.html?x=1"};
    Paths everythingAndRobots = everything;
    everythingAndRobots.insert("/robots.txt");
    const Case cases[] = {
        {"a disallowed folder",
         true,
         Robots("User-agent: *\nDisallow: /private/\n"),
         {"/robots.txt", "/", "/pub.html"},
         {"robots-disallowed /private/", "robots-disallowed /private/a.html",
          "robots-disallowed /private/b.html?x=1"},
         2},
        {"a group of our own overrides the others",
         true,
         Robots("User-agent: *\nDisallow: /\n\nUser-agent: mozilla\nDisallow: /private/a\n"),
         {"/robots.txt", "/", "/pub.html", "/private/", "/private/b.html?x=1"},
         {"robots-disallowed /private/a.html"},
         4},
        {"a server error allows nothing",
         true,
         FixtureServer::Status(503, "Service Unavailable"),
         {"/robots.txt"},
         {"robots-unavailable /"},
         0},
        {"none allows everything",
         true,
         FixtureServer::Status(404, "Not Found"),
         everythingAndRobots,
         {},
         5},
        {"not obeyed, not asked for",
         false,
         Robots("User-agent: *\nDisallow: /\n"),
         everything,
         {},
         5},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        FixtureServer server;
        ServeSite(server);
        server.Route("/robots.txt", test.robots);
        RecordingTarget bar;
        UseDoc(std::make_unique<CTestDoc>());
        doc().m_hWndThreadBar = &bar;
        SiteTask(server);
        ObeyRobots(test.bObey);
        ASSERT_TRUE(RunToEnd());

        EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
        EXPECT_EQ(TargetBag(server), test.fetched);
        EXPECT_EQ(Failures(server), test.failures);
        EXPECT_EQ(ListedUrls(m_dir.Path()).size(), test.listed);
        // The thread line of a refused page names why.
        const std::vector<std::string> lines = bar.Texts(WM_THREAD_STATUS);
        for (const CFailureEntry& entry : ReadFailureRecord(m_dir.Path())) {
            EXPECT_EQ(std::count(lines.begin(), lines.end(),
                                 "Not retrieved: " + entry.m_strUrl + " (" +
                                     FailureText(entry.m_failure) + ")"),
                      1);
        }
    }
}

// Many workers start on two sites at once: each site's robots.txt is asked
// for once, before any of its pages, while the others wait for its rules.
TEST_F(RobotsCrawl, EachSiteIsAskedOnceWhileItsWorkersWait) {
    FixtureServer first;
    FixtureServer second("127.0.0.2");
    std::vector<std::string> urls;
    for (int page = 0; page < 8; ++page) {
        const std::string path = "/p" + std::to_string(page) + ".html";
        first.Route(path, FixtureServer::Ok(page == 0 ? "<a href=\"http://" + second.HostPort() +
                                                            "/\">second</a>"
                                                      : "page"));
        urls.push_back(first.Url(path));
    }
    second.Route("/", FixtureServer::Ok("<a href=\"s1.html\">1</a> <a href=\"s2.html\">2</a>"));
    second.SetDefault(FixtureServer::Ok("second page"));
    for (FixtureServer* server : {&first, &second}) {
        FixtureServer::Response robots = Robots("User-agent: *\nDisallow: /p7\nDisallow: /s2\n");
        robots.delayBeforeAnswer = 200ms;
        server->Route("/robots.txt", robots);
    }
    SiteTask(first);
    doc().m_arrSites = {first.HostPort()};
    doc().m_nNextSite = 1;
    std::vector<std::pair<int, std::string>> slots;
    for (int slot = 0; slot < 6; ++slot) {
        slots.emplace_back(slot, urls[static_cast<size_t>(slot)]);
    }
    PausedWith(urls, 6, slots);
    ObeyRobots(true);
    ASSERT_TRUE(RunToEnd());

    for (const FixtureServer* server : {&first, &second}) {
        const std::vector<std::string> targets = Targets(*server);
        ASSERT_FALSE(targets.empty());
        EXPECT_EQ(targets[0], "/robots.txt") << "before any page";
        EXPECT_EQ(std::count(targets.begin(), targets.end(), "/robots.txt"), 1);
    }
    EXPECT_EQ(TargetBag(first).count("/p7.html"), 0u);
    EXPECT_EQ(TargetBag(first).size(), 8u);
    EXPECT_EQ(TargetBag(second), (Paths{"/robots.txt", "/", "/s1.html"}));
    EXPECT_EQ(doc().FailureCount(), 2);
}

TEST_F(RobotsCrawl, AFreshStartAsksAgain) {
    ServeSite(m_a);
    m_a.Route("/robots.txt", Robots("User-agent: *\nDisallow: /pub\n"));
    SiteTask(m_a);
    ObeyRobots(true);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(TargetBag(m_a).count("/pub.html"), 0u);
    EXPECT_EQ(Failures(m_a), std::set<std::string>{"robots-disallowed /pub.html"});

    m_a.Route("/robots.txt", Robots("User-agent: *\nDisallow: /private\n"));
    doc().m_nState = IDS_STATE_IDLE;
    const size_t before = m_a.RequestCount();
    ASSERT_TRUE(RunToEnd());
    const std::vector<std::string> all = Targets(m_a);
    EXPECT_EQ(Paths(all.begin() + static_cast<long>(before), all.end()),
              (Paths{"/robots.txt", "/", "/pub.html"}));
}

TEST_F(RobotsCrawl, AStopEndsTheWaitForTheRules) {
    FixtureServer::Response silent;
    silent.silent = true;
    m_a.Route("/robots.txt", silent);
    std::vector<std::string> urls;
    std::vector<std::pair<int, std::string>> slots;
    for (int slot = 0; slot < 4; ++slot) {
        urls.push_back(m_a.Url("/p" + std::to_string(slot) + ".html"));
        slots.emplace_back(slot, urls.back());
    }
    SiteTask(m_a);
    PausedWith(urls, 4, slots);
    ObeyRobots(true);
    doc().OnTaskRun();
    ASSERT_TRUE(m_a.WaitForRequests(1));
    std::this_thread::sleep_for(100ms);  // the other workers wait for the rules

    doc().OnTaskAbort();
    ASSERT_TRUE(WaitUntilEnded(3s)) << "a worker kept waiting";
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_ABORTED});
    EXPECT_EQ(Targets(m_a), std::vector<std::string>{"/robots.txt"});
    EXPECT_EQ(doc().FailureCount(), 0) << "an interrupted page has not failed";
}

TEST_F(RobotsCrawl, EachAddressOfARangeIsAskedThroughTheProxy) {
    FixtureServer proxy;
    for (const std::string host : {"10.0.0.7", "10.0.0.8"}) {
        const std::string root = "http://" + host + "/";
        proxy.Route(root, FixtureServer::Ok("<a href=\"a.html\">a</a> <a href=\"b.html\">b</a>"));
        proxy.Route(root + "a.html", FixtureServer::Ok("a"));
        proxy.Route(root + "b.html", FixtureServer::Ok("b"));
    }
    proxy.Route("http://10.0.0.7/robots.txt", Robots("User-agent: *\nDisallow: /a\n"));
    proxy.Route("http://10.0.0.8/robots.txt", Robots("User-agent: *\nDisallow: /b\n"));
    RangeTask("10.0.0.7", "10.0.0.8", proxy);
    ObeyRobots(true);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(TargetBag(proxy),
              (Paths{"http://10.0.0.7/robots.txt", "http://10.0.0.7/", "http://10.0.0.7/b.html",
                     "http://10.0.0.8/robots.txt", "http://10.0.0.8/", "http://10.0.0.8/a.html"}));
    EXPECT_EQ(doc().FailureCount(), 2);
}
