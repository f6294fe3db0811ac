// Why pages are not retrieved: each reason through the fixture server and
// proxy, the failure record across pause, reopen and a fresh start, and the
// pause of an outage that keeps the queue.
#include <filesystem>
#include <functional>
#include <set>

#include "EngineFixture.h"
#include "common/Messages.h"
#include "results/FailureRecord.h"

namespace {
using namespace std::chrono_literals;

std::vector<RecordingTarget::Message> MessagesOf(const RecordingTarget& target, unsigned message) {
    std::vector<RecordingTarget::Message> found;
    for (const RecordingTarget::Message& each : target.Messages()) {
        if (each.message == message) {
            found.push_back(each);
        }
    }
    return found;
}

FixtureServer::Response Raw(const std::string& bytes) {
    FixtureServer::Response response;
    response.bytes = bytes;
    return response;
}
}  // namespace

class PageFailureTest : public EngineTest {
protected:
    // A site-mode task whose start address is hostAndPath ("127.0.0.1:8080/a.html").
    void SiteAt(const std::string& hostAndPath) {
        doc().m_bSiteMode = true;
        doc().m_strStartAddress = hostAndPath;
        doc().m_strEndAddress = hostAndPath;
        doc().m_strCurrentSite = hostAndPath.substr(0, hostAndPath.find('/'));
        doc().m_nState = IDS_STATE_IDLE;
    }
    void UseProxy(const std::string& address, int port) {
        CAppOptions options;
        options.m_bUseProxy = true;
        options.m_strProxyAddress = address;
        options.m_nProxyPort = port;
        doc().SetAppOptions(options);
    }
    std::string RecordBytes() { return ReadFileBytes(m_dir / FAILURE_RECORD_NAME); }
};

