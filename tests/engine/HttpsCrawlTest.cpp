// Whole crawls of HTTPS sites: what is stored and listed, certificates
// refused with their reasons or accepted unchecked, and a plain site that
// redirects to its HTTPS form.
#include <algorithm>
#include <filesystem>
#include <map>

#include "HttpsFixture.h"
#include "common/Messages.h"
#include "engine/PageStore.h"
#include "results/FailureRecord.h"

namespace {
using Validity = TestAuthority::Validity;

bool AnyStartsWith(const std::vector<std::string>& lines, const std::string& prefix) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}
}  // namespace

class HttpsCrawl : public HttpsTest {};

TEST_F(HttpsCrawl, AnHttpsSiteIsCrawledToItsEndAndStoredInTheFolderOfItsHost) {
    FixtureServer server;
    Secure(server, Trusted());
    const std::string site = HttpsSite(server);
    const std::map<std::string, std::string> pages = {
        {"/", Html("cider <a href=\"a.html\">a</a> <a href=\"" + site +
                   "/b.html\">b</a> <a href=\"/docs/c.html\">c</a>")},
        {"/a.html", Html("cider a")},
        {"/b.html", Html("cider b <a href=\"" + site + "/\">home</a>")},
        {"/docs/c.html", Html("cider c")},
        {"/docs/", Html("cider folder")},  // queued by the folder walk of c.html
    };
    Paths paths;
    Paths urls;
    for (const auto& [path, html] : pages) {
        server.Route(path, FixtureServer::Ok(html));
        paths.insert(path);
        urls.insert(site + path);
    }
    HttpsTask(server);
    doc().SetKeywords("cider", false);
    ASSERT_TRUE(RunToEnd());

    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
    EXPECT_EQ(doc().FailureCount(), 0);
    EXPECT_EQ(doc().m_arrSites, std::vector<std::string>{site});
    EXPECT_EQ(TargetSet(server), paths);
    EXPECT_EQ(server.RequestCount(), pages.size()) << "every page is fetched once";
    for (const FixtureServer::Request& request : server.Requests()) {
        EXPECT_EQ(request.requestLine, "GET " + request.target + " HTTP/1.0");
        EXPECT_EQ(request.Header("Host"), server.HostPort());
    }
    EXPECT_EQ(ListedSet(), urls);
    for (const auto& [path, html] : pages) {
        SCOPED_TRACE(path);
        const std::string stored = doc().UrlToLocalPath(site + path);
        EXPECT_EQ(stored, m_dir.Path() + server.HostPort() + path +
                              (path.back() == '/' ? "index.html" : ""));
        EXPECT_EQ(ReadFileBytes(stored), html);
        EXPECT_EQ(ReadFileBytes(CompanionPath(stored)).rfind("HTTP/1.0 200 OK\r\n", 0), 0u);
    }
    EXPECT_EQ(server.TlsHandshakes(), static_cast<int>(pages.size()));
    EXPECT_GT(server.TlsResumed(), 0) << "later connections resume the first one's session";
}

