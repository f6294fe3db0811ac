// The way to an HTTPS site: the proxy's CONNECT tunnel, granted or refused,
// and a handshake that the site never answers.
#include <filesystem>
#include <functional>

#include "HttpsFixture.h"
#include "common/Base64.h"
#include "results/FailureRecord.h"

namespace {
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
}  // namespace

class HttpsConnection : public HttpsTest {};

TEST_F(HttpsConnection, ThroughTheProxyEveryConnectionTunnelsToTheSite) {
    const std::string account = CBase64::Encode("ann:pw");
    struct Case {
        const char* name;
        std::string user;
        std::string authorization;  // the tunnel is given only with it
    };
    const Case cases[] = {{"no account", "", ""}, {"account", "ann", account}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureServer site;
        Secure(site, Trusted());
        site.Route("/", FixtureServer::Ok(Html("<a href=\"/a.html\">a</a>")));
        site.Route("/a.html", FixtureServer::Ok(Html("a")));
        FixtureServer proxy;
        if (!c.authorization.empty()) {
            FixtureServer::Response guard;
            guard.requiredAuthorization = c.authorization;
            proxy.Route("CONNECT " + site.HostPort(), guard);
        }
        UseDoc(std::make_unique<CTestDoc>());
        HttpsTask(site);
        CAppOptions options = ProxyOptions(proxy);
        options.m_strProxyUser = c.user;
        options.m_strProxyAuthorization = c.authorization;
        doc().SetAppOptions(options);
        ASSERT_TRUE(RunToEnd());

        EXPECT_EQ(doc().FailureCount(), 0);
        EXPECT_EQ(TargetSet(site), (Paths{"/", "/a.html"}));
        EXPECT_EQ(site.RequestCount(), 2u);
        for (const FixtureServer::Request& request : site.Requests()) {
            EXPECT_EQ(request.requestLine, "GET " + request.target + " HTTP/1.0");
            EXPECT_EQ(request.Header("Host"), site.HostPort());
            EXPECT_FALSE(request.HasHeader("Proxy-Authorization")) << "the account is the proxy's";
        }
        const std::vector<FixtureServer::Request> connects = proxy.Requests();
        EXPECT_EQ(connects.size(), 2u) << "one tunnel a connection";
        for (const FixtureServer::Request& request : connects) {
            EXPECT_EQ(request.requestLine, "CONNECT " + site.HostPort() + " HTTP/1.0");
            EXPECT_EQ(request.Header("Host"), site.HostPort());
            EXPECT_EQ(request.Header("Proxy-Authorization"),
                      c.authorization.empty() ? "" : "Basic " + c.authorization);
        }
        EXPECT_EQ(ReadFileBytes(m_dir.Path() + site.HostPort() + "/a.html"), Html("a"));
        EXPECT_EQ(ListedSet(), (Paths{HttpsSite(site) + "/", HttpsSite(site) + "/a.html"}));
    }
}

TEST_F(HttpsConnection, ATunnelTheProxyRefusesFailsThePage) {
    struct Case {
        int status;
        const char* reason;
        CPageFailure expected;
    };
    const Case cases[] = {
        {403, "Forbidden", {FailureReason::ProxyTunnel, 403}},
        {407, "Proxy Authentication Required", {FailureReason::ProxyAuth, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        FixtureServer site;
        Secure(site, Trusted());
        site.SetDefault(FixtureServer::Ok(Html("never reached")));
        FixtureServer proxy;
        proxy.Route("CONNECT " + site.HostPort(), FixtureServer::Status(c.status, c.reason));
        UseDoc(std::make_unique<CTestDoc>());
        HttpsTask(site);
        doc().SetAppOptions(ProxyOptions(proxy));
        const size_t toldBefore = FailuresTold(m_frame).size();
        ASSERT_TRUE(RunToEnd());

        EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
        EXPECT_EQ(proxy.RequestCount(), 1u);
        EXPECT_EQ(site.TlsHandshakes(), 0);
        EXPECT_EQ(site.RequestCount(), 0u);
        EXPECT_FALSE(std::filesystem::exists(m_dir.Path() + site.HostPort()));
        const std::vector<CPageFailure> told = FailuresTold(m_frame);
        ASSERT_EQ(told.size(), toldBefore + 1);
        EXPECT_EQ(told.back(), c.expected);
        const std::vector<CFailureEntry> record = ReadFailureRecord(m_dir.Path());
        ASSERT_EQ(record.size(), 1u);
        EXPECT_EQ(record[0].m_failure, c.expected);
        EXPECT_EQ(record[0].m_strUrl, HttpsSite(site) + "/");
    }
}

// With no time limit only the stop can end the wait for the server's hello.
TEST_F(HttpsConnection, AStopEndsAHandshakeTheSiteNeverAnswers) {
    struct Case {
        const char* name;
        std::function<void(CTestDoc&)> stop;
        unsigned state;
        bool bKeepsUrl;         // fetched again on resume
        FailureReason failure;  // recorded, or None
    };
    const Case cases[] = {
        {"pause", [](CTestDoc& doc) { doc.OnTaskPause(); }, IDS_STATE_PAUSED, true,
         FailureReason::None},
        {"abort", [](CTestDoc& doc) { doc.OnTaskAbort(); }, IDS_STATE_ABORTED, true,
         FailureReason::None},
        {"abort retrieval", [](CTestDoc& doc) { doc.OnAbortRetrieval(0); }, IDS_STATE_FINISHED,
         false, FailureReason::Aborted},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureServer site;
        Secure(site, Trusted());
        site.SetSilentHandshake(true);
        UseDoc(std::make_unique<CTestDoc>());
        HttpsTask(site);
        doc().m_nTimeout = 0;
        doc().OnTaskRun();
        ASSERT_TRUE(WaitFor([&] { return site.OpenConnections() == 1; }, 5s));
        const auto stopped = Clock::now();
        c.stop(doc());
        ASSERT_TRUE(WaitUntilEnded(3s));
        EXPECT_LT(Clock::now() - stopped, 3s);

        EXPECT_EQ(doc().m_nState, c.state);
        EXPECT_EQ(site.RequestCount(), 0u);
        EXPECT_EQ(doc().m_strUrl[0], c.bKeepsUrl ? HttpsSite(site) + "/" : "");
        const std::vector<CFailureEntry> record = ReadFailureRecord(m_dir.Path());
        ASSERT_EQ(record.size(), c.failure == FailureReason::None ? 0u : 1u);
        if (!record.empty()) {
            EXPECT_EQ(record[0].m_failure, (CPageFailure{c.failure, 0}));
        }
        EXPECT_TRUE(WaitFor([&] { return site.OpenConnections() == 0; }, 3s))
            << "the connection is closed";
    }
}

TEST_F(HttpsConnection, AHandshakeTheSiteNeverAnswersTimesOutAndIsTriedAgain) {
    FixtureServer site;
    Secure(site, Trusted());
    site.SetSilentHandshake(true);
    HttpsTask(site);
    doc().m_nTimeout = 1000;
    doc().m_nRetries = 1;
    const auto start = Clock::now();
    ASSERT_TRUE(RunToEnd(10s));
    const auto spent = Clock::now() - start;
    EXPECT_GE(spent, 2s) << "two handshakes of a second each";
    EXPECT_LT(spent, 6s);

    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
    const std::vector<CFailureEntry> record = ReadFailureRecord(m_dir.Path());
    ASSERT_EQ(record.size(), 1u);
    EXPECT_EQ(record[0].m_failure, (CPageFailure{FailureReason::TimedOut, 0}));
    EXPECT_EQ(record[0].m_strUrl, HttpsSite(site) + "/");
}