TEST_F(PageFailureTest, EachReasonIsToldAndRecorded) {
    FixtureServer site;
    FixtureServer proxy;
    const int closed = ClosedPort();
    ASSERT_NE(closed, 0);
    const std::string closedHost = "127.0.0.1:" + std::to_string(closed);
    site.Route("/gone.html", FixtureServer::Status(404, "Not Found"));
    site.Route("/broken.html", FixtureServer::Status(500, "Internal Server Error"));
    site.Route("/big.html", Raw("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n"
                                "Content-Length: 2000\r\n\r\nbig"));
    site.Route("/pic.png", FixtureServer::Ok("png", "image/png"));
    FixtureServer::Response reset;
    reset.reset = true;
    site.Route("/reset.html", reset);
    FixtureServer::Response silent;
    silent.silent = true;
    site.Route("/silent.html", silent);
    site.Route("/endless.html", Raw("HTTP/1.0 200 OK\r\n" + std::string(70 * 1024, 'x')));
    proxy.Route(site.Url("/asks.html"),
                FixtureServer::Status(407, "Proxy Authentication Required"));

    struct Case {
        const char* name;
        CPageFailure expected;
        std::string url;
        std::function<void()> setUp;
    };
    const std::string siteHost = site.HostPort();
    const Case cases[] = {
        {"refused",
         {FailureReason::Refused, 0},
         "http://" + closedHost + "/",
         [&] { SiteAt(closedHost + "/"); }},
        {"not resolved",
         {FailureReason::NotResolved, 0},
         "http://shop.invalid/",
         [&] { SiteAt("shop.invalid/"); }},
        {"another scheme",
         {FailureReason::NotHttp, 0},
         "http://ftp://" + closedHost + "/",
         [&] { SiteAt("ftp://" + closedHost + "/"); }},
        {"404",
         {FailureReason::HttpStatus, 404},
         site.Url("/gone.html"),
         [&] { SiteAt(siteHost + "/gone.html"); }},
        {"500",
         {FailureReason::HttpStatus, 500},
         site.Url("/broken.html"),
         [&] { SiteAt(siteHost + "/broken.html"); }},
        {"size limit",
         {FailureReason::TooLarge, 0},
         site.Url("/big.html"),
         [&] {
             SiteAt(siteHost + "/big.html");
             doc().m_nTextMaxK = 1;
         }},
        {"type filter",
         {FailureReason::Filtered, 0},
         site.Url("/pic.png"),
         [&] {
             SiteAt(siteHost + "/pic.png");
             doc().m_bFilterImage = false;
         }},
        {"reset",
         {FailureReason::Reset, 0},
         site.Url("/reset.html"),
         [&] { SiteAt(siteHost + "/reset.html"); }},
        {"timed out",
         {FailureReason::TimedOut, 0},
         site.Url("/silent.html"),
         [&] {
             SiteAt(siteHost + "/silent.html");
             doc().m_nTimeout = 300;
         }},
        {"header without end",
         {FailureReason::BadResponse, 0},
         site.Url("/endless.html"),
         [&] { SiteAt(siteHost + "/endless.html"); }},
        {"proxy down",
         {FailureReason::ProxyRefused, 0},
         site.Url("/x.html"),
         [&] {
             SiteAt(siteHost + "/x.html");
             UseProxy("127.0.0.1", closed);
         }},
        {"proxy not resolved",
         {FailureReason::ProxyNotResolved, 0},
         site.Url("/x.html"),
         [&] {
             SiteAt(siteHost + "/x.html");
             UseProxy("proxy.invalid", 8080);
         }},
        {"proxy 407",
         {FailureReason::ProxyAuth, 0},
         site.Url("/asks.html"),
         [&] {
             SiteAt(siteHost + "/asks.html");
             UseProxy(proxy.Address(), proxy.Port());
         }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        std::filesystem::remove(m_dir / FAILURE_RECORD_NAME);
        RecordingTarget frame;
        UseDoc(std::make_unique<CTestDoc>());
        doc().m_hWndMainFrame = &frame;
        test.setUp();
        ASSERT_TRUE(RunToEnd());
        EXPECT_EQ(doc().m_nState, IDS_STATE_FINISHED);

        const std::vector<RecordingTarget::Message> told = MessagesOf(frame, WM_PAGE_FAILED);
        ASSERT_EQ(told.size(), 1u);
        EXPECT_TRUE(told[0].posted) << "the worker never waits for the window";
        EXPECT_EQ(FailureOfParam(told[0].wParam), test.expected);
        EXPECT_EQ(SlotOfFailureParam(told[0].wParam), 0);
        EXPECT_EQ(std::get<std::string>(told[0].lParam), test.url);

        const std::vector<CFailureEntry> record = ReadFailureRecord(m_dir.Path());
        ASSERT_EQ(record.size(), 1u);
        EXPECT_EQ(record[0].m_failure, test.expected);
        EXPECT_EQ(record[0].m_strUrl, test.url);
        EXPECT_EQ(doc().FailureSummary(), "No page was retrieved: 1 " + FailureText(test.expected));
        // The thread line of the page stays as it always was.
        EXPECT_EQ(m_bar.Texts(WM_THREAD_STATUS).back(),
                  "Terminated, requested 1 links, received 0 bytes");
    }
}

TEST_F(PageFailureTest, TheRecordOutlivesPauseAndReopenAndAFreshStartBeginsItAgain) {
    FixtureServer server;
    server.Route("/", FixtureServer::Ok("<a href=\"/a.html\">a</a> <a href=\"/b.html\">b</a>"));
    server.Route("/a.html", FixtureServer::Status(404, "Not Found"));
    FixtureServer::Response stuck;
    stuck.silent = true;
    server.Route("/b.html", stuck);
    SiteTask(server);
    doc().m_nMaxThreads = 1;  // "/", then a.html, then b.html
    const std::string file = m_dir / "t.qbx";

    doc().OnTaskRun();
    ASSERT_TRUE(WaitFor([&] { return server.RequestCount() == 3 && doc().FailureCount() == 1; }));
    doc().OnTaskPause();
    ASSERT_TRUE(WaitUntilEnded());
    std::string error;
    ASSERT_TRUE(doc().OnSaveDocument(file, error)) << error;

    // Reopened, and again after a kill tore the record's last line.
    for (const bool torn : {false, true}) {
        if (torn) {
            WriteFileBytes(m_dir / FAILURE_RECORD_NAME,
                           RecordBytes() + "2026-01-01T00:00:00Z\trefused\thttp://torn");
        }
        UseDoc(std::make_unique<CTestDoc>());
        ASSERT_TRUE(doc().OnOpenDocument(file, error)) << error;
        EXPECT_EQ(doc().FailureCount(), 1);
        EXPECT_EQ(doc().FailureSummary(), "1 page not retrieved: 1 HTTP 404");
    }

    server.Route("/b.html", FixtureServer::Status(500, "Internal Server Error"));
    ASSERT_TRUE(RunToEnd());
    const std::string resumed = RecordBytes();
    EXPECT_EQ(resumed.find("torn"), std::string::npos) << resumed;
    std::vector<CFailureEntry> record = ReadFailureRecord(m_dir.Path());
    ASSERT_EQ(record.size(), 2u) << resumed;
    EXPECT_EQ(record[0].m_strUrl, server.Url("/a.html"));
    EXPECT_EQ(record[1].m_strUrl, server.Url("/b.html"));
    EXPECT_EQ(record[1].m_failure, (CPageFailure{FailureReason::HttpStatus, 500}));
    EXPECT_EQ(doc().FailureSummary(), "2 pages not retrieved: 1 HTTP 404, 1 HTTP 500");

    // Finished: the next start is a fresh one, whose record holds its own failures only.
    server.Route("/a.html", FixtureServer::Ok("now there"));
    ASSERT_TRUE(RunToEnd());
    record = ReadFailureRecord(m_dir.Path());
    ASSERT_EQ(record.size(), 1u);
    EXPECT_EQ(record[0].m_strUrl, server.Url("/b.html"));
    EXPECT_EQ(doc().FailureSummary(), "1 page not retrieved: 1 HTTP 500");
}

TEST_F(PageFailureTest, ASiteThatDoesNotResolvePausesWithItsUrlsKept) {
    SiteAt("shop.invalid/");
    doc().m_nMaxThreads = 1;
    const std::vector<std::string> urls = {"http://shop.invalid/", "http://shop.invalid/a.html",
                                           "http://shop.invalid/b.html",
                                           "http://shop.invalid/c.html"};
    doc().m_arrSites = {"shop.invalid"};
    doc().m_nNextSite = 1;
    PausedWith(urls, 2, {{0, urls[1]}});

    // Paused again by the next run, which tries again.
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(RunToEnd());
        EXPECT_EQ(doc().m_nState, IDS_STATE_PAUSED);
        EXPECT_EQ(doc().m_arrUrls, urls);
        EXPECT_EQ(doc().m_nNextUrl, 2);
        EXPECT_EQ(doc().m_strUrl[0], urls[1]);
        EXPECT_EQ(doc().LinksRequested(), 0);
        EXPECT_EQ(doc().FailureCount(), 0);
        EXPECT_TRUE(MessagesOf(m_frame, WM_PAGE_FAILED).empty());
        const std::vector<RecordingTarget::Message> paused = MessagesOf(m_frame, WM_OUTAGE_PAUSED);
        ASSERT_EQ(paused.size(), static_cast<size_t>(run + 1));
        EXPECT_EQ(FailureOfParam(paused.back().wParam).m_reason, FailureReason::NotResolved);
        EXPECT_EQ(std::get<std::string>(paused.back().lParam), "shop.invalid");
    }
}

