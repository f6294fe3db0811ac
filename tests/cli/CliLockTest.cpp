// One program per task: a run holds its task, and every other program that
// would write it is refused at once, naming the run; readers go on.
#include <gtest/gtest.h>
#include <signal.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>

#include "cli/CliRunner.h"
#include "support/FixtureServer.h"
#include "support/TempDir.h"

namespace {
class CliLock : public ::testing::Test {
protected:
    CliLock() {
        FixtureServer::Response silent;
        silent.silent = true;  // keeps the run going until it is paused
        m_server.Route("/", silent);
        const CliResult made = Run({"new", m_file, "--site", m_server.HostPort() + "/"});
        EXPECT_EQ(made.status, 0) << made.err;
    }
    CliResult Run(const std::vector<std::string>& args,
                  const std::function<void(pid_t)>& during = {},
                  const std::function<void(pid_t, const std::string&)>& onOutput = {}) {
        return RunCli(args, m_config.Path(), during, std::chrono::seconds(60), onOutput);
    }
    std::string Refusal(pid_t holder) const {
        return "quobrix-cli: " + m_file + " is in use by quobrix-cli run (process " +
               std::to_string(holder) + "); a task is used by one program at a time.\n";
    }

    TempDir m_config;
    TempDir m_dir;
    FixtureServer m_server;
    const std::string m_file = m_dir / "t.qbx";
};
}  // namespace

TEST_F(CliLock, WhileARunHoldsATaskWritersAreRefusedAndReadersGoOn) {
    CliResult again;
    CliResult set;
    CliResult replaced;
    CliResult shown;
    CliResult served;
    pid_t holderPid = 0;
    const CliResult holder = Run({"run", m_file, "--quiet"}, [&](pid_t pid) {
        holderPid = pid;
        if (m_server.WaitForRequests(1)) {  // the run has its task
            again = Run({"run", m_file});
            set = Run({"set", m_file, "--threads", "4"});
            replaced = Run({"new", m_file, "--site", "127.0.0.1/", "--force"});
            shown = Run({"show", m_file});
            served = Run({"serve", m_file}, {}, [](pid_t server, const std::string& out) {
                if (out.find('\n') != std::string::npos) {
                    kill(server, SIGINT);
                }
            });
        }
        kill(pid, SIGINT);
    });
    ASSERT_EQ(holder.status, 4) << holder.err;  // paused by the signal
    for (const CliResult* refused : {&again, &set, &replaced}) {
        EXPECT_EQ(refused->status, 2);
        EXPECT_EQ(refused->err, Refusal(holderPid));
    }
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(served.status, 0) << served.err;
    EXPECT_EQ(served.out.rfind("http://127.0.0.1:", 0), 0u) << served.out;

    // The run's last save kept what the file held; the refused set changed nothing.
    const QJsonObject task =
        QJsonDocument::fromJson(QByteArray::fromStdString(Run({"show", m_file}).out)).object();
    EXPECT_EQ(task.value("m_nMaxThreads").toInt(), 10);
    EXPECT_EQ(task.value("m_nState").toInt(), 62468);  // paused by the interrupt
    EXPECT_FALSE(std::filesystem::exists(m_dir / ".t.qbx.lock"));
}

TEST_F(CliLock, AKilledRunLetsTheNextRunHaveTheTask) {
    const CliResult killed = Run({"run", m_file, "--quiet"}, [this](pid_t pid) {
        m_server.WaitForRequests(1);
        kill(pid, SIGKILL);
    });
    ASSERT_EQ(killed.signal, SIGKILL);
    ASSERT_TRUE(std::filesystem::exists(m_dir / ".t.qbx.lock"));  // left by the crash

    m_server.Route("/", FixtureServer::Ok("<html>now fast</html>"));
    const CliResult next = Run({"run", m_file});
    EXPECT_EQ(next.status, 0) << next.err;
    EXPECT_NE(next.out.find("State: Finished"), std::string::npos) << next.out;
}
