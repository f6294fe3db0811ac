#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "EngineFixture.h"
#include "common/Messages.h"
#include "engine/PageStore.h"
#include "support/LoopbackClient.h"

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
        // The site's folder is "127.0.0.1:PORT": the link begins at the server's root.
        const std::string below = stored.substr(m_dir.Path().size());
        EXPECT_NE(rows.find("<a href=\"/" + below + "\"><img src=\"local.jpg\""),
                  std::string::npos);
        EXPECT_EQ(ReadFileBytes(stored), body);
        EXPECT_EQ(ReadFileBytes(stored + ".Quobrix").rfind("HTTP/1.0 200 OK\r\n", 0), 0u);
        EXPECT_EQ(UrlToLocalPath(m_dir.Path(), "http://" + below), stored);
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

namespace {
// The answer of the local server to a GET of path, read until it closes.
std::string GetFromServer(int port, const std::string& path) {
    const int sock = ConnectLoopback(port);
    const std::string request =
        "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n";
    send(sock, request.data(), request.size(), MSG_NOSIGNAL);
    std::string answer = ReadAnswer(sock);
    close(sock);
    return answer;
}

// The text between before and the next '"' of every place before occurs in.
std::vector<std::string> Quoted(const std::string& text, const std::string& before) {
    std::vector<std::string> found;
    for (size_t at = text.find(before); at != std::string::npos; at = text.find(before, at + 1)) {
        const size_t begin = at + before.size();
        found.push_back(text.substr(begin, text.find('"', begin) - begin));
    }
    return found;
}
}  // namespace

// Two sites on one address, on two ports, that link to each other, with the
// same page names: each keeps a folder of its own, and each row's local link,
// asked of the local server as a browser sends it, gives its own site's page.
TEST_F(EngineTest, SitesOnTwoPortsOfOneAddressAreStoredApartAndServedFromTheirRows) {
    FixtureServer first;
    FixtureServer second;
    for (FixtureServer* site : {&first, &second}) {
        const FixtureServer* other = site == &first ? &second : &first;
        site->Route(
            "/", FixtureServer::Ok("index of " + site->HostPort() + " <a href=\"http://" +
                                   other->HostPort() + "/\">other</a> <a href=\"a.html\">a</a>"));
        site->Route("/a.html", FixtureServer::Ok("page a of " + site->HostPort()));
    }
    SiteTask(first);
    ASSERT_TRUE(RunToEnd());
    ASSERT_TRUE(doc().StartLocalServer());
    const int port = doc().m_nServerPort;
    EXPECT_EQ(ReadFileBytes(m_dir.Path() + first.HostPort() + "/a.html"),
              "page a of " + first.HostPort());
    EXPECT_EQ(ReadFileBytes(m_dir.Path() + second.HostPort() + "/a.html"),
              "page a of " + second.HostPort());

    const std::string rows = ReadFileBytes(m_dir.Path() + "ResultPage0.html");
    const std::vector<std::string> urls = Quoted(rows, "<div align=\"center\"><a href=\"");
    ASSERT_EQ(urls.size(), 8u) << rows;  // remote and local link of four rows
    for (size_t row = 0; row < urls.size(); row += 2) {
        const std::string& url = urls[row];
        const std::string& link = urls[row + 1];
        SCOPED_TRACE(url);
        // "127.0.0.1:PORT/a.html" would be read as a scheme and its path.
        ASSERT_EQ(link.rfind("/127.0.0.1:", 0), 0u) << link;
        const std::string answer = GetFromServer(port, link);
        ASSERT_EQ(answer.rfind("HTTP/1.0 200 OK\r\n", 0), 0u) << answer;
        const FixtureServer& site =
            url.find(first.HostPort()) != std::string::npos ? first : second;
        const FixtureServer& other = &site == &first ? second : first;
        const std::string body = answer.substr(answer.find("\r\n\r\n") + 4);
        if (url.ends_with("/a.html")) {
            EXPECT_EQ(body, "page a of " + site.HostPort());
            continue;
        }
        // Both links of an index lead to stored pages, each in its own site's folder.
        EXPECT_EQ(body.rfind("index of " + site.HostPort(), 0), 0u) << body;
        EXPECT_NE(body.find("href=\"/" + other.HostPort() + "/index.html\""), std::string::npos)
            << body;
        EXPECT_NE(body.find("href=\"/" + site.HostPort() + "/a.html\""), std::string::npos) << body;
    }
}
