#include <gtest/gtest.h>

#include <chrono>

#include "task/QuobrixDoc.h"

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

    CQuobrixDoc m_doc;
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
