// Redirects with "Follow redirects" on and off: what is fetched, listed,
// stored and recorded.
#include <algorithm>
#include <filesystem>

#include "EngineFixture.h"
#include "common/Messages.h"
#include "results/FailureRecord.h"
#include "support/ResultPages.h"

namespace {

FixtureServer::Response Moved(int status, const std::string& location) {
    return FixtureServer::Status(status, "Moved", "Location: " + location + "\r\n");
}

std::vector<std::string> Sorted(std::vector<std::string> items) {
    std::sort(items.begin(), items.end());
    return items;
}

std::vector<std::string> Prefixed(const std::string& prefix,
                                  const std::vector<std::string>& items) {
    std::vector<std::string> all;
    for (const std::string& item : items) {
        all.push_back(prefix + item);
    }
    return all;
}
}  // namespace

class RedirectCrawl : public EngineTest {
protected:
    void FollowRedirects(bool bFollow) {
        CAppOptions options = doc().GetAppOptions();
        options.m_bFollowRedirects = bFollow;
        doc().SetAppOptions(options);
    }
    bool Stored(const FixtureServer& server, const std::string& path) {
        const std::string stored = doc().UrlToLocalPath(server.Url(path));
        return std::filesystem::exists(stored) || std::filesystem::exists(stored + ".Quobrix");
    }
    FixtureServer m_site;
};

