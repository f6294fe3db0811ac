// "HTTPS links" on a plain site: an https:// link to the site's own host is
// the same page of the plain site; one to another host is a site of its own.
#include <algorithm>

#include "EngineFixture.h"

class HttpsLinks : public EngineTest {};

TEST_F(HttpsLinks, OwnHostLinksBecomePlainAndOtherHostsAreSitesOnlyWhileOn) {
    FixtureServer site;
    const int closed = ClosedPort();
    ASSERT_NE(closed, 0);
    const std::string other = "https://127.0.0.2:" + std::to_string(closed);
    site.Route("/", FixtureServer::Ok("<a href=\"https://127.0.0.1/x.html\">x</a> "
                                      "<a href=\"HTTPS://127.0.0.1:" +
                                      std::to_string(site.Port()) +
                                      "/docs/y.html#top\">y</a> <a href=\"" + other + "/\">o</a>"));
    site.SetDefault(FixtureServer::Ok("page"));
    struct Case {
        bool bHttpsLinks;
        std::vector<std::string> fetched;
        std::vector<std::string> sites;
    };
    const Case cases[] = {
        {true, {"/", "/docs/", "/docs/y.html", "/x.html"}, {site.HostPort(), other}},
        {false, {"/"}, {site.HostPort()}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.bHttpsLinks);
        const size_t before = site.RequestCount();
        UseDoc(std::make_unique<CTestDoc>());
        SiteTask(site);
        CAppOptions options;
        options.m_bHttpsLinks = test.bHttpsLinks;
        doc().SetAppOptions(options);
        ASSERT_TRUE(RunToEnd());

        const std::vector<std::string> all = Targets(site);
        std::vector<std::string> fetched(all.begin() + static_cast<long>(before), all.end());
        std::sort(fetched.begin(), fetched.end());
        EXPECT_EQ(fetched, test.fetched);
        EXPECT_EQ(doc().m_arrSites, test.sites);
        if (test.bHttpsLinks) {
            EXPECT_EQ(ReadFileBytes(doc().UrlToLocalPath(site.Url("/x.html"))), "page")
                << "stored as the plain site's page";
        }
    }
}
