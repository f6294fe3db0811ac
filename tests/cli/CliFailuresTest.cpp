// What a run tells about the pages it could not retrieve, how its exit
// status tells finished from paused, and a run whose output is closed.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <set>

#include "cli/CliRunner.h"
#include "support/FixtureServer.h"
#include "support/ResultPages.h"
#include "support/TempDir.h"

namespace {
using namespace std::chrono_literals;

class CliFailures : public ::testing::Test {
protected:
    CliResult Run(const std::vector<std::string>& args) { return RunCli(args, m_config.Path()); }
    QJsonObject Show(const std::string& file) {
        const CliResult shown = Run({"show", file});
        EXPECT_EQ(shown.status, 0) << shown.err;
        return QJsonDocument::fromJson(QByteArray::fromStdString(shown.out)).object();
    }

    TempDir m_config;
    TempDir m_dir;
    FixtureServer m_server;
};
}  // namespace

TEST_F(CliFailures, VerboseNamesEachFailedUrlAndEveryRunEndsWithASummary) {
    m_server.Route("/", FixtureServer::Ok("<a href=\"/a.html\">a</a> <a href=\"/b.html\">b</a>"));
    m_server.Route("/a.html", FixtureServer::Status(404, "Not Found"));
    m_server.Route("/b.html", FixtureServer::Status(500, "Internal Server Error"));
    const std::string file = m_dir / "t.qbx";
    ASSERT_EQ(Run({"new", file, "--site", m_server.HostPort() + "/"}).status, 0);

    const CliResult verbose = Run({"run", file, "--verbose"});
    EXPECT_EQ(verbose.status, 0) << verbose.err;
    EXPECT_NE(verbose.out.find("] Not retrieved: " + m_server.Url("/a.html") + " (HTTP 404)\n"),
              std::string::npos)
        << verbose.out;
    EXPECT_NE(verbose.out.find("] Not retrieved: " + m_server.Url("/b.html") + " (HTTP 500)\n"),
              std::string::npos);
    const std::string summary = "2 pages not retrieved: 1 HTTP 404, 1 HTTP 500\nTask Finished: ";
    EXPECT_NE(verbose.out.find(summary), std::string::npos) << verbose.out;

    const CliResult normal = Run({"run", file});
    EXPECT_EQ(normal.status, 0) << normal.err;
    EXPECT_EQ(normal.out.find("Not retrieved:"), std::string::npos) << normal.out;
    EXPECT_NE(normal.out.find(summary), std::string::npos) << "a fresh start counts anew";
}