TEST_F(HttpsCrawl, ARefusedCertificateFailsThePageWithItsReasonAndNothingIsSent) {
    TestAuthority stranger(m_certDir.Path(), "stranger-ca");
    struct Case {
        const char* name;
        TestAuthority::Leaf leaf;
        FailureReason reason;
        std::string token;
        std::string text;
    };
    const Case cases[] = {
        {"self-signed", m_authority.SelfSigned("self", {"127.0.0.1"}), FailureReason::CertUntrusted,
         "cert-untrusted", "certificate not trusted"},
        {"unknown CA", stranger.Signed("stranger", {"127.0.0.1"}), FailureReason::CertUntrusted,
         "cert-untrusted", "certificate not trusted"},
        {"other address", m_authority.Signed("other", {"127.0.0.2"}), FailureReason::CertWrongName,
         "cert-wrong-name", "certificate is for another name"},
        {"host name", m_authority.Signed("named", {"site.test"}), FailureReason::CertWrongName,
         "cert-wrong-name", "certificate is for another name"},
        {"expired", m_authority.Signed("expired", {"127.0.0.1"}, Validity::Expired),
         FailureReason::CertExpired, "cert-expired", "certificate expired"},
        {"not yet valid", m_authority.Signed("early", {"127.0.0.1"}, Validity::NotYetValid),
         FailureReason::CertExpired, "cert-expired", "certificate expired"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureServer server;
        Secure(server, c.leaf);
        server.SetDefault(FixtureServer::Ok(Html("never sent")));
        UseDoc(std::make_unique<CTestDoc>());
        HttpsTask(server);
        const size_t linesBefore = m_bar.Texts(WM_THREAD_STATUS).size();
        const size_t failedBefore = FailuresTold(m_frame).size();
        ASSERT_TRUE(RunToEnd());

        const std::string url = HttpsSite(server) + "/";
        EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
        EXPECT_EQ(server.TlsHandshakes(), 0);
        EXPECT_EQ(server.RequestCount(), 0u);
        EXPECT_FALSE(std::filesystem::exists(m_dir.Path() + server.HostPort()));
        EXPECT_TRUE(ListedSet().empty());

        const std::vector<CPageFailure> told = FailuresTold(m_frame);
        ASSERT_EQ(told.size(), failedBefore + 1);
        EXPECT_EQ(told.back(), (CPageFailure{c.reason, 0}));
        const std::vector<CFailureEntry> record = ReadFailureRecord(m_dir.Path());
        ASSERT_EQ(record.size(), 1u);
        EXPECT_EQ(record[0].m_failure, (CPageFailure{c.reason, 0}));
        EXPECT_EQ(record[0].m_strUrl, url);
        const std::string bytes = ReadFileBytes(m_dir / FAILURE_RECORD_NAME);
        EXPECT_NE(bytes.find("\t" + c.token + "\t" + url + "\n"), std::string::npos) << bytes;

        const std::vector<std::string> lines = TextsAfter(m_bar, WM_THREAD_STATUS, linesBefore);
        EXPECT_TRUE(Contains(lines, "Not retrieved: " + url + " (" + c.text + ")"));
        // No request of any kind went out, so none in plain HTTP either.
        EXPECT_FALSE(AnyStartsWith(lines, "Requesting web page: "));
        EXPECT_EQ(doc().m_arrUrls, std::vector<std::string>{url});
    }
}

// "Check certificates" off: one run over three sites whose certificates
// would each be refused, told once; a later run tells it again, and with
// the option on again the certificates are refused once more.
TEST_F(HttpsCrawl, UncheckedCertificatesAreAcceptedAndToldOncePerRun) {
    FixtureServer self;
    FixtureServer named("127.0.0.2");
    FixtureServer expired("127.0.0.3");
    Secure(self, m_authority.SelfSigned("self", {"127.0.0.1"}));
    Secure(named, m_authority.Signed("named", {"127.0.0.9"}));
    Secure(expired, m_authority.Signed("expired", {"127.0.0.3"}, Validity::Expired));
    const std::string page = Html("<a href=\"one.html\">one</a>");
    for (FixtureServer* server : {&self, &named, &expired}) {
        server->SetDefault(FixtureServer::Ok(page));
    }
    self.Route("/",
               FixtureServer::Ok(Html("<a href=\"one.html\">one</a> <a href=\"" + HttpsSite(named) +
                                      "/\">n</a> <a href=\"" + HttpsSite(expired) + "/\">e</a>")));
    HttpsTask(self);
    CAppOptions options;
    options.m_bCheckCertificates = false;
    options.m_bHttpsLinks = true;  // the other HTTPS sites are collected
    doc().SetAppOptions(options);

    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        doc().m_nState = IDS_STATE_IDLE;
        ASSERT_TRUE(RunToEnd());
        EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
        EXPECT_EQ(doc().FailureCount(), 0);
        EXPECT_EQ(doc().m_arrSites, (std::vector<std::string>{HttpsSite(self), HttpsSite(named),
                                                              HttpsSite(expired)}));
        for (const FixtureServer* server : {&self, &named, &expired}) {
            SCOPED_TRACE(server->HostPort());
            EXPECT_EQ(server->RequestCount(), static_cast<size_t>(2 * run));
            EXPECT_EQ(ReadFileBytes(m_dir.Path() + server->HostPort() + "/one.html"), page);
        }
        const std::vector<std::string> told = m_frame.Texts(WM_CERTIFICATES_UNCHECKED);
        EXPECT_EQ(told, std::vector<std::string>(
                            static_cast<size_t>(run),
                            "Certificates are not checked (Options: Check certificates)"));
    }

    // Checked again: sessions of the unchecked runs must not let the site in.
    options.m_bCheckCertificates = true;
    doc().SetAppOptions(options);
    doc().m_nState = IDS_STATE_IDLE;
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(self.RequestCount(), 4u);
    const std::vector<CFailureEntry> record = ReadFailureRecord(m_dir.Path());
    ASSERT_EQ(record.size(), 1u);
    EXPECT_EQ(record[0].m_failure, (CPageFailure{FailureReason::CertUntrusted, 0}));
    EXPECT_EQ(m_frame.Texts(WM_CERTIFICATES_UNCHECKED).size(), 2u);
}

