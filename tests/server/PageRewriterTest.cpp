#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <initializer_list>
#include <set>
#include <string>
#include <string_view>
#include <thread>

#include "server/PageRewriter.h"
#include "support/Sanitizers.h"
#include "support/TempDir.h"

using namespace std::literals;

namespace {
// Stored copies, and the folder of a site on another port ("old:8080" has
// none: its copies are in "old", as an earlier task kept them).
const std::set<std::string> kStored = {"/t/host/docs/b.html",           "/t/host/docs/s.gif",
                                       "/t/host/docs/back\\slash.html", "/t/host:8080",
                                       "/t/host:8080/docs/b.html",      "/t/old/docs/b.html"};

CRewriteSettings Settings(bool recolor = true, uint32_t color = 0x0000FF00) {
    CRewriteSettings settings;
    settings.m_strTaskDir = "/t/";
    settings.m_bRecolorLinks = recolor;
    settings.m_crLinkColor = color;
    settings.m_fnExists = [](const std::string& path) { return kStored.count(path) != 0; };
    return settings;
}

// "{c}" and "{/c}" in an expected text stand for the colour tags.
std::string Colored(std::string text, std::string_view hex = "00FF00") {
    for (size_t at; (at = text.find("{c}")) != std::string::npos;) {
        text.replace(at, 3, "<font color=\"#" + std::string(hex) + "\">");
    }
    for (size_t at; (at = text.find("{/c}")) != std::string::npos;) {
        text.replace(at, 4, "</font>");
    }
    return text;
}

std::string Rewrite(std::string_view page, const CRewriteSettings& settings = Settings(),
                    const std::string& requestPath = "/host/docs/a.html") {
    size_t consumed = 0;
    std::string text = CPageRewriter(settings, requestPath).RewriteChunk(page, consumed);
    EXPECT_EQ(consumed, page.size()) << page;
    return text;
}

struct Case {
    std::string_view page, expected;
};

void ExpectRewrites(std::initializer_list<Case> cases,
                    const CRewriteSettings& settings = Settings(),
                    std::string_view hex = "00FF00") {
    for (const Case& c : cases) {
        EXPECT_EQ(Rewrite(c.page, settings), Colored(std::string(c.expected), hex)) << c.page;
    }
}

// Sends page as a stored file through SendRewrittenPage and returns what the client got.
std::string Serve(const std::string& page, const std::string& requestPath = "/host/docs/a.html",
                  const CRewriteSettings& settings = Settings()) {
    TempDir dir;
    WriteFileBytes(dir / "page.html", page);
    const int file = open((dir / "page.html").c_str(), O_RDONLY);
    std::string received;
    SendRewrittenPage(
        [&](std::string_view bytes) {
            received += bytes;
            return true;
        },
        file, requestPath, settings);
    close(file);
    return received;
}
}  // namespace