TEST_F(CliFailures, TheExitStatusTellsHowTheRunEnded) {
    FixtureServer other("127.0.0.2");
    other.Route("/", FixtureServer::Ok("other site"));
    m_server.Route("/", FixtureServer::Ok("<a href=\"" + other.Url("/") + "\">other</a>"));
    m_server.Route("/alone.html", FixtureServer::Ok("alone"));
    FixtureServer::Response silent;
    silent.silent = true;
    m_server.Route("/silent.html", silent);
    const std::string refused = "127.0.0.1:" + std::to_string(ClosedPort());
    struct Case {
        const char* name;
        std::string site;
        std::vector<std::string> setOptions;
        std::vector<std::string> runOptions;
        int status;
        std::string says;  // on standard output, or on standard error with --quiet
    };
    const Case cases[] = {
        {"finished",
         m_server.HostPort() + "/alone.html",
         {},
         {},
         0,
         "No page failed\nTask Finished"},
        {"finished without a page",
         refused,
         {},
         {},
         5,
         "No page was retrieved: 1 connection refused"},
        {"the same, quiet",
         refused,
         {},
         {"--quiet"},
         5,
         "quobrix-cli: No page was retrieved: 1 connection refused\n"},
        {"paused by the time limit",
         m_server.HostPort() + "/silent.html",
         {},
         {"--max-seconds", "1"},
         4,
         "Task Paused"},
        {"paused after its site",
         m_server.HostPort() + "/",
         {"--pause-after-site", "1"},
         {},
         4,
         "Task Paused"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const std::string file = m_dir / "t.qbx";
        ASSERT_EQ(Run({"new", file, "--site", test.site, "--force"}).status, 0);
        if (!test.setOptions.empty()) {
            std::vector<std::string> set = {"set", file};
            set.insert(set.end(), test.setOptions.begin(), test.setOptions.end());
            ASSERT_EQ(Run(set).status, 0);
        }
        std::vector<std::string> run = {"run", file};
        run.insert(run.end(), test.runOptions.begin(), test.runOptions.end());
        const CliResult ran = Run(run);
        EXPECT_EQ(ran.status, test.status) << ran.out << ran.err;
        const bool quiet = !test.runOptions.empty() && test.runOptions[0] == "--quiet";
        EXPECT_NE((quiet ? ran.err : ran.out).find(test.says), std::string::npos)
            << ran.out << ran.err;
    }
}

// Piped into a reader that goes away (`run t.qbx | head`): the run pauses
// and saves, and the next run fetches only what the first did not finish.
TEST_F(CliFailures, AClosedOutputPausesAndSavesTheRun) {
    m_server.Route("/", FixtureServer::Ok("<a href=\"/a.html\">a</a> <a href=\"/b.html\">b</a> "
                                          "<a href=\"/c.html\">c</a>"));
    m_server.Route("/a.html", FixtureServer::Ok("<html>a</html>"));
    FixtureServer::Response trickle = FixtureServer::Ok(std::string(64 * 200, 'b'));
    trickle.chunkSize = 64;
    trickle.chunkDelay = 50ms;
    m_server.Route("/b.html", trickle);
    FixtureServer::Response silent;
    silent.silent = true;
    m_server.Route("/c.html", silent);
    const std::string file = m_dir / "t.qbx";
    ASSERT_EQ(Run({"new", file, "--site", m_server.HostPort() + "/"}).status, 0);

    const CliResult closed =
        RunCli({"run", file, "--verbose"}, m_config.Path(), {}, 60s, {}, "2 links requested");
    EXPECT_EQ(closed.signal, 0) << "ended by signal " << closed.signal;
    EXPECT_EQ(closed.status, 4) << closed.out << closed.err;
    EXPECT_NE(closed.err.find("the output was closed; the task is Paused and saved"),
              std::string::npos)
        << closed.err;
    const QJsonObject task = Show(file);
    EXPECT_EQ(task.value("m_nState").toInt(), 62468);
    std::set<std::string> unfinished;
    for (const QJsonValue& slot : task.value("slots").toArray()) {
        const std::string url = slot.toObject().value("m_strUrl").toString().toStdString();
        if (!url.empty()) {
            unfinished.insert(url);
        }
    }
    const QJsonArray urls = task.value("m_arrUrls").toArray();
    for (int at = task.value("m_nNextUrl").toInt(); at < urls.size(); ++at) {
        unfinished.insert(urls[at].toString().toStdString());
    }
    EXPECT_TRUE(unfinished.count(m_server.Url("/c.html")))
        << "the silent page was still being fetched";

    const size_t before = m_server.RequestCount();
    m_server.Route("/b.html", FixtureServer::Ok("<html>b</html>"));
    m_server.Route("/c.html", FixtureServer::Ok("<html>c</html>"));
    const CliResult resumed = Run({"run", file, "--quiet"});
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    const std::vector<FixtureServer::Request> requests = m_server.Requests();
    std::set<std::string> again;
    for (size_t at = before; at < requests.size(); ++at) {
        again.insert(m_server.Url(requests[at].target));
    }
    EXPECT_EQ(again, unfinished) << "fetched again only what the first run left";
    const std::vector<std::string> listed = ListedUrls(m_dir / "t/");
    EXPECT_EQ(listed.size(), 4u);
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()).size(), listed.size());
}
