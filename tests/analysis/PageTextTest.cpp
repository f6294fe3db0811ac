#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <string>

#include "analysis/PageText.h"
#include "analysis/TextSearch.h"

namespace {
std::string Red(const std::string& text) {
    return "<font color=\"#FF0000\">" + text + "</font>";
}
}  // namespace

TEST(PageText, StripSplitsTagsFromTheBodyText) {
    struct Case {
        std::string page, tagText, plainText;
    };
    const Case cases[] = {
        // No "<body": the title's text is plain text too.
        {"<html><title>T</title></html>Hi", "<html><title></title></html>", "THi"},
        // Tags before the body still go to the tag text; their text does not.
        {"<title>T</title><BODY a=1>Hi <b>you</b>", "<title></title><BODY a=1><b></b>", "Hi you"},
        {"A&nbsp;B", "", "AB"},
        {"A&NBSP;B", "", "A&NBSP;B"},
        {"a<style>p{}</style>b<STYLE x>q</Style>c", "", "abc"},
        {"a<script>x</SCRIPT>b<script>y</script>", "", "ab"},
        // Without its end a script is not skipped.
        {"<script>var a;<b>x", "<script><b>", "var a;x"},
        // A block right after a skipped one opens a tag first.
        {"<script>a</script><script>b</script>c", "<c", " "},
        {"Hello<br>World", "<br>", "HelloWorld"},
        {"Hello <br>World", "<br>", "Hello World"},
        // Raw double spaces are skipped; the buffer loses space pairs.
        {"a   b|a    b|a\t\tb|a\t\t\tb", "", "a b|ab|ab|a b"},
        {"a\r\nb\tc<p\r\n  x>", "<p\r\nx>", "ab c"},
    };
    for (const Case& c : cases) {
        std::string tagText = "old", plainText = "old";
        StripPageText(c.page, tagText, plainText);
        EXPECT_EQ(tagText, c.tagText) << c.page;
        EXPECT_EQ(plainText, c.plainText) << c.page;
    }
}

TEST(PageText, StripStopsWhenAsked) {
    std::string tagText, plainText;
    StripPageText("<b>text</b>", tagText, plainText, [] { return true; });
    EXPECT_EQ(tagText, "");
    EXPECT_EQ(plainText, "");
}

TEST(PageText, TitleIsTheTrimmedTextAfterTheOpeningTag) {
    EXPECT_EQ(PageTitle("<head><title> \tHome\r\n</title>"), "Home");
    EXPECT_EQ(PageTitle("<TITLE lang=en>Home</TITLE>"), "lang=en>Home");  // the tag's tail stays
    EXPECT_EQ(PageTitle("<title></title>"), "");
    EXPECT_EQ(PageTitle("</title><title>Late"), "");
    EXPECT_EQ(PageTitle("<title>Home"), std::nullopt);
    EXPECT_EQ(PageTitle("Home</title>"), std::nullopt);
}