TEST_F(PageFailureTest, ManyWorkersThatFindTheOutageAllKeepTheirUrls) {
    SiteAt("shop.invalid/");
    std::vector<std::string> urls;
    for (int page = 0; page < 24; ++page) {
        urls.push_back("http://shop.invalid/p" + std::to_string(page) + ".html");
    }
    doc().m_arrSites = {"shop.invalid"};
    doc().m_nNextSite = 1;
    PausedWith(urls, 0, {});
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(doc().m_nState, IDS_STATE_PAUSED);
    std::multiset<std::string> left(urls.begin() + doc().m_nNextUrl, urls.end());
    for (int slot = 0; slot < SLOT_COUNT; ++slot) {
        if (!doc().m_strUrl[slot].empty()) {
            left.insert(doc().m_strUrl[slot]);
        }
    }
    EXPECT_EQ(left, std::multiset<std::string>(urls.begin(), urls.end()));
    EXPECT_EQ(doc().LinksRequested(), 0);
}

TEST_F(PageFailureTest, AnAddressRangeUsesUpItsAddressesAsBeforeButNotADownProxy) {
    FixtureServer proxy;
    proxy.SetDefault(FixtureServer::Status(502, "Bad Gateway"));
    RangeTask("127.0.0.1", "127.0.0.3", proxy);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(doc().m_nState, IDS_STATE_FINISHED);
    EXPECT_EQ(doc().FailureSummary(), "No page was retrieved: 3 HTTP 502");

    // The proxy every address goes through is down: the range waits for it.
    RangeTask("127.0.0.1", "127.0.0.3", proxy);
    UseProxy("127.0.0.1", ClosedPort());
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(doc().m_nState, IDS_STATE_PAUSED);
    EXPECT_EQ(doc().m_strCurrentSite, "127.0.0.1");
    EXPECT_EQ(doc().m_strUrl[0], "http://127.0.0.1/");
    EXPECT_EQ(doc().FailureCount(), 0);
    const std::vector<RecordingTarget::Message> paused = MessagesOf(m_frame, WM_OUTAGE_PAUSED);
    ASSERT_EQ(paused.size(), 1u);
    EXPECT_EQ(FailureOfParam(paused[0].wParam).m_reason, FailureReason::ProxyRefused);
}
