// The result pages and the rewritten stored pages as a real browser renders
// them: headless Chromium loads them from the local server while a crawl of
// a fixture site runs, and the tests look at the DOM it builds.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "common/StringTable.h"
#include "support/FixtureServer.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"
#include "task/QuobrixDoc.h"

extern char** environ;

namespace {
using namespace std::chrono_literals;

const char* Chromium() {
    for (const char* path : {"/usr/bin/chromium", "/usr/bin/chromium-browser"}) {
        if (access(path, X_OK) == 0) {
            return path;
        }
    }
    return nullptr;
}

// The DOM Chromium builds for url, once the page has loaded (at most 60 s).
// console, when given, receives what it logged, the page's console included
// (a blocked script or image says "... violates the following Content
// Security Policy directive ...").
std::string RenderedDom(const std::string& url, const std::string& profile,
                        std::string* console = nullptr) {
    int out[2];
    if (pipe(out) != 0) {
        return "";
    }
    const std::string log = profile + ".log";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> args = {Chromium(), "--headless", "--no-sandbox", "--disable-gpu",
                                     "--disable-quic", "--no-first-run",
                                     "--disable-background-networking",
                                     "--disable-component-update", "--disable-sync",
                                     "--enable-logging=stderr", "--v=0",
                                     "--user-data-dir=" + profile, "--dump-dom", url};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string dom;
    if (spawned == 0) {
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        char buffer[65536];
        for (;;) {
            pollfd entry{out[0], POLLIN, 0};
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
                break;
            }
            if (poll(&entry, 1, 200) <= 0) {
                continue;
            }
            const ssize_t got = read(out[0], buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            dom.append(buffer, static_cast<size_t>(got));
        }
        int status = 0;
        waitpid(pid, &status, 0);
    }
    close(out[0]);
    if (console != nullptr) {
        *console = ReadFileBytes(log);
    }
    return dom;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}
}  // namespace