TEST(PageText, WindowIsCentredOnTheHitOrPlacedByTheStartingPoint) {
    struct Case {
        size_t n;
        std::optional<size_t> centre;
        int maxLength, startingPoint, offset;
        size_t start, end;
    };
    const Case cases[] = {
        {2000, 1000, 300, 0, 0, 850, 1150},
        {1000, 500, 301, 0, 0, 350, 651},  // half of Max length rounded down
        {250, 180, 300, 2, 0, 30, 250},    // short text, centre past half of Max length
        {200, 100, 300, 0, 0, 0, 200},
        {1000, 950, 300, 1, 0, 800, 1000},        // centre near the end
        {120, std::nullopt, 300, 0, 50, 0, 120},  // short text: all of it
        {120, std::nullopt, 300, 1, 50, 0, 120},
        {120, std::nullopt, 300, 2, 50, 0, 120},
        {1000, std::nullopt, 300, 0, -40, 40, 340},   // Beginning: |offset|
        {1001, std::nullopt, 300, 1, -50, 450, 750},  // Middle: offset + n / 2
        {1000, std::nullopt, 300, 1, 600, 700, 1000},
        {1000, std::nullopt, 300, 2, 0, 700, 1000},    // End: the last Max length
        {1000, std::nullopt, 300, 7, -400, 600, 900},  // any other value is End
        {1000, std::nullopt, 300, 0, INT_MIN, 700, 1000},
        {0, std::nullopt, 300, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const CAbstractWindow window =
            AbstractWindow(c.n, c.centre, c.maxLength, c.startingPoint, c.offset);
        EXPECT_EQ(window.start, c.start) << c.n << " " << c.centre.value_or(-1) << " " << c.offset;
        EXPECT_EQ(window.end, c.end) << c.n << " " << c.centre.value_or(-1) << " " << c.offset;
    }
}

TEST(PageText, WindowEdgesNeverCutAUtf8Character) {
    const std::string accent = "abc\303\251def";     // é at 3..4
    const std::string emoji = "x\xF0\x9F\x98\x80y";  // an emoji at 1..4
    const std::string broken(10, '\x80');            // invalid: at most three moves
    struct Case {
        const std::string& text;
        size_t start, end, expectedStart, expectedEnd;
    };
    const Case cases[] = {
        {accent, 4, 7, 5, 7}, {accent, 1, 4, 1, 3}, {accent, 3, 5, 3, 5},   {emoji, 2, 6, 5, 6},
        {emoji, 0, 3, 0, 1},  {emoji, 2, 3, 3, 3},  {broken, 0, 10, 3, 10},
    };
    for (const Case& c : cases) {
        const CAbstractWindow window = KeepUtf8Whole(c.text, {c.start, c.end});
        EXPECT_EQ(window.start, c.expectedStart) << c.start << ".." << c.end;
        EXPECT_EQ(window.end, c.expectedEnd) << c.start << ".." << c.end;
    }
}

TEST(PageText, HighlightMarksEveryKeywordInListOrder) {
    struct Case {
        std::string abstract;
        std::vector<std::string> keywords;
        bool matchCase;
        std::string expected;
    };
    const Case cases[] = {
        {"RIVER and river", {"river"}, false, Red("RIVER") + " and " + Red("river")},
        {"RIVER and river", {"river"}, true, "RIVER and " + Red("river")},
        {"aaa", {"aa"}, true, Red("aa") + "a"},
        {"aaa", {"AA"}, false, Red("aa") + "a"},
        {"river",
         {"river", "font"},
         false,
         "<" + Red("font") + " color=\"#FF0000\">river</" + Red("font") + ">"},
        {"river", {}, false, "river"},
        {"river", {""}, false, "river"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HighlightKeywords(c.abstract, c.keywords, c.matchCase), c.expected) << c.abstract;
    }
}

// Hostile pages of a few megabytes: a quadratic step would take minutes.
TEST(PageText, HostilePagesTakeLinearTime) {
    constexpr size_t kSize = 5 << 20;
    auto repeat = [](const std::string& unit) {
        std::string page;
        while (page.size() < kSize) {
            page += unit;
        }
        return page;
    };
    const std::string pages[] = {
        "<" + std::string(kSize, 'a'),
        std::string(kSize, 'a'),
        "<script>" + std::string(kSize, 'a'),
        repeat("<script"),
        repeat("<script></script>"),
        repeat("<style"),
        repeat("<body"),
        repeat("<title</title"),
        std::string(kSize, '\0'),
        std::string(kSize, '\x80'),
        repeat("&nbsp;"),
        repeat(" "),
    };
    const char* const names[] = {"<a", "<img", "src"};
    for (const std::string& page : pages) {
        const auto began = std::chrono::steady_clock::now();
        std::string tagText, plainText;
        StripPageText(page, tagText, plainText);
        PageTitle(page);
        FindNoCase(page, "</script>", 0);
        FindAnyNoCase(page, names, 3, 0);
        KeepUtf8Whole(page, {0, page.size()});
        HighlightKeywords(page.substr(0, 1 << 16), {"a", "script", "font"}, false);
        HighlightKeywords(page, {"a", "<"}, true);
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5))
            << page.substr(0, 20);
    }
}