TEST_F(RedirectCrawl, AFollowedRedirectIsItsTargetsOneLinkAndNeitherListedNorStored) {
    struct Move {
        std::string path;
        int status;
        std::string location;  // "{site}" stands for "http://host:port"; "" for none
        std::string target;    // where it leads, "" when nowhere
    };
    struct Case {
        const char* name;
        std::string links;  // of "/"
        std::vector<Move> moves;
        std::vector<std::string> pages;    // answered 200
        std::vector<std::string> fetched;  // each once
        std::vector<std::string> listed;   // the rows
        std::vector<std::pair<std::string, CPageFailure>> failed;
    };
    const Case cases[] = {
        {"a chain of every redirect status, relative and absolute",
         "<a href=\"/a\">a</a>",
         {{"/a", 301, "b", "/b"},
          {"/b", 302, "{site}/c", "/c"},
          {"/c", 303, "/d", "/d"},
          {"/d", 307, "/e?x=1", "/e?x=1"},
          {"/e?x=1", 308, "final.html", "/final.html"}},
         {"/final.html"},
         {"/", "/a", "/b", "/c", "/d", "/e?x=1", "/final.html"},
         {"/", "/final.html"},
         {}},
        {"a loop, a redirect to itself and one back to the start end",
         "<a href=\"/a\">a</a> <a href=\"/self\">s</a> <a href=\"/back\">b</a>",
         {{"/a", 302, "/b", "/b"},
          {"/b", 307, "/a", "/a"},
          {"/self", 301, "/self", "/self"},
          {"/back", 301, "{site}/", "/"}},
         {},
         {"/", "/a", "/b", "/self", "/back"},
         {"/"},
         {}},
        {"a Location the crawl cannot go to fails with its status",
         "<a href=\"/ftp\">f</a> <a href=\"/none\">n</a>",
         {{"/ftp", 302, "ftp://127.0.0.1/file", ""}, {"/none", 301, "", ""}},
         {},
         {"/", "/ftp", "/none"},
         {"/"},
         {{"/ftp", {FailureReason::HttpStatus, 302}}, {"/none", {FailureReason::HttpStatus, 301}}}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        FixtureServer server;
        const std::string site = server.Url("");
        server.Route("/", FixtureServer::Ok(test.links));
        for (const std::string& page : test.pages) {
            server.Route(page, FixtureServer::Ok("page " + page));
        }
        for (const Move& move : test.moves) {
            std::string location = move.location;
            if (location.starts_with("{site}")) {
                location = site + location.substr(6);
            }
            server.Route(move.path, location.empty() ? FixtureServer::Status(move.status, "Moved")
                                                     : Moved(move.status, location));
        }
        RecordingTarget bar;
        UseDoc(std::make_unique<CTestDoc>());
        doc().m_hWndThreadBar = &bar;
        SiteTask(server);
        FollowRedirects(true);
        ASSERT_TRUE(RunToEnd());

        EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
        EXPECT_EQ(Sorted(Targets(server)), Sorted(test.fetched));
        EXPECT_EQ(Sorted(ListedUrls(m_dir.Path())), Sorted(Prefixed(site, test.listed)));
        EXPECT_EQ(doc().LinksRequested(), static_cast<int>(test.fetched.size()));
        const std::vector<std::string> lines = bar.Texts(WM_THREAD_STATUS);
        for (const Move& move : test.moves) {
            SCOPED_TRACE(move.path);
            EXPECT_FALSE(Stored(server, move.path));
            const long named =
                std::count(lines.begin(), lines.end(), "Redirected to: " + site + move.target);
            EXPECT_EQ(named, move.target.empty() ? 0 : 1);
        }

        std::vector<std::pair<std::string, CPageFailure>> recorded;
        for (const CFailureEntry& entry : ReadFailureRecord(m_dir.Path())) {
            recorded.emplace_back(entry.m_strUrl, entry.m_failure);
        }
        std::sort(recorded.begin(), recorded.end());
        EXPECT_EQ(recorded.size(), test.failed.size());
        for (size_t at = 0; at < std::min(recorded.size(), test.failed.size()); ++at) {
            EXPECT_EQ(recorded[at].first, site + test.failed[at].first);
            EXPECT_EQ(recorded[at].second, test.failed[at].second);
        }
        EXPECT_EQ(doc().FailureCount(), static_cast<int>(test.failed.size()));
    }
}

TEST_F(RedirectCrawl, ARedirectToAnotherHostAddsItsSiteInSiteModeOnly) {
    FixtureServer other("127.0.0.2");
    other.SetDefault(FixtureServer::Ok("other"));
    m_site.Route("/", Moved(302, other.Url("/deep/x.html")));
    SiteTask(m_site);
    FollowRedirects(true);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(doc().m_arrSites, (std::vector<std::string>{m_site.HostPort(), other.HostPort()}));
    EXPECT_EQ(Targets(m_site), std::vector<std::string>{"/"});
    EXPECT_EQ(Targets(other), std::vector<std::string>{"/"}) << "a later site starts at its root";

    // An address range keeps to its addresses.
    FixtureServer proxy;
    proxy.Route("http://10.0.0.7/", Moved(301, "http://10.0.0.8/"));
    UseDoc(std::make_unique<CTestDoc>());
    RangeTask("10.0.0.7", "10.0.0.7", proxy);
    FollowRedirects(true);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(Targets(proxy), std::vector<std::string>{"http://10.0.0.7/"});
    EXPECT_TRUE(doc().m_arrSites.empty());
}

TEST_F(RedirectCrawl, TheDepthLimitAppliesToALocation) {
    m_site.Route("/", FixtureServer::Ok("<a href=\"/r\">r</a>"));
    m_site.Route("/r", Moved(302, "/docs/deep/page.html"));
    m_site.Route("/docs/deep/page.html", FixtureServer::Ok("deep"));
    const std::pair<int, std::vector<std::string>> cases[] = {
        {1, {"/", "/docs/", "/r"}},
        {2, {"/", "/docs/", "/r"}},
        {3, {"/", "/docs/", "/docs/deep/", "/docs/deep/page.html", "/r"}},
        {0, {"/", "/docs/", "/docs/deep/", "/docs/deep/page.html", "/r"}},
    };
    for (const auto& [depth, fetched] : cases) {
        SCOPED_TRACE(depth);
        const size_t before = m_site.RequestCount();
        UseDoc(std::make_unique<CTestDoc>());
        SiteTask(m_site);
        doc().m_nDepth = depth;
        FollowRedirects(true);
        ASSERT_TRUE(RunToEnd());
        const std::vector<std::string> all = Targets(m_site);
        EXPECT_EQ(Sorted({all.begin() + static_cast<long>(before), all.end()}), fetched);
    }
}

TEST_F(RedirectCrawl, UnfollowedARedirectFailsNamingItsTarget) {
    m_site.Route("/", FixtureServer::Ok("<a href=\"/a\">a</a> <a href=\"/c.html\">c</a>"));
    m_site.Route("/a", Moved(302, "b.html"));
    m_site.Route("/b.html", FixtureServer::Ok("b"));
    m_site.Route("/c.html", FixtureServer::Ok("c"));
    SiteTask(m_site);
    ASSERT_TRUE(RunToEnd());

    EXPECT_EQ(Sorted(Targets(m_site)), (std::vector<std::string>{"/", "/a", "/c.html"}));
    EXPECT_EQ(Sorted(ListedUrls(m_dir.Path())),
              (std::vector<std::string>{m_site.Url("/"), m_site.Url("/c.html")}));
    EXPECT_FALSE(Stored(m_site, "/a"));

    const std::string target = m_site.Url("/b.html");
    const CPageFailure failure{FailureReason::Redirected, 0, target};
    EXPECT_EQ(FailureText(failure), "redirected to " + target + " (Options: Follow redirects)");
    const std::vector<CFailureEntry> record = ReadFailureRecord(m_dir.Path());
    ASSERT_EQ(record.size(), 1u);
    EXPECT_EQ(record[0].m_strUrl, m_site.Url("/a"));
    EXPECT_EQ(record[0].m_failure.m_reason, FailureReason::Redirected);
    EXPECT_EQ(record[0].m_failure.m_strTarget, target);
    const std::string bytes = ReadFileBytes(m_dir / FAILURE_RECORD_NAME);
    EXPECT_NE(bytes.find("\tredirected\t" + m_site.Url("/a") + "\t" + target + "\n"),
              std::string::npos)
        << bytes;
    EXPECT_EQ(m_frame.Texts(WM_PAGE_FAILED),
              std::vector<std::string>{m_site.Url("/a") + "\t" + target});
    const std::vector<std::string> lines = m_bar.Texts(WM_THREAD_STATUS);
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "Not retrieved: " + m_site.Url("/a") + " (" + FailureText(failure) + ")"),
              1);
    EXPECT_EQ(doc().FailureSummary(),
              "1 page not retrieved: 1 redirected (Options: Follow redirects)");
}