TEST(PageRewriter, RewritesLinksAsTheStoreDecides) {
    ExpectRewrites({
        {R"(<a href="b.html">B</a>)", R"(<a href="/host/docs/b.html">{c}B{/c}</a>)"},
        {R"(<A HREF='/docs/b.html'>B</A>)", R"(<A HREF='/host/docs/b.html'>{c}B{/c}</A>)"},
        {R"(<a href="b.html#part">B</a>)", R"(<a href="/host/docs/b.html#part">{c}B{/c}</a>)"},
        {R"(<area href="b.html">B</a>)", R"(<area href="/host/docs/b.html">{c}B{/c}</a>)"},
        {R"(<a href="c.html">C</a>)", R"(<a href="http://host/docs/c.html">C</a>)"},
        {R"(<a href="b.html">B</a> | <a href=c.html>C</a>)",
         R"(<a href="/host/docs/b.html">{c}B{/c}</a> | <a href="http://host/docs/c.html">C</a>)"},
        {R"(<a href="b.html">B)", R"(<a href="/host/docs/b.html">B)"},  // no "</a": no colour
        // Not anchors: rewritten, never coloured.
        {R"(<img src="s.gif">x</a>)", R"(<img src="/host/docs/s.gif">x</a>)"},
        {"<img\tsrc=c.gif>", "<img\tsrc=\"http://host/docs/c.gif\">"},
        {"<img\rsrc='c.gif'>", "<img\rsrc='http://host/docs/c.gif'>"},
        {"<img\nSRC=c.gif>", "<img\nSRC=\"http://host/docs/c.gif\">"},
        {R"(<imgsrc="c.gif">)", R"(<imgsrc="c.gif">)"},  // "src" counts after white space only
        // The scan goes on after the rewritten tag.
        {R"(<img src="c.gif" background="bg.gif">)",
         R"(<img src="http://host/docs/c.gif" background="bg.gif">)"},
        {"href=c.html>", R"(href="http://host/docs/c.html">)"},  // no "<": the tag starts at 0
    });
}

TEST(PageRewriter, SitesOnOtherPortsKeepTheirPorts) {
    const struct {
        std::string_view requestPath, page, expected;
    } cases[] = {
        {"/host:8080/docs/a.html", R"(<a href="b.html">B</a>)",
         R"(<a href="/host:8080/docs/b.html">{c}B{/c}</a>)"},
        {"/host:8080/docs/a.html", R"(<a href="c.html">C</a>)",
         R"(<a href="http://host:8080/docs/c.html">C</a>)"},
        {"/host:8080/docs/a.html", R"(<a href="http://host:80/docs/b.html">B</a>)",
         R"(<a href="/host/docs/b.html">{c}B{/c}</a>)"},
        {"/host/docs/a.html", R"(<a href="http://host:8080/docs/b.html">B</a>)",
         R"(<a href="/host:8080/docs/b.html">{c}B{/c}</a>)"},
        // An earlier task's copy, found in the host's folder, linked with its port.
        {"/old:8080/docs/a.html", R"(<a href="b.html">B</a>)",
         R"(<a href="/old:8080/docs/b.html">{c}B{/c}</a>)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Rewrite(c.page, Settings(), std::string(c.requestPath)),
                  Colored(std::string(c.expected)))
            << c.requestPath << " " << c.page;
    }
}

TEST(PageRewriter, ValueForms) {
    ExpectRewrites({
        {R"(<a href = "c.html" >C</a>)", R"(<a href = "http://host/docs/c.html" >C</a>)"},
        {R"(<a href=c.html>C</a>)", R"(<a href="http://host/docs/c.html">C</a>)"},
        {R"(<a href=c.html target=x>C</a>)", R"(<a href=http://host/docs/c.html target=x>C</a>)"},
        {"<a href=c.html\ntarget=x>C</a>", "<a href=http://host/docs/c.html\ntarget=x>C</a>"},
        {R"(<a href=>C</a>)", R"(<a href=>C</a>)"},
        {R"(<a href= >C</a>)", R"(<a href= >C</a>)"},
        {R"(<a href="c.html>C</a>)", R"(<a href="c.html>C</a>)"},  // quote not closed
        {R"(<a href>x</a> <a href="c.html">C</a>)",
         R"(<a href>x</a> <a href="http://host/docs/c.html">C</a>)"},  // "=" after ">": next
        {R"(<a href>x</a>)", R"(<a href>x</a>)"},                      // no "=" at all
        {R"(<a href="c.html")", R"(<a href="c.html")"},                // no ">"
        // "background" starts a scan but is only rewritten through the tag's href.
        {R"(<body background="bg.gif">)", R"(<body background="bg.gif">)"},
        {R"(<td background="bg.gif" href="c.html">)",
         R"(<td background="bg.gif" href="http://host/docs/bg.gif">)"},
    });
    const std::string tooLong = "<a href=\"" + std::string(300, 'x') + "\">x</a>";
    // The other quote stays in a quoted link; what could end the attribute goes
    // out as "%XX", UTF-8 as it is.
    ExpectRewrites({
        {R"(<a href="it's.html">I</a>)", R"(<a href="http://host/docs/it%27s.html">I</a>)"},
        {R"(<a href='say"hi.html'>S</a>)", R"(<a href='http://host/docs/say%22hi.html'>S</a>)"},
        {R"(<a href=it's.html>I</a>)", R"(<a href="http://host/docs/it%27s.html">I</a>)"},
        {R"(<a href="it's.html' x">I</a>)", R"(<a href="http://host/docs/it%27s.html%27%20x">I</a>)"},
        {"<a href='caf\xC3\xA9.html'>C</a>", "<a href='http://host/docs/caf\xC3\xA9.html'>C</a>"},
        {R"(<a href="back\slash.html">B</a>)", R"(<a href="/host/docs/back%5Cslash.html">{c}B{/c}</a>)"},
        {R"(<a href="other\slash.html">O</a>)", R"(<a href="http://host/docs/other\slash.html">O</a>)"},
    });
    EXPECT_EQ(Rewrite(R"(<a href=c.html target=x>)", Settings(), "/host/my dir/a.html"),
              R"(<a href=http://host/my%20dir/c.html target=x>)");
    EXPECT_EQ(Rewrite(tooLong), tooLong);
    EXPECT_EQ(Rewrite(R"(<a href="r.asp">)", Settings(), "/host/cgi/q.asp?x=1"),
              R"(<a href="http://host/cgi/r.asp">)");
}

TEST(PageRewriter, TargetsScriptsAndOtherSchemes) {
    ExpectRewrites({
        {R"(<a target="_BLANK" href="c.html">C</a>)",
         R"(<a target="_self" href="http://host/docs/c.html">C</a>)"},
        {R"(<a href="https://h/" target="_blank">x</a>)",
         R"(<a href="https://h/" target="_blank">x</a>)"},
        {R"(<a href="mailto:m@h" target="_blank">x</a>)",
         R"(<a href="mailto:m@h" target="_blank">x</a>)"},
        {R"(<a href="#top" target="_blank">x</a>)", R"(<a href="#top" target="_blank">x</a>)"},
        {R"~(<a href="javascript:window.close()" target="_blank">Close</a>)~",
         "<a>{c}Close{/c}</a>"},
        {R"~(<a href="javastript:window.close()">x</a>)~",
         R"~(<a href="javastript:window.close()">x</a>)~"},
        {R"~(<a href="javascript:history.back()">x</a>)~",
         R"~(<a href="javascript:history.back()">x</a>)~"},
        {R"(<script>w('<a href="c.html">')</script><a href="b.html">B</a><script></script>)",
         R"(<script>w('<a href="c.html">')</script><a href="/host/docs/b.html">{c}B{/c}</a><script></script>)"},
        {R"(<img src="c.gif"><script>x</script>)",
         R"(<img src="http://host/docs/c.gif"><script>x</script>)"},
    });
}

TEST(PageRewriter, ColoursAnchorTextAndNestedFontRuns) {
    ExpectRewrites({
        {R"(<a href="b.html"><font color="red">X</font> and <b>Y</b> <i>Z</i></a>)",
         R"(<a href="/host/docs/b.html">{c}<font color="red">{c}X{/c}</font>{c} and {/c}<b>{c}Y{/c}</b> <i>{c}Z{/c}</i>{/c}</a>)"},
        {R"(<a href="b.html"><font face="x">X</font></a>)",
         R"(<a href="/host/docs/b.html">{c}<font face="x">X</font>{/c}</a>)"},
        // A ">" at the very start of the text is not remembered.
        {R"(<a href="b.html">>X<font color=red>Y</a>)",
         R"(<a href="/host/docs/b.html">{c}>X<font color=red>Y{/c}</a>)"},
    });
    ExpectRewrites({{R"(<a href="b.html">B</a>)", R"(<a href="/host/docs/b.html">{c}B{/c}</a>)"}},
                   Settings(true, 0x00336699), "996633");
    ExpectRewrites(
        {
            {R"(<a href="b.html"><font color=red>B</font></a>)",
             R"(<a href="/host/docs/b.html"><font color=red>B</font></a>)"},
            {R"~(<a href="javascript:window.close()">Close</a>)~", "<a>Close</a>"},
        },
        Settings(false));
}

TEST(PageRewriter, CutsChunksBeforeAnOpenAnchorOrALastLessThan) {
    const struct {
        std::string_view chunk;
        size_t consumed;
    } cases[] = {
        {"x<a>text", 1}, {"<A>text", 7}, {"<a>1</a><A>2", 8}, {"x</A><a", 5}, {"abc<", 3},
        {"<", 1},        {"ab</a><", 6}, {"<a<", 2},          {"a</a>b", 6},  {"", 0},
    };
    for (const auto& c : cases) {
        size_t consumed = 99;
        EXPECT_EQ(CPageRewriter(Settings(), "/host/a").RewriteChunk(c.chunk, consumed),
                  c.chunk.substr(0, c.consumed));
        EXPECT_EQ(consumed, c.consumed) << c.chunk;
    }
}

TEST(PageRewriter, ZeroBytesPassThrough) {
    EXPECT_EQ(Rewrite("x\0y<a href=\"b.html\">B\0</a>\0"sv),
              Colored("x\0y<a href=\"/host/docs/b.html\">{c}B\0{/c}</a>\0"s));
    std::string page(10000, '\0');
    for (size_t i = 0; i < page.size(); i += 7) {
        page[i] = 'z';
    }
    EXPECT_EQ(Serve(page), page);
}

TEST(PageRewriter, RequestPathNeedsASecondSlash) {
    EXPECT_FALSE(CPageRewriter(Settings(), "/host").IsValid());
    EXPECT_FALSE(CPageRewriter(Settings(), "/").IsValid());
    EXPECT_FALSE(CPageRewriter(Settings(), "").IsValid());
    EXPECT_TRUE(CPageRewriter(Settings(), "/host/").IsValid());
    EXPECT_EQ(Serve("<p>text</p>", "/host"), "");
}

TEST(PageRewriter, AnchorsAcrossChunkBoundariesAreRewrittenWhole) {
    const std::string anchor = R"(<a href="b.html">Bee</a>)";
    const std::string done = Colored(R"(<a href="/host/docs/b.html">{c}Bee{/c}</a>)");
    // The opening tag starts in the first chunk, its "</a" lies in the second.
    EXPECT_EQ(Serve(std::string(4090, 'f') + anchor), std::string(4090, 'f') + done);
    // The first chunk ends in "<".
    EXPECT_EQ(Serve(std::string(4095, 'f') + anchor), std::string(4095, 'f') + done);
}

TEST(PageRewriter, LocalLinksFollowTheFilesOfTheTaskDirectory) {
    TempDir task;
    std::filesystem::create_directories(task / "host/docs");
    WriteFileBytes(task / "host/docs/b.html", "stored");
    CRewriteSettings settings = Settings();
    settings.m_strTaskDir = task.Path();
    settings.m_fnExists = [](const std::string& path) { return access(path.c_str(), F_OK) == 0; };
    EXPECT_EQ(
        Serve(R"(<a href="b.html#x">B</a><a href="c.html">C</a>)", "/host/docs/a.html", settings),
        Colored(
            R"(<a href="/host/docs/b.html#x">{c}B{/c}</a><a href="http://host/docs/c.html">C</a>)"));
}

TEST(PageRewriter, StopsAtAFailedSendLeavingTheSocketToTheCaller) {
    TempDir dir;
    WriteFileBytes(dir / "page.html", std::string(100000, 'x'));
    const int file = open((dir / "page.html").c_str(), O_RDONLY);
    int sends = 0;
    SendRewrittenPage(
        [&](std::string_view) {
            ++sends;
            return false;
        },
        file, "/host/a.html", Settings());
    EXPECT_EQ(sends, 1);
    close(file);
}

TEST(PageRewriter, LargeAndHostilePagesStayFast) {
    const auto start = std::chrono::steady_clock::now();
    std::string page;
    std::string expected;
    const int anchors = kUnderSanitizer ? 50000 : 1000000;
    for (int i = 0; i < anchors; ++i) {
        page += "<a href=x>";
        expected += R"(<a href="http://host/docs/x">)";
    }
    EXPECT_TRUE(Serve(page) == expected);
    // Nested anchors around a coloured font grow with the square of their number;
    // a chunk's growth is bounded and the rest of it goes out unchanged.
    std::string nested;
    for (int i = 0; i < 250; ++i) {  // one chunk
        nested += "<a href=b.html>y";
    }
    nested += "<font color=red>z</a>";
    const std::string text = Rewrite(nested);
    EXPECT_LT(text.size(), 256u * 1024u);
    EXPECT_TRUE(text.starts_with(Colored(R"(<a href="/host/docs/b.html">{c})")));
    EXPECT_NE(text.find("<a href=b.html>"), std::string::npos);
    std::string hostile;
    for (int i = 0; i < (kUnderSanitizer ? 20 : 250); ++i) {
        hostile += nested;
    }
    EXPECT_LT(Serve(hostile).size(), 300u * 256u * 1024u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
}

TEST(PageRewriter, AnHttpsTasksLinksLeadToItsCopiesAndItsPagesKeepTheirScheme) {
    CRewriteSettings settings = Settings();
    settings.m_bHttpsLinks = true;
    settings.m_bHttpsPage = true;
    ExpectRewrites({{R"(<a href="https://host/docs/b.html">b</a>)", "<a href=\"/host/docs/b.html\">{c}b{/c}</a>"},
                    {R"(<a href="gone.html">g</a>)", R"(<a href="https://host/docs/gone.html">g</a>)"}},
                   settings);
    // A task of plain sites leaves https:// links as they are.
    ExpectRewrites({{R"(<a href="https://host/docs/b.html">b</a>)", R"(<a href="https://host/docs/b.html">b</a>)"}});
}
