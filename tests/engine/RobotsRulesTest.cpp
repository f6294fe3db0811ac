#include <gtest/gtest.h>

#include <span>
#include <string>
#include <utility>

#include "engine/RobotsRules.h"

namespace {
constexpr const char* kAgent = "Quobrix";

struct CAllowCase {
    std::string robots;
    const char* agent;
    std::string path;
    bool bAllowed;
};

void ExpectAllowed(std::span<const CAllowCase> cases) {
    for (const CAllowCase& c : cases) {
        EXPECT_EQ(CRobotsRules::Parse(c.robots, c.agent).Allows(c.path), c.bAllowed)
            << c.agent << " " << c.path << " under\n"
            << c.robots;
    }
}

// One "*" group holding the given lines.
std::string ForAll(const std::string& lines) {
    return "User-agent: *\n" + lines;
}
}  // namespace

TEST(RobotsRules, FollowsTheExamplesOfRfc9309) {
    const std::string example =
        "User-Agent: *\n"
        "Disallow: *.gif$\n"
        "Disallow: /example/\n"
        "Allow: /publications/\n"
        "\n"
        "User-Agent: foobot\n"
        "Disallow:/\n"
        "Allow:/example/page.html\n"
        "Allow:/example/allowed.gif\n"
        "\n"
        "User-Agent: barbot\n"
        "User-Agent: bazbot\n"
        "Disallow: /example/page.html\n"
        "\n"
        "User-Agent: quxbot\n"
        "\n"
        "EOF\n";
    const std::string longest =
        "User-Agent: foobot\n"
        "Allow: /example/page/\n"
        "Disallow: /example/page/disallowed.gif\n";
    const CAllowCase cases[] = {
        {example, kAgent, "/a/b.gif", false},
        {example, kAgent, "/a/b.gif?size=2", true},
        {example, kAgent, "/example/page.html", false},
        {example, kAgent, "/example", true},
        {example, kAgent, "/publications/a.gif", true},
        {example, "foobot", "/example/page.html", true},
        {example, "foobot", "/example/allowed.gif", true},
        {example, "foobot", "/example/other.html", false},
        {example, "foobot", "/", false},
        {example, "barbot", "/example/page.html", false},
        {example, "bazbot", "/example/page.html", false},
        {example, "bazbot", "/example/other.html", true},
        {example, "bazbot", "/a.gif", true},
        {example, "quxbot", "/example/page.html", true},
        {example, "quxbot", "/a.gif", true},
        {longest, "foobot", "/example/page/", true},
        {longest, "foobot", "/example/page/disallowed.gif", false},
        {longest, "foobot", "/example/page/allowed.gif", true},
        // Equal lengths: allow wins; "*" and "$" count as octets.
        {ForAll("Disallow: /page\nAllow: /page\n"), kAgent, "/page", true},
        {ForAll("Allow: /page\nDisallow: /page$\n"), kAgent, "/page", false},
        {ForAll("Allow: /page\nDisallow: /page$\n"), kAgent, "/pages", true},
        {ForAll("Disallow: /dir/\nAllow: /*.html\n"), kAgent, "/dir/a.html", true},
        // Paths and patterns are compared once percent-encoded alike.
        {ForAll("Disallow: /foo/bar?baz=quz\n"), kAgent, "/foo/bar?baz=quz", false},
        {ForAll("Disallow: /foo/bar?baz=https://foo.bar\n"), kAgent,
         "/foo/bar?baz=https%3A%2F%2Ffoo.bar", false},
        {ForAll("Disallow: /foo/bar?baz=https%3a%2f%2ffoo.bar\n"), kAgent,
         "/foo/bar?baz=https://foo.bar", false},
        {ForAll("Disallow: /foo/bar/\xE3\x83\x84\n"), kAgent, "/foo/bar/%E3%83%84", false},
        {ForAll("Disallow: /foo/bar/%E3%83%84\n"), kAgent, "/foo/bar/%e3%83%84", false},
        {ForAll("Disallow: /foo/bar/%E3%83%84\n"), kAgent, "/foo/bar/\xE3\x83\x84", false},
        {ForAll("Disallow: /foo/bar/%62%61%7A\n"), kAgent, "/foo/bar/baz", false},
        {ForAll("Disallow: /foo/bar/baz\n"), kAgent, "/foo/bar/%62%61%7A", false},
        {ForAll("Disallow: /a%2Fb\n"), kAgent, "/a/b", true},
        {ForAll("Disallow: /Fish\n"), kAgent, "/fish", true},
        // Special characters.
        {ForAll("Disallow: /\nallow: /x # comment in line\n# comment on its own line\n"), kAgent,
         "/x", true},
        {ForAll("Disallow: /this/path/exactly$\n"), kAgent, "/this/path/exactly", false},
        {ForAll("Disallow: /this/path/exactly$\n"), kAgent, "/this/path/exactly/more", true},
        {ForAll("Disallow: /this/*/exactly\n"), kAgent, "/this/a/b/exactly", false},
        {ForAll("Disallow: /this/*/exactly\n"), kAgent, "/this/exactly", true},
        {ForAll("Disallow: /path/file-with-a-%2A.html\n"), kAgent, "/path/file-with-a-*.html",
         false},
        {ForAll("Disallow: /path/file-with-a-%2A.html\n"), kAgent, "/path/file-with-a-x.html",
         true},
        {ForAll("Disallow: /path/foo-%24\n"), kAgent, "/path/foo-$", false},
        {ForAll("Disallow: /path/foo-%24\n"), kAgent, "/path/foo-x", true},
        {ForAll("Disallow: /a$b\n"), kAgent, "/a$b", false}};
    ExpectAllowed(cases);
}