// The plain site "127.0.0.1:PLAIN" answers "/" with a redirect to
// "https://127.0.0.1:TLS/", the HTTPS form of the same host name.
TEST_F(HttpsCrawl, APlainSiteRedirectedToHttpsMovesThereOnlyWhenRedirectsAreFollowed) {
    struct Case {
        bool follow;
        Paths plainTargets;
        Paths secureTargets;
        bool moved;  // the site list holds the HTTPS form in place of the plain one
        bool failed;
    };
    const Case cases[] = {
        {true, {"/"}, {"/", "/a.html", "/b.html"}, true, false},
        {false, {"/"}, {}, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.follow);
        FixtureServer plain;
        FixtureServer secure;
        Secure(secure, Trusted());
        const std::string target = HttpsSite(secure) + "/";
        plain.Route("/", FixtureServer::Status(301, "Moved Permanently", "Location: " + target));
        plain.SetDefault(FixtureServer::Ok(Html("the plain copy")));
        // The link to the plain site's b.html is the HTTPS site's b.html.
        secure.Route("/", FixtureServer::Ok(Html("<a href=\"a.html\">a</a> <a href=\"http://" +
                                                 plain.HostPort() + "/b.html\">b</a>")));
        secure.Route("/a.html", FixtureServer::Ok(Html("a")));
        secure.Route("/b.html", FixtureServer::Ok(Html("b")));
        UseDoc(std::make_unique<CTestDoc>());
        SiteTask(plain);
        CAppOptions options;
        options.m_bFollowRedirects = c.follow;
        doc().SetAppOptions(options);
        const size_t linesBefore = m_bar.Texts(WM_THREAD_STATUS).size();
        ASSERT_TRUE(RunToEnd());

        EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
        EXPECT_EQ(TargetSet(plain), c.plainTargets);
        EXPECT_EQ(plain.RequestCount(), 1u);
        EXPECT_EQ(TargetSet(secure), c.secureTargets);
        EXPECT_EQ(secure.RequestCount(), c.secureTargets.size());
        EXPECT_EQ(doc().m_arrSites,
                  std::vector<std::string>{c.moved ? HttpsSite(secure) : plain.HostPort()});
        Paths listed;
        for (const std::string& path : c.secureTargets) {
            listed.insert(HttpsSite(secure) + path);
        }
        EXPECT_EQ(ListedSet(), listed);

        const std::string url = "http://" + plain.HostPort() + "/";
        const std::vector<CFailureEntry> record = ReadFailureRecord(m_dir.Path());
        const std::string line =
            "Not retrieved: " + url + " (redirected to " + target + " (Options: Follow redirects))";
        EXPECT_EQ(Contains(TextsAfter(m_bar, WM_THREAD_STATUS, linesBefore), line), c.failed);
        ASSERT_EQ(record.size(), c.failed ? 1u : 0u);
        if (c.failed) {
            EXPECT_EQ(record[0].m_failure, (CPageFailure{FailureReason::Redirected, 0}));
            EXPECT_EQ(record[0].m_failure.m_strTarget, target);
            EXPECT_EQ(record[0].m_strUrl, url);
        }
    }
}

// Two pages of the plain site are in flight when the first one's redirect
// moves the site: the second's redirect still reaches its HTTPS page.
TEST_F(HttpsCrawl, EveryRedirectInFlightDuringTheMoveReachesItsHttpsPage) {
    FixtureServer plain;
    FixtureServer secure;
    Secure(secure, Trusted());
    FixtureServer::Response first = FixtureServer::Status(
        301, "Moved Permanently", "Location: " + HttpsSite(secure) + "/p1.html");
    FixtureServer::Response second = FixtureServer::Status(
        301, "Moved Permanently", "Location: " + HttpsSite(secure) + "/p2.html");
    second.delayBeforeAnswer = std::chrono::milliseconds(300);
    plain.Route("/p1.html", first);
    plain.Route("/p2.html", second);
    secure.SetDefault(FixtureServer::Ok(Html("moved")));
    SiteTask(plain);
    CAppOptions options;
    options.m_bFollowRedirects = true;
    doc().SetAppOptions(options);
    const std::string from = "http://" + plain.HostPort();
    doc().m_arrSites = {plain.HostPort()};
    doc().m_nNextSite = 1;
    PausedWith({from + "/p1.html", from + "/p2.html"}, 2,
               {{0, from + "/p1.html"}, {1, from + "/p2.html"}});
    doc().RebuildListIndexes();
    ASSERT_TRUE(RunToEnd());

    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
    EXPECT_EQ(TargetSet(plain), (Paths{"/p1.html", "/p2.html"}));
    EXPECT_EQ(TargetSet(secure), (Paths{"/p1.html", "/p2.html"}));
    EXPECT_EQ(secure.RequestCount(), 2u);
    EXPECT_EQ(doc().m_arrSites, std::vector<std::string>{HttpsSite(secure)});
    EXPECT_EQ(doc().FailureCount(), 0);
}
