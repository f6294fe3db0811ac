#include <algorithm>
#include <filesystem>
#include <set>

#include "EngineFixture.h"
#include "common/Messages.h"
#include "engine/PageStore.h"

namespace {
using Paths = std::set<std::string>;

// A small site with folders, folder links, an image, links to two other
// hosts and links that must not be followed. "base" is "http://host:port"
// as the pages name their own site; links to other sites use their roots.
void ServeSite(FixtureServer& server, const std::string& prefix, const std::string& other1,
               const std::string& other2) {
    auto page = [&](const std::string& path, const std::string& body) {
        server.Route(prefix + path, FixtureServer::Ok("<html><head><title>" + path +
                                                      "</title></head><body>" + body +
                                                      "</body></html>"));
    };
    page("/", "Welcome to the cider orchard. <a href=\"docs/\">docs</a> "
              "<A HREF='/top.html'>top</A> <a href=docs/a/b/deep.html class=x>deep</a> "
              "<img src=\"img/logo.gif\"> <a href=\"#here\">here</a> "
              "<a href=\"mailto:someone@example.invalid\">mail</a> "
              "<a href=\"javascript:go()\">js</a> "
              "<script>document.write('<a href=\"hidden.html\">')</script> "
              "<a href=\"http://" + other1 + "/\">one</a> <a href=\"http://" + other2 +
              "/x.html\">two</a> <a href=\"HTTP://" + other1 + "/again\">again</a>");
    page("/docs/", "Docs. <a href=\"intro.html\">intro</a> <a href=\"../top.html\">up</a>");
    page("/docs/intro.html", "Intro about cider.");
    page("/docs/a/", "Folder a.");
    page("/docs/a/b/", "Folder b.");
    page("/docs/a/b/deep.html", "Deep page.");
    page("/top.html", "Top page, no keyword.");
    server.Route(prefix + "/img/logo.gif", FixtureServer::Ok("GIF89a", "image/gif"));
    server.Route(prefix + "/img/", FixtureServer::Status(404, "Not Found"));
}

Paths TargetSet(const FixtureServer& server) {
    Paths targets;
    for (const FixtureServer::Request& request : server.Requests()) {
        targets.insert(request.target);
    }
    return targets;
}

std::vector<std::string> SitesConnected(const RecordingTarget& bar) {
    std::vector<std::string> sites;
    for (const std::string& line : bar.Texts(WM_THREAD_STATUS)) {
        if (line.rfind("Connecting to web site: ", 0) == 0) {
            const std::string site = line.substr(24);
            if (sites.empty() || sites.back() != site) {
                sites.push_back(site);
            }
        }
    }
    return sites;
}
}  // namespace

class Crawl : public EngineTest {
protected:
    Crawl() : m_b("127.0.0.2"), m_c("127.0.0.3") {
        ServeSite(m_a, "", m_b.HostPort(), m_c.HostPort());
        m_b.Route("/", FixtureServer::Ok("<a href=\"/b1.html\">b1</a> <a href=\"http://" +
                                         m_a.HostPort() + "/\">back</a>"));
        m_b.Route("/b1.html", FixtureServer::Ok("b one"));
        m_c.Route("/", FixtureServer::Ok("c root"));
    }
    FixtureServer m_a;
    FixtureServer m_b;
    FixtureServer m_c;
};

TEST_F(Crawl, ASiteAndTheSitesItLinksToAreCrawledInOrder) {
    SiteTask(m_a);
    doc().SetKeywords("cider", false);
    ASSERT_TRUE(RunToEnd());

    // The folder walk of docs/a/b/deep.html ends at docs/, already queued;
    // img/ is queued by the walk of the image's URL.
    EXPECT_EQ(TargetSet(m_a), (Paths{"/", "/docs/", "/top.html", "/docs/a/b/deep.html",
                                       "/img/logo.gif", "/img/", "/docs/intro.html"}));
    EXPECT_EQ(m_a.RequestCount(), 7u) << "every URL is fetched once";
    EXPECT_EQ(TargetSet(m_b), (Paths{"/", "/b1.html"}));
    EXPECT_EQ(TargetSet(m_c), Paths{"/"}) << "a later site starts at its root";
    EXPECT_EQ(doc().m_arrSites,
              (std::vector<std::string>{m_a.HostPort(), m_b.HostPort(), m_c.HostPort()}));
    EXPECT_EQ(SitesConnected(m_bar),
              (std::vector<std::string>{m_a.HostPort(), m_b.HostPort(), m_c.HostPort()}));
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
    EXPECT_EQ(doc().LinksRequested(), 10);
}

TEST_F(Crawl, DepthLimitsWhatIsQueuedButNotTheFirstFolders) {
    SiteTask(m_a);
    doc().m_nDepth = 1;
    doc().m_bFilterImage = false;
    doc().m_bSiteMode = true;
    ASSERT_TRUE(RunToEnd());
    // Depth 1: pages in the root, and the first folder of deeper links.
    EXPECT_EQ(TargetSet(m_a), (Paths{"/", "/docs/", "/top.html"}));

    doc().m_nDepth = 2;
    doc().m_nState = IDS_STATE_IDLE;
    const size_t before = m_a.RequestCount();
    ASSERT_TRUE(RunToEnd());
    std::vector<std::string> second;
    const std::vector<FixtureServer::Request> all = m_a.Requests();
    for (size_t i = before; i < all.size(); ++i) {
        second.push_back(all[i].target);
    }
    EXPECT_EQ(Paths(second.begin(), second.end()),
              (Paths{"/", "/docs/", "/top.html", "/docs/intro.html"}));
}

