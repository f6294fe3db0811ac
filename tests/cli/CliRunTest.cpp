#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <atomic>
#include <filesystem>
#include <set>
#include <thread>

#include "cli/CliRunner.h"
#include "support/FixtureServer.h"
#include "support/ResultPages.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

namespace {
using namespace std::chrono_literals;

class CliRun : public ::testing::Test {
protected:
    CliResult Run(const std::vector<std::string>& args,
                  const std::function<void(pid_t)>& during = {}) {
        return RunCli(args, m_config.Path(), during);
    }
    QJsonObject Show(const std::string& file) {
        const CliResult shown = Run({"show", file});
        EXPECT_EQ(shown.status, 0) << shown.err;
        return QJsonDocument::fromJson(QByteArray::fromStdString(shown.out)).object();
    }
    std::string SlotUrl(const QJsonObject& task, int slot) {
        return task.value("slots").toArray()[slot].toObject().value("m_strUrl").toString().toStdString();
    }

    TempDir m_config;
    TempDir m_dir;
    FixtureServer m_server;
};

// While it lives, this process's standard input (which the programs it
// starts inherit) is a pseudo-terminal; what is typed goes in at its other end.
class TerminalInput {
public:
    TerminalInput() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(m_master, 0);
        EXPECT_EQ(grantpt(m_master), 0);
        EXPECT_EQ(unlockpt(m_master), 0);
        m_terminal = open(ptsname(m_master), O_RDWR | O_NOCTTY);
        EXPECT_GE(m_terminal, 0);
        m_savedInput = dup(STDIN_FILENO);
        dup2(m_terminal, STDIN_FILENO);
    }
    ~TerminalInput() {
        dup2(m_savedInput, STDIN_FILENO);
        close(m_savedInput);
        close(m_terminal);
        close(m_master);
    }
    TerminalInput(const TerminalInput&) = delete;
    TerminalInput& operator=(const TerminalInput&) = delete;

