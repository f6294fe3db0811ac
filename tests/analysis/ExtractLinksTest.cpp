#include <gtest/gtest.h>

#include <chrono>

#include "common/Messages.h"
#include "support/RecordingTarget.h"
#include "support/TestDoc.h"

namespace {
using Urls = std::vector<std::string>;

// Link extraction on the page http://host/dir/page.html of the site host,
// whose folder is listed already (as a crawl that found the page lists it),
// so the folder walk of links in that folder ends at once.
class ExtractLinksTest : public ::testing::Test {
protected:
    ExtractLinksTest() {
        m_doc.m_bSiteMode = true;
        m_doc.m_strCurrentSite = "host";
        m_doc.m_strUrl[0] = "http://host/dir/page.html";
        m_doc.m_arrSites = {"host"};
        ResetUrls();
    }

    void ResetUrls() {
        m_doc.m_arrUrls = {"http://host/dir/page.html", "http://host/dir/"};
        m_doc.RebuildListIndexes();
    }

    // The URLs queued by a page, after the two listed before.
    Urls Queued(const std::string& page) {
        m_doc.m_strPage[0] = page;
        m_doc.StripPage(0);
        m_doc.ExtractLinks(0);
        return Urls(m_doc.m_arrUrls.begin() + 2, m_doc.m_arrUrls.end());
    }

    CTestDoc m_doc;
};
}  // namespace

TEST_F(ExtractLinksTest, AttributeValuesAreReadAsWritten) {
    const std::pair<std::string, Urls> cases[] = {
        {"<a href = 'other.html'>", {"http://host/dir/other.html"}},
        {"<a href=x.html class=big>", {"http://host/dir/x.html"}},
        {"<a\nhref=\"\ty.html \">", {"http://host/dir/y.html"}},
        {"<a href=\"#top\">", {}},  // the page itself, already listed
        {"<a href=\"mailto:a@example.invalid\"><a href=\"javascript:go()\">", {}},
        {"<a href=\"unclosed.html>", {}},
        {"<a href=\"it's.html\">", {"http://host/dir/it's.html"}},
        {"<a href='say\"hi.html'>", {"http://host/dir/say\"hi.html"}},
        {"<a href=it's.html>", {"http://host/dir/it's.html"}},
        {"<a href=\"mixed.html'>", {}},
        {"<a href=\"\">", {}},
        {"<a href=\"first.html\" src=\"second.gif\">", {"http://host/dir/first.html"}},
        {"<a href=\"/top.html#part\">", {"http://host/top.html"}},
        {"<a href=\"http://HOST/a.html\">", {"http://HOST/a.html"}},
        {"<!-- <a href=\"commented.html\"> -->", {"http://host/dir/commented.html"}},
        {"<script>x='<a href=\"s.html\">'</script><style>a{background:url(t.gif)}</style>", {}},
    };
    for (const auto& [page, expected] : cases) {
        ResetUrls();
        EXPECT_EQ(Queued(page), expected) << page;
    }
}

TEST_F(ExtractLinksTest, ImagesAreSeenOnlyWhileTheImageFilterIsOn) {
    EXPECT_EQ(Queued("<img src=\"pics/a.gif\"><table background=\"t.gif\">"),
              (Urls{"http://host/dir/pics/a.gif", "http://host/dir/t.gif"}));
    m_doc.m_bFilterImage = false;
    EXPECT_EQ(Queued("<img src=\"pics/b.gif\"><table background=\"u.gif\">"),
              (Urls{"http://host/dir/pics/a.gif", "http://host/dir/t.gif"}));
}

TEST_F(ExtractLinksTest, FoldersAboveALinkAreQueuedWithinTheDepth) {
    // No limit: the URL, then its folders from the top until one is known.
    EXPECT_EQ(Queued("<a href=\"/a/b/c.html\">"),
              (Urls{"http://host/a/b/c.html", "http://host/a/", "http://host/a/b/"}));

    ResetUrls();
    m_doc.m_nDepth = 2;
    EXPECT_EQ(Queued("<a href=\"/a/b/c.html\">"), (Urls{"http://host/a/"}));

    ResetUrls();
    m_doc.m_nDepth = 1;
    EXPECT_EQ(Queued("<a href=\"/x.html\"><a href=\"/a/x.html\">"),
              (Urls{"http://host/x.html", "http://host/a/"}));
}

TEST_F(ExtractLinksTest, OtherHostsJoinTheSiteListOnceAndOnlyInSiteMode) {
    EXPECT_TRUE(Queued("<a href=\"http://other/x\"><a href=\"http://OTHER/y\">"
                       "<a href=\"https://secure/\"><a href=\"http://third:8080\">")
                    .empty());
    EXPECT_EQ(m_doc.m_arrSites, (Urls{"host", "other", "third:8080"}));

    m_doc.m_arrSites = {"host"};
    m_doc.RebuildListIndexes();
    m_doc.m_bSiteMode = false;
    Queued("<a href=\"http://fourth/\">");
    EXPECT_EQ(m_doc.m_arrSites, Urls{"host"});
}