TEST(Browser, ResultPagesAndStoredPagesRenderFromTheLocalServer) {
    if (Chromium() == nullptr) {
        GTEST_SKIP() << "chromium is not installed (scripts/install-deps.sh installs it)";
    }
    TempDir dir;
    FixtureServer site;
    // Pages answer slowly, so the browser meets the result page while live.
    auto page = [&](const std::string& path, const std::string& body) {
        FixtureServer::Response response =
            FixtureServer::Ok("<html><head><title>" + path + "</title></head><body>" + body +
                              "</body></html>");
        response.delayBeforeAnswer = 300ms;
        site.Route(path, response);
    };
    page("/",
         "Cider news. <a href=\"a.html\" target=\"_blank\">a</a> <a href=\"b.html\">b</a> "
         "<a href=\"missing.html\">gone</a> <a href=\"https://example.invalid/x\">web</a> "
         "<a href=hostile.html>h</a> <a href=q\"/data-injected=1/x>q</a> <a href=spy.html>s</a>");
    page("/a.html", "Apple cider.");
    // A title in UTF-8, which the result page must show as such.
    FixtureServer::Response pear = FixtureServer::Ok(
        "<html><head><title>Gr\xC3\xBC\xC3\x9F"
        "e aus Z\xC3\xBCrich</title></head><body>Pear.</body></html>",
        "text/html; charset=utf-8");
    pear.delayBeforeAnswer = 300ms;
    site.Route("/b.html", pear);
    // Page content that would be markup in the result page if let through.
    site.Route(
        "/hostile.html",
        FixtureServer::Ok("<title><img src=x onerror=document.body.setAttribute('data-pwned',1)>"
                          "</title><body>Hostile cider.</body>"));
    page("/q\"/data-injected=1/x", "Quoted.");
    site.Route("/missing.html", FixtureServer::Status(404, "Not Found"));
    // A page whose script tries to read what else the server holds.
    page("/spy.html",
         "Spy cider.<script>"
         "function grab(u) { try { var x = new XMLHttpRequest(); x.open('GET', u, false); x.send();"
         " return 'read ' + x.status + ' ' + x.responseText.length; } catch (e) { return "
         "'blocked'; } }"
         "var b = document.body; b.setAttribute('data-ran', 'yes');"
         "b.setAttribute('data-other', grab('/other.example/secret.html'));"
         "b.setAttribute('data-header', grab('/other.example/secret.html.Quobrix'));"
         "b.setAttribute('data-results', grab('/ResultPage0.html'));"
         "b.setAttribute('data-same', grab('/" +
             site.HostPort() +
             "/a.html'));"
             "</script>");

    CQuobrixDoc doc;
    doc.m_strTaskDir = dir.Path();
    doc.m_strStartAddress = site.HostPort() + "/";
    doc.m_strResultPagePath = dir.Path() + "ResultPage0.html";
    doc.m_crLinkColor = 0x0000FF00;  // green
    doc.SetKeywords("cider", false);
    ASSERT_TRUE(doc.StartLocalServer());
    const std::string root = doc.LocalServerRoot();
    doc.OnTaskRun();
    ASSERT_TRUE(WaitFor([&] {
        std::error_code error;
        return std::filesystem::file_size(dir.Path() + "ResultPage0.html", error) > 0 && !error;
    }));

    // The live result page: loaded while the crawl runs, complete once it ends.
    std::string live;
    std::string liveConsole;
    std::thread browser([&] { live = RenderedDom(root, dir.Path() + "profile1", &liveConsole); });
    ASSERT_TRUE(WaitFor([&] { return !doc.IsRunning() && !doc.HasActiveWorkers(); }, 30s));
    doc.JoinWorkers();
    browser.join();
    EXPECT_NE(live.find("<title>Seek Result - Page0</title>"), std::string::npos) << live;
    EXPECT_EQ(Count(live, "src=\"remote.jpg\""), 6u) << "one row per page: /, a, b, hostile, q, spy";
    // The site's folder is "127.0.0.1:PORT": its rows link from the server's root.
    const std::string localLink = "href=\"/" + site.HostPort() + "/a.html\"";
    EXPECT_NE(live.find(localLink), std::string::npos) << live;
    EXPECT_NE(live.find("<font color=\"#FF0000\">Cider</font>"), std::string::npos);
    EXPECT_NE(live.find(">Gr\xC3\xBC\xC3\x9F"
                        "e aus Z\xC3\xBCrich</font>"),
              std::string::npos)
        << live;
    // A hostile title shows as text, a quote in a link stays in the link, and
    // no script runs; the page's own images and frame are not blocked.
    EXPECT_NE(live.find("&lt;img src=x onerror=document.body.setAttribute('data-pwned',1)&gt;"),
              std::string::npos)
        << live;
    EXPECT_EQ(live.find("data-pwned=\""), std::string::npos) << live;
    EXPECT_NE(live.find("/q%22/data-injected=1/x\""), std::string::npos) << live;
    EXPECT_EQ(live.find("data-injected=\""), std::string::npos) << live;
    EXPECT_EQ(liveConsole.find("Content Security Policy"), std::string::npos) << liveConsole;

    // A stored page: retrieved links lead back to the local server, coloured;
    // others to the web; new windows open in place.
    const std::string stored =
        RenderedDom(root + site.HostPort() + "/index.html", dir.Path() + "profile2");
    EXPECT_NE(stored.find("href=\"/" + site.HostPort() + "/a.html\" target=\"_self\""),
              std::string::npos)
        << stored;
    EXPECT_NE(stored.find("<font color=\"#00FF00\">a</font>"), std::string::npos) << stored;
    EXPECT_NE(stored.find("href=\"" + site.Url("/missing.html") + "\""), std::string::npos)
        << stored;
    EXPECT_NE(stored.find("href=\"https://example.invalid/x\""), std::string::npos) << stored;

    // A stored page's script runs, but in an origin of its own: it reads
    // neither another site's stored page, nor a header file, nor the results,
    // nor its own site's pages.
    std::filesystem::create_directories(dir.Path() + "other.example");
    WriteFileBytes(dir.Path() + "other.example/secret.html", "<p>secret</p>");
    WriteFileBytes(dir.Path() + "other.example/secret.html.Quobrix",
                   "HTTP/1.0 200 OK\r\nSet-Cookie: session=secret\r\n\r\n");
    const std::string spy =
        RenderedDom(root + site.HostPort() + "/spy.html", dir.Path() + "profile4");
    EXPECT_NE(spy.find("data-ran=\"yes\""), std::string::npos) << spy;
    for (const char* attribute : {"data-other", "data-header", "data-results", "data-same"}) {
        EXPECT_NE(spy.find(std::string(attribute) + "=\"blocked\""), std::string::npos)
            << attribute << " in " << spy;
    }

    // A page that was never retrieved: the 404 page.
    std::string missingConsole;
    const std::string missing = RenderedDom(root + site.HostPort() + "/missing.html",
                                            dir.Path() + "profile3", &missingConsole);
    EXPECT_NE(missing.find("<title>HTTP 404 Not Found</title>"), std::string::npos) << missing;
    EXPECT_NE(missing.find("The page cannot be found"), std::string::npos);
    EXPECT_EQ(missingConsole.find("Content Security Policy"), std::string::npos) << missingConsole;
    doc.StopLocalServer();
}