    // Keys as typed: "\n" ends a line, "\x04" (Ctrl+D) at a line's start ends the input.
    void Type(const std::string& keys) {
        EXPECT_EQ(write(m_master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }

private:
    int m_master = -1;
    int m_terminal = -1;
    int m_savedInput = -1;
};
}  // namespace

TEST_F(CliRun, RunsATaskToItsEndAndSavesIt) {
    m_server.Route("/start.html", FixtureServer::Ok("<html>start</html>"));
    const std::string file = m_dir / "t.qbx";
    ASSERT_EQ(Run({"new", file, "--site", m_server.HostPort() + "/start.html"}).status, 0);
    const CliResult ran = Run({"run", file});
    ASSERT_EQ(ran.status, 0) << ran.err;
    EXPECT_NE(ran.out.find("State: Finished"), std::string::npos) << ran.out;
    EXPECT_NE(ran.out.find("1 links requested"), std::string::npos) << ran.out;

    const QJsonObject task = Show(file);
    EXPECT_EQ(task.value("m_nState").toInt(), 62471);
    EXPECT_EQ(task.value("slots").toArray()[0].toObject().value("m_nRequested").toInt(), 1);
    EXPECT_EQ(ReadFileBytes(m_dir / ("t/" + m_server.HostPort() + "/start.html")),
              "<html>start</html>");
    EXPECT_TRUE(
        std::filesystem::exists(m_dir / ("t/" + m_server.HostPort() + "/start.html.Quobrix")));
}

TEST_F(CliRun, AnInterruptPausesSavesAndTheNextRunFetchesTheUrlAgain) {
    FixtureServer::Response stuck;
    stuck.silent = true;
    m_server.Route("/slow.html", stuck);
    const std::string file = m_dir / "t.qbx";
    ASSERT_EQ(Run({"new", file, "--site", m_server.HostPort() + "/slow.html"}).status, 0);

    const CliResult interrupted = Run({"run", file}, [this](pid_t pid) {
        if (m_server.WaitForRequests(1)) {
            kill(pid, SIGINT);
        }
    });
    ASSERT_EQ(interrupted.status, 4) << interrupted.err;  // paused
    QJsonObject task = Show(file);
    EXPECT_EQ(task.value("m_nState").toInt(), 62468);
    EXPECT_EQ(SlotUrl(task, 0), m_server.Url("/slow.html"));

    m_server.Route("/slow.html", FixtureServer::Ok("now fast"));
    ASSERT_EQ(Run({"run", file, "--quiet"}).status, 0);
    EXPECT_EQ(m_server.RequestCount(), 2u);
    task = Show(file);
    EXPECT_EQ(task.value("m_nState").toInt(), 62471);
    EXPECT_EQ(SlotUrl(task, 0), "");
}

TEST_F(CliRun, ATimeLimitPausesTheTask) {
    FixtureServer::Response stuck;
    stuck.silent = true;
    m_server.SetDefault(stuck);
    const std::string file = m_dir / "t.qbx";
    ASSERT_EQ(Run({"new", file, "--site", m_server.HostPort()}).status, 0);
    const auto before = std::chrono::steady_clock::now();
    const CliResult ran = Run({"run", file, "--max-seconds", "1", "--quiet"});
    EXPECT_EQ(ran.status, 4) << ran.err;  // paused
    EXPECT_LT(std::chrono::steady_clock::now() - before, 10s);
    EXPECT_EQ(Show(file).value("m_nState").toInt(), 62468);
}

// A device with no room left, standing in for a full disk under the
// result page: the run pauses, says so once, and exits with status 3.
TEST_F(CliRun, AFullDiskPausesTheRunWithStatusThree) {
    m_server.Route("/", FixtureServer::Ok("<html>page</html>"));
    const std::string file = m_dir / "t.qbx";
    ASSERT_EQ(Run({"new", file, "--site", m_server.HostPort()}).status, 0);
    const std::string page = m_dir / "t/ResultPage0.html";
    std::filesystem::remove(page);
    std::filesystem::create_symlink("/dev/full", page);

    const CliResult ran = Run({"run", file, "--quiet"});
    EXPECT_EQ(ran.status, 3) << ran.out << ran.err;
    EXPECT_EQ(ran.err.find("quobrix-cli: Can't create file: " + page), 0u) << ran.err;
    EXPECT_EQ(ran.err.find("Can't create file", 14), std::string::npos) << ran.err;  // once
    EXPECT_EQ(Show(file).value("m_nState").toInt(), 62468);
}

TEST_F(CliRun, UnreadableTasksAndBadOptionsAreRefused) {
    WriteFileBytes(m_dir / "bad.qbx", "\x05");
    const CliResult bad = Run({"run", m_dir / "bad.qbx"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err, "quobrix-cli: Unexpected file format.\n");
    EXPECT_EQ(Run({"run", m_dir / "bad.qbx", "--max-seconds", "-3"}).status, 2);
    EXPECT_EQ(Run({"run", m_dir / "bad.qbx", "--quiet", "--verbose"}).status, 2);
}

TEST_F(CliRun, TheAbstractSettingsApplyToTheRunThatNamesThem) {
    std::string text;
    for (int i = 0; i < 100; ++i) {
        text += "word" + std::to_string(i % 10) + " ";
    }
    m_server.Route("/", FixtureServer::Ok("<html><body>" + text + "</body></html>"));
    const std::string file = m_dir / "t.qbx";
    ASSERT_EQ(Run({"new", file, "--site", m_server.HostPort(), "--keywords", "absent"}).status, 0);

    const CliResult refused = Run({"run", file, "--abstract-max-length", "50"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err,
              "quobrix-cli: --abstract-max-length: Please enter an integer between 100 and 500.\n");
    EXPECT_EQ(Run({"run", file, "--abstract-start", "somewhere"}).status, 2);
    EXPECT_EQ(Run({"run", file, "--abstract-offset", "x"}).status, 2);

    const CliResult ran = Run({"run", file, "--quiet", "--abstract-max-length", "100",
                               "--abstract-start", "end", "--abstract-offset", "-7"});
    ASSERT_EQ(ran.status, 0) << ran.err;
    // No keyword found, starting point End: the last 100 characters, in
    // the abstract column of the page's result row.
    const QJsonObject slot = Show(file).value("slots").toArray()[0].toObject();
    const std::string plain = slot.value("m_strPlainText").toString().toStdString();
    ASSERT_GT(plain.size(), 100u);
    const std::string rows = ReadFileBytes(m_dir / "t/ResultPage0.html");
    EXPECT_NE(rows.find("face=\"Verdana\">" + plain.substr(plain.size() - 100) + "</font>"),
              std::string::npos)
        << rows;
}

TEST_F(CliRun, APendingCredentialPromptHoldsUpNeitherThePauseNorTheEnd) {
    FixtureServer::Response guarded = FixtureServer::Ok("inside");
    guarded.requiredAuthorization = "YW5uOnB3";
    m_server.SetDefault(guarded);
    const std::string file = m_dir / "t.qbx";
    ASSERT_EQ(Run({"new", file, "--site", m_server.HostPort()}).status, 0);
    ASSERT_EQ(Run({"set", file, "--prompt-auth", "1"}).status, 0);

    // The program's input is a terminal nobody types on.
    CliResult ran;
    std::chrono::steady_clock::duration took{};
    {
        TerminalInput input;
        // A prompt still waiting after a long while gets its answer, so the run ends.
        std::atomic<bool> ended{false};
        std::thread typist([&] {
            if (!WaitFor([&] { return ended.load(); }, 20s)) {
                input.Type("ann\npw\nn\n");
            }
        });
        const auto before = std::chrono::steady_clock::now();
        ran = Run({"run", file, "--max-seconds", "1"});
        took = std::chrono::steady_clock::now() - before;
        ended = true;
        typist.join();
    }

    EXPECT_EQ(ran.status, 4) << ran.err;  // paused
    EXPECT_NE(ran.err.find("Account: "), std::string::npos) << ran.err;
    EXPECT_LT(took, 10s) << "the time limit paused the task while the prompt waited";
    EXPECT_NE(ran.out.find("State: Paused"), std::string::npos) << ran.out;
    EXPECT_EQ(m_server.RequestCount(), 1u) << "no answer, no second request";
}

TEST_F(CliRun, CtrlDAtTheLastQuestionKeepsTheAccountJustTyped) {
    FixtureServer::Response guarded = FixtureServer::Ok("<html>inside</html>");
    guarded.requiredAuthorization = "YW5uOnB3";
    m_server.SetDefault(guarded);
    const std::string file = m_dir / "t.qbx";
    ASSERT_EQ(Run({"new", file, "--site", m_server.HostPort()}).status, 0);
    ASSERT_EQ(Run({"set", file, "--prompt-auth", "1"}).status, 0);

    CliResult ran;
    {
        TerminalInput input;
        input.Type("ann\npw\n\x04");  // Ctrl+D at "Do not prompt next time?"
        ran = Run({"run", file, "--max-seconds", "30"});
    }
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_NE(ran.err.find("Do not prompt next time?"), std::string::npos) << ran.err;
    ASSERT_EQ(m_server.RequestCount(), 2u) << "the page is asked again, with the account";
    EXPECT_EQ(m_server.Requests()[1].Header("Authorization"), "Basic YW5uOnB3");
    const QJsonObject task = Show(file);
    EXPECT_EQ(task.value("m_nState").toInt(), 62471);
    EXPECT_EQ(task.value("m_strSiteAuthorization").toString(), "YW5uOnB3");
    EXPECT_TRUE(task.value("m_bPromptAuth").toBool()) << "\"no\": the next run asks again";
}

TEST_F(CliRun, StatusSummarisesAFinishedTaskAndChangesNothing) {
    m_server.Route("/", FixtureServer::Ok("<html><a href=\"a.html\">a</a> <a href=\"b.txt\">b</a> "
                                          "<img src=\"c.png\"> <a href=\"gone.html\">g</a></html>"));
    m_server.Route("/a.html", FixtureServer::Ok("<html>apple</html>"));
    m_server.Route("/b.txt", FixtureServer::Ok("pear", "text/plain"));
    m_server.Route("/c.png", FixtureServer::Ok("PNG", "image/png"));
    const std::string file = m_dir / "t.qbx";
    ASSERT_EQ(Run({"new", file, "--site", m_server.HostPort() + "/", "--keywords", "apple"}).status,
              0);
    ASSERT_EQ(Run({"run", file, "--quiet"}).status, 0);
    const std::string saved = ReadFileBytes(file);

    const CliResult status = Run({"status", file});
    ASSERT_EQ(status.status, 0) << status.err;
    // Four files stored, the image among them; three pages analysed and
    // listed; one not there.
    const std::string expected = "Task: " + file + "\nSearch: the web site " + m_server.HostPort() +
                                 "/ and the web sites linked to it"
                                 "\nKeywords: apple"
                                 "\nTask state: Finished (the next run starts it afresh)"
                                 "\nSites left: 0"
                                 "\nLinks queued: 0"
                                 "\nLinks requested: 5"
                                 "\nTask folder: " +
                                 m_dir.Path() +
                                 "t/"
                                 "\nPages stored: 4"
                                 "\nResult rows: 3"
                                 "\n1 page not retrieved: 1 HTTP 404\n";
    EXPECT_EQ(status.out, expected);
    EXPECT_EQ(ReadFileBytes(file), saved);
}

// Killed once it had gone on past its auto-save: the next run resumes from
// the saved position and lists no page twice.
TEST_F(CliRun, ARunKilledAfterAnAutoSaveListsNoPageTwiceWhenResumed) {
    constexpr int kPages = 150;
    std::string links;
    for (int n = 1; n <= kPages; ++n) {
        links += "<a href=\"p" + std::to_string(n) + ".html\">p</a> ";
    }
    m_server.Route("/", FixtureServer::Ok("<html>" + links + "</html>"));
    // Half a second a page: the crawl still goes on after a minute, when the
    // first auto-save comes.
    FixtureServer::Response slow = FixtureServer::Ok("<html>apple</html>");
    slow.delayBeforeAnswer = 500ms;
    m_server.RoutePrefix("/p", slow);
    const std::string file = m_dir / "t.qbx";
    ASSERT_EQ(Run({"new", file, "--site", m_server.HostPort() + "/", "--threads", "1",
                   "--results-per-page", "10", "--auto-save", "1"})
                  .status,
              0);
    const std::string created = ReadFileBytes(file);

    int saved = -1;
    const CliResult killed = RunCli(
        {"run", file, "--quiet"}, m_config.Path(),
        [&](pid_t pid) {
            if (WaitFor([&] { return ReadFileBytes(file) != created; }, 90s)) {
                const QJsonObject task = Show(file);
                saved = task.value("m_nResultPage").toInt() * 10 +
                        task.value("m_nResultsInPage").toInt();
                WaitFor([&] { return ListedUrls(m_dir / "t/").size() >= size_t(saved + 3); }, 20s);
            }
            kill(pid, SIGKILL);
        },
        120s);
    EXPECT_EQ(killed.signal, SIGKILL);
    ASSERT_GT(saved, 0) << "no auto-save";
    ASSERT_GE(ListedUrls(m_dir / "t/").size(), size_t(saved + 3)) << "no rows after it";

    m_server.RoutePrefix("/p", FixtureServer::Ok("<html>apple</html>"));
    const CliResult resumed = Run({"run", file, "--quiet"});
    ASSERT_EQ(resumed.status, 0) << resumed.err;
    const std::vector<std::string> urls = ListedUrls(m_dir / "t/");
    EXPECT_EQ(urls.size(), size_t{kPages + 1});
    EXPECT_EQ(std::set<std::string>(urls.begin(), urls.end()).size(), urls.size())
        << "a page listed twice";
    const QJsonObject task = Show(file);
    EXPECT_EQ(task.value("m_nState").toInt(), 62471);
    EXPECT_EQ(task.value("m_nResultPage").toInt() * 10 + task.value("m_nResultsInPage").toInt(),
              kPages + 1);
}