// No TLS server here: the HTTPS form of the site is a closed port, so its
// root is refused, and the failure shows that it was asked for.
TEST_F(RedirectCrawl, ASiteRedirectedToItsHttpsFormIsCrawledThere) {
    const int closed = ClosedPort();
    ASSERT_NE(closed, 0);
    const std::string https = "https://127.0.0.1:" + std::to_string(closed);
    struct Case {
        const char* path;  // redirected to the same path on HTTPS
        std::vector<std::string> fetched;
    };
    const Case cases[] = {{"/", {"/"}}, {"/a.html", {"/", "/a.html"}}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.path);
        FixtureServer site;
        site.Route("/", FixtureServer::Ok("<a href=\"a.html\">a</a>"));
        site.Route(test.path, Moved(301, https + test.path));
        UseDoc(std::make_unique<CTestDoc>());
        SiteTask(site);
        FollowRedirects(true);
        ASSERT_TRUE(RunToEnd());

        EXPECT_EQ(Sorted(Targets(site)), test.fetched);
        EXPECT_EQ(doc().m_arrSites, std::vector<std::string>{https});
        EXPECT_EQ(doc().m_strCurrentSite, https);
        const std::vector<CFailureEntry> record = ReadFailureRecord(m_dir.Path());
        ASSERT_EQ(record.size(), 1u);
        EXPECT_EQ(record[0].m_strUrl, https + test.path);
        EXPECT_EQ(record[0].m_failure.m_reason, FailureReason::Refused);
    }
}