TEST_F(Crawl, AnAddressRangeIgnoresOtherSites) {
    FixtureServer proxy;
    ServeSite(proxy, "http://10.0.0.7", m_b.HostPort(), m_c.HostPort());
    RangeTask("10.0.0.7", "10.0.0.7", proxy);
    doc().m_bFilterImage = false;
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(TargetSet(proxy),
              (Paths{"http://10.0.0.7/", "http://10.0.0.7/docs/", "http://10.0.0.7/top.html",
                       "http://10.0.0.7/docs/a/b/deep.html", "http://10.0.0.7/docs/intro.html"}));
    EXPECT_EQ(m_b.RequestCount(), 0u);
    EXPECT_EQ(m_c.RequestCount(), 0u);
    EXPECT_TRUE(doc().m_arrSites.empty());
}

TEST_F(Crawl, KeywordsAreFoundAndHighlightedInTheResultRows) {
    FixtureServer server;
    server.Route("/", FixtureServer::Ok(
                          "<html><head><title> Pressing Day </title></head><body>"
                          "<p>Every autumn the Orchard presses its apples into Cider.</p>"
                          "</body></html>"));
    SiteTask(server);
    doc().SetKeywords("perry+cider", false);
    ASSERT_TRUE(RunToEnd());
    EXPECT_TRUE(doc().m_bMatched[0]);
    EXPECT_EQ(doc().m_strPlainText[0].find('<'), std::string::npos);
    std::string rows = ReadFileBytes(m_dir.Path() + "ResultPage0.html");
    EXPECT_NE(rows.find(">Pressing Day</font>"), std::string::npos) << rows;
    EXPECT_NE(rows.find("<font color=\"#FF0000\">Cider</font>"), std::string::npos) << rows;
    EXPECT_TRUE(doc().m_strTitle[0].empty()) << "the row took the title";

    doc().SetKeywords("cider", true);  // match case: "Cider" is not "cider"
    doc().m_nState = IDS_STATE_IDLE;
    ASSERT_TRUE(RunToEnd());
    EXPECT_FALSE(doc().m_bMatched[0]);
    rows = ReadFileBytes(m_dir.Path() + "ResultPage0.html");
    EXPECT_EQ(rows.find("#FF0000"), std::string::npos);
}

// Names too long to keep beside their header files are shortened; the rows
// link to the shortened copies, and the local server maps each link back to
// its copy.
TEST_F(EngineTest, LongNamesAreStoredWithTheirHeadersAndLinkedFromTheirRows) {
    FixtureServer server;
    const std::pair<std::string, std::string> pages[] = {
        {"/" + std::string(245, 'n') + ".html", "a name of 250 bytes"},
        {"/" + std::string(150, 'p') + "?" + std::string(149, 'q'), "300 bytes with its query"}};
    std::string links;
    for (const auto& [path, body] : pages) {
        server.Route(path, FixtureServer::Ok(body));
        links += "<a href=\"" + path + "\">x</a> ";
    }
    server.Route("/", FixtureServer::Ok(links));
    SiteTask(server);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(server.RequestCount(), 3u);

    const std::string rows = ReadFileBytes(m_dir.Path() + "ResultPage0.html");
    for (const auto& [path, body] : pages) {
        SCOPED_TRACE(path.substr(0, 20));
        const std::string stored = doc().UrlToLocalPath(server.Url(path));
        ASSERT_FALSE(stored.empty());
        const std::string link = stored.substr(m_dir.Path().size());
        EXPECT_NE(rows.find("<a href=\"" + link + "\"><img src=\"local.jpg\""), std::string::npos);
        EXPECT_EQ(ReadFileBytes(stored), body);
        EXPECT_EQ(ReadFileBytes(stored + ".Quobrix").rfind("HTTP/1.0 200 OK\r\n", 0), 0u);
        EXPECT_EQ(UrlToLocalPath(m_dir.Path(), "http://" + link), stored);
    }
}

// Links written with a space and with UTF-8 bytes are requested in "%XX"
// form, and the two spellings of the café page make one fetch, stored under
// the spelling found first.
TEST_F(EngineTest, LinksAreRequestedEncodedAndTwoSpellingsFetchedOnce) {
    FixtureServer server;
    server.Route(
        "/", FixtureServer::Ok("<a href=\"my page.html\">a</a> <a href=\"caf\xC3\xA9.html\">b</a> "
                               "<a href=\"caf%C3%A9.html\">c</a>"));
    server.Route("/my%20page.html", FixtureServer::Ok("my page"));
    server.Route("/caf%C3%A9.html", FixtureServer::Ok("the cafe"));
    SiteTask(server);
    ASSERT_TRUE(RunToEnd());

    std::vector<std::string> lines;
    for (const FixtureServer::Request& request : server.Requests()) {
        lines.push_back(request.requestLine);
    }
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"GET / HTTP/1.0", "GET /caf%C3%A9.html HTTP/1.0",
                                               "GET /my%20page.html HTTP/1.0"}));
    EXPECT_EQ(ReadFileBytes(doc().UrlToLocalPath(server.Url("/my page.html"))), "my page");
    EXPECT_EQ(ReadFileBytes(doc().UrlToLocalPath(server.Url("/caf\xC3\xA9.html"))), "the cafe");
    EXPECT_FALSE(std::filesystem::exists(doc().UrlToLocalPath(server.Url("/caf%C3%A9.html"))));
}