TEST_F(ExtractLinksTest, HostilePagesAreScannedInLinearTime) {
    const std::string pages[] = {
        [] {
            std::string page;
            for (int i = 0; i < 1000000; ++i) page += "<a href=";
            return page;
        }(),
        [] {
            std::string page;
            for (int i = 0; i < 200000; ++i) page += "<a href=x.html>";
            return page;
        }(),
        std::string(4 * 1024 * 1024, '='),
        "<a href=\"" + std::string(2 * 1024 * 1024, 'a') + "\">",
        "<a href=\"/" + std::string(600, 'x') + "/\">",
    };
    for (const std::string& page : pages) {
        const auto started = std::chrono::steady_clock::now();
        Queued(page);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    }
    for (const std::string& url : m_doc.m_arrUrls) {
        EXPECT_LE(url.size(), 511u);
    }
}

namespace {
// A page linking count new URLs of the site and hosts new hosts.
std::string ManyLinks(int count, int hosts) {
    std::string page;
    for (int i = 0; i < count; ++i) {
        page += "<a href=\"l" + std::to_string(i) + ".html\">";
    }
    for (int i = 0; i < hosts; ++i) {
        page += "<a href=\"http://h" + std::to_string(i) + "/\">";
    }
    return page;
}
}  // namespace

// A site whose pages link without end: the lists stop growing at their
// bounds, and what is past them is not queued.
TEST_F(ExtractLinksTest, TheListsStopGrowingAtTheirBounds) {
    m_doc.m_nMaxUrls = 5;
    m_doc.m_nMaxSites = 3;
    EXPECT_EQ(Queued(ManyLinks(10, 10)),
              (Urls{"http://host/dir/l0.html", "http://host/dir/l1.html", "http://host/dir/l2.html"}));
    EXPECT_EQ(m_doc.m_arrSites, (Urls{"host", "h0", "h1"}));
}

// Queueing thousands of links sends the counters a few times, not per link,
// and the last values sent are the lists' own.
TEST_F(ExtractLinksTest, CountersGoOutAFewTimesNotOncePerLink) {
    RecordingTarget frame;
    m_doc.m_hWndMainFrame = &frame;
    Queued(ManyLinks(5000, 500));
    const std::vector<int64_t> queued = frame.Numbers(WM_LINKS_QUEUED);
    const std::vector<int64_t> sites = frame.Numbers(WM_SITES_LEFT);
    ASSERT_FALSE(queued.empty());
    ASSERT_FALSE(sites.empty());
    EXPECT_LE(queued.size(), 10u);
    EXPECT_LE(sites.size(), 10u);
    EXPECT_EQ(queued.back(), m_doc.LinksQueued());
    EXPECT_EQ(sites.back(), static_cast<int64_t>(m_doc.SitesLeft()));
    m_doc.m_hWndMainFrame = nullptr;
}

// A URL written with raw bytes and with their "%XX" is one URL: the first
// spelling found is queued, the other is already known, in the folder walk
// too. Hex digits written in another case make another request.
TEST_F(ExtractLinksTest, TwoSpellingsOfOneUrlAreQueuedOnce) {
    const std::pair<std::string, Urls> cases[] = {
        {"<a href=\"caf\xC3\xA9.html\"><a href=\"caf%C3%A9.html\">",
         {"http://host/dir/caf\xC3\xA9.html"}},
        {"<a href=\"caf%C3%A9.html\"><a href=\"caf\xC3\xA9.html\">",
         {"http://host/dir/caf%C3%A9.html"}},
        {"<a href='my page.html'><a href=\"my%20page.html\">", {"http://host/dir/my page.html"}},
        {"<a href=\"/my dir/a.html\"><a href=\"/my%20dir/b.html\">",
         {"http://host/my dir/a.html", "http://host/my dir/", "http://host/my%20dir/b.html"}},
        {"<a href=\"caf%c3%a9.html\"><a href=\"caf%C3%A9.html\">",
         {"http://host/dir/caf%c3%a9.html", "http://host/dir/caf%C3%A9.html"}},
        {"<a href=\"%41.html\"><a href=\"A.html\">"
         "<a href=\"t\x7F%7F.html\"><a href=\"t%7F\x7F.html\">",
         {"http://host/dir/%41.html", "http://host/dir/A.html", "http://host/dir/t\x7F%7F.html"}},
    };
    for (const auto& [page, expected] : cases) {
        ResetUrls();
        EXPECT_EQ(Queued(page), expected) << page;
    }

    // A list read from a task file, its café page handed out already.
    m_doc.m_arrUrls = {"http://host/dir/page.html", "http://host/dir/",
                       "http://host/dir/caf\xC3\xA9.html"};
    m_doc.m_nNextUrl = 3;
    m_doc.RebuildListIndexes();
    EXPECT_EQ(Queued("<a href=\"caf%C3%A9.html\"><a href=\"/dir/caf%C3%A9.html#top\">"),
              Urls{"http://host/dir/caf\xC3\xA9.html"});
}