TEST(RobotsRules, ChoosesTheGroupOfTheProductTokenElseStar) {
    const std::string both = "User-agent: quobrix\nDisallow: /q\n\nUser-agent: *\nDisallow: /s\n";
    const std::string merged =
        "User-agent: Quobrix\nDisallow: /a\n\nUser-agent: *\nDisallow: /s\n\n"
        "User-agent: QUOBRIX\nDisallow: /b\n";
    const CAllowCase cases[] = {
        {both, "Quobrix", "/q", false},
        {both, "Quobrix", "/s", true},
        {both, "quobrix/1.10 (Linux)", "/q", false},
        {both, "Other", "/q", true},
        {both, "Other", "/s", false},
        {"User-agent: Quobrix/2.0 (+http://127.0.0.1/)\nDisallow: /q\n", kAgent, "/q", false},
        {"User-agent: Quobrixer\nDisallow: /q\n", kAgent, "/q", true},
        {"User-agent: Quo\nDisallow: /q\n", kAgent, "/q", true},
        {merged, kAgent, "/a", false},
        {merged, kAgent, "/b", false},
        {merged, kAgent, "/s", true},
        {"User-agent: *\nDisallow: /a\n\nUser-agent: *\nDisallow: /b\n", kAgent, "/b", false},
        {"User-agent: other\nUser-agent: quobrix\nDisallow: /a\n", kAgent, "/a", false},
        // Blank lines do not part user-agent lines from each other.
        {"User-agent: other\n\nUser-agent: *\nDisallow: /a\n", "other", "/a", false},
        // A group of the agent without rules still hides the "*" group.
        {"User-agent: Quobrix\nDisallow:\n\nUser-agent: *\nDisallow: /\n", kAgent, "/a", true},
        {"User-agent: other\nDisallow: /\n", kAgent, "/a", true},
        {"", kAgent, "/a", true}};
    ExpectAllowed(cases);

    const std::pair<const char*, const char*> tokens[] = {
        {"Quobrix/1.10(Linux)", "Quobrix"},
        {"Mozilla/4.0 (compatible; MSIE 5.0; Windows 98)", "Mozilla"},
        {" Quobrix /1.0", "Quobrix"},
        {"Quobrix crawler", "Quobrix crawler"},
        {"/1.0", ""}};
    for (const auto& [agent, token] : tokens) {
        EXPECT_EQ(RobotsProductToken(agent), token) << agent;
    }
}

TEST(RobotsRules, ReadsTheCrawlDelayOfTheChosenGroup) {
    struct CCase {
        std::string robots;
        std::optional<int> expected;
    };
    const CCase cases[] = {
        {ForAll("Crawl-delay: 10\n"), 10000},
        {ForAll("crawl-DELAY : 0.5\n"), 500},
        {ForAll("Crawl-delay: .25\n"), 250},
        {ForAll("Crawl-delay: 1.2345\n"), 1234},
        {ForAll("Crawl-delay: 0\n"), 0},
        {ForAll("Crawl-delay: 86400\n"), 86400000},
        {ForAll("Crawl-delay: 86400.5\n"), std::nullopt},
        {ForAll("Crawl-delay: 99999999999999999999\n"), std::nullopt},
        {ForAll("Crawl-delay: -1\n"), std::nullopt},
        {ForAll("Crawl-delay: soon\n"), std::nullopt},
        {ForAll("Crawl-delay: 1e3\n"), std::nullopt},
        {ForAll("Crawl-delay: 5s\n"), std::nullopt},
        {ForAll("Crawl-delay: .\n"), std::nullopt},
        {ForAll("Crawl-delay:\n"), std::nullopt},
        {ForAll("Disallow: /a\n"), std::nullopt},
        {ForAll("Crawl-delay: x\nCrawl-delay: 1\n"), 1000},
        {"Crawl-delay: 4\nUser-agent: *\nDisallow: /a\n", std::nullopt},
        {"User-agent: *\nCrawl-delay: 5\n\nUser-agent: Quobrix\nDisallow: /x\n", std::nullopt},
        {"User-agent: Quobrix\nCrawl-delay: 3\n\nUser-agent: quobrix\nCrawl-delay: 2\n", 3000}};
    for (const CCase& c : cases) {
        EXPECT_EQ(CRobotsRules::Parse(c.robots, kAgent).CrawlDelayMs(), c.expected) << c.robots;
    }
}

TEST(RobotsRules, ToleratesTheWaysFilesAreWritten) {
    const std::string pattern = "/" + std::string(kRobotsPatternMax - 1, 'a');
    // A rule whose line the parse limit cuts, and one wholly beyond the limit.
    std::string truncated = "User-agent: *\n#";
    const std::string cut = "Disallow: /c";
    truncated += std::string(kRobotsParseMax - truncated.size() - cut.size() - 1, 'x') + "\n";
    truncated += cut + "ut\nDisallow: /d\n";
    const CAllowCase cases[] = {
        {"User-agent: *\r\nDisallow: /a\r\nDisallow: /b\r\n", kAgent, "/a", false},
        {"User-agent: *\r\nDisallow: /a\r\nDisallow: /b\r\n", kAgent, "/b", false},
        {"User-agent: *\rDisallow: /a\rDisallow: /b", kAgent, "/b", false},
        {"\xEF\xBB\xBFUser-agent: *\nDisallow: /a\n", kAgent, "/a", false},
        {"USER-AGENT :*\nDISALLOW\t:\t/a\n", kAgent, "/a", false},
        {"User-agent: * # everyone\nDisallow: /a#b\n", kAgent, "/ax", false},
        {ForAll("Disallow /a\nDisallow: /b\n"), kAgent, "/a", true},
        {"Disallow: /a\nUser-agent: *\nDisallow: /b\n", kAgent, "/a", true},
        {ForAll("Disallow: /a\nSitemap: http://127.0.0.1/s.xml\nDisallow: /b\n"), kAgent, "/b",
         false},
        {ForAll("Disallow: /a\nUser-agent: other\nDisallow: /b\n"), kAgent, "/a", false},
        {ForAll("Disallow: /a\nUser-agent: other\nDisallow: /b\n"), kAgent, "/b", true},
        {ForAll("Disallow:\n"), kAgent, "/a", true},
        {ForAll("Disallow: /100%\n"), kAgent, "/100%25", false},
        {ForAll("Disallow: /a$\n"), kAgent, "/a#top", false},
        {ForAll("Disallow: /\n"), kAgent, "/robots.txt", true},
        {ForAll("Disallow: /\n"), kAgent, "/robots.txt?x=1", true},
        {ForAll("Disallow: /\n"), kAgent, "/robots.txt.bak", false},
        {ForAll("Disallow: " + pattern + "\n"), kAgent, pattern, false},
        {ForAll("Disallow: " + pattern + "a\n"), kAgent, pattern + "a", true},
        {truncated, kAgent, "/c", true},
        {truncated, kAgent, "/d", true},
        {truncated, kAgent, "/cut", true}};
    ExpectAllowed(cases);
}

TEST(RobotsRules, StandsInForAMissingOrUnreachableFile) {
    EXPECT_TRUE(CRobotsRules::AllowAll().Allows("/a/b.html?x=1"));
    EXPECT_FALSE(CRobotsRules::DisallowAll().Allows("/"));
    EXPECT_FALSE(CRobotsRules::DisallowAll().Allows("/a/b.html?x=1"));
    EXPECT_TRUE(CRobotsRules::DisallowAll().Allows("/robots.txt"));
    EXPECT_FALSE(CRobotsRules::DisallowAll().CrawlDelayMs());
}

TEST(RobotsRules, MatchesRunsOfStarsWithoutBacktracking) {
    std::string pattern = "/";
    for (int i = 0; i < 990; ++i) {
        pattern += "*a";
    }
    const std::string path = "/" + std::string(50000, 'a');
    const CRobotsRules rules = CRobotsRules::Parse(ForAll("Disallow: " + pattern + "*b\n"), kAgent);
    EXPECT_TRUE(rules.Allows(path));
    EXPECT_FALSE(rules.Allows(path + "b"));
    const CRobotsRules anchored =
        CRobotsRules::Parse(ForAll("Disallow: " + pattern + "*b$\n"), kAgent);
    EXPECT_FALSE(anchored.Allows(path + "b"));
    EXPECT_TRUE(anchored.Allows(path + "ba"));
}
