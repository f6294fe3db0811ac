// quobrix_desktop_bench: the desktop program against quobrix-cli on the same
// crawls of a site served by nginx on loopback. Each case runs as many rounds
// as asked; each round crawls a fresh copy of the same new task with each
// program, then compares what both stored. Exits 1 when a crawl did not
// finish or the stored files differ, 2 when the bench could not be set up.
// run-bench.sh beside this file runs it under Xvfb.
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "BenchSite.h"
#include "BenchTask.h"
#include "CliRun.h"
#include "DesktopRun.h"
#include "NginxServer.h"
#include "ResultTable.h"
#include "ui/ApplicationSetup.h"

namespace {
constexpr int kExitFailed = 1;
constexpr int kExitSetUp = 2;

struct CBenchOptions {
    int m_nRounds = 2;
    int m_nTimeoutSeconds = 300;
    bool m_bKeep = false;
    bool m_bKeysThroughX = true;
    std::string m_strNginx;
};

// The desktop program is measured on an X server, as a person runs it;
// the browser engine as root needs its sandbox off.
bool PrepareEnvironment() {
    const char* platform = getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && std::string(platform) != "xcb") {
        std::cerr << "QT_QPA_PLATFORM is \"" << platform
                  << "\": the bench measures the desktop program on an X server (xcb)\n";
        return false;
    }
    if (getenv("DISPLAY") == nullptr) {
        std::cerr << "no DISPLAY: run the bench through bench/desktop/run-bench.sh (Xvfb)\n";
        return false;
    }
    setenv("QT_QPA_PLATFORM", "xcb", 0);
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    setenv("QTWEBENGINE_CHROMIUM_FLAGS",
           "--disable-gpu --disable-background-networking --disable-component-update "
           "--disable-sync",
           0);
    return true;
}

bool ParseOptions(const QApplication& application, CBenchOptions& options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times the desktop program against quobrix-cli on the same crawls."));
    parser.addHelpOption();
    const QCommandLineOption rounds(QStringLiteral("rounds"),
                                    QStringLiteral("Rounds of each case (default 2)."),
                                    QStringLiteral("N"), QStringLiteral("2"));
    const QCommandLineOption timeout(
        QStringLiteral("timeout"),
        QStringLiteral("Seconds after which a crawl gives up (default 300)."),
        QStringLiteral("SECONDS"), QStringLiteral("300"));
    const QCommandLineOption keep(QStringLiteral("keep"),
                                  QStringLiteral("Keep the temporary folder (site, tasks, logs)."));
    const QCommandLineOption noXKeys(QStringLiteral("no-x-keys"),
                                     QStringLiteral("Post key presses in-process only."));
    const QCommandLineOption nginx(QStringLiteral("nginx"),
                                   QStringLiteral("The nginx program (default: found on PATH)."),
                                   QStringLiteral("PATH"));
    parser.addOptions({rounds, timeout, keep, noXKeys, nginx});
    parser.process(application);

    bool bRoundsOk = false;
    bool bTimeoutOk = false;
    options.m_nRounds = parser.value(rounds).toInt(&bRoundsOk);
    options.m_nTimeoutSeconds = parser.value(timeout).toInt(&bTimeoutOk);
    options.m_bKeep = parser.isSet(keep);
    options.m_bKeysThroughX = !parser.isSet(noXKeys);
    options.m_strNginx =
        parser.isSet(nginx) ? parser.value(nginx).toStdString() : CNginxServer::Find();
    if (!bRoundsOk || options.m_nRounds < 1 || !bTimeoutOk || options.m_nTimeoutSeconds < 1) {
        std::cerr << "--rounds and --timeout take whole numbers of 1 or more\n";
        return false;
    }
    if (options.m_strNginx.empty()) {
        std::cerr << "no nginx: scripts/install-deps.sh --bench installs it\n";
        return false;
    }
    return true;
}

// The programs' settings, the browser engine's profile and caches go to the
// bench's folder, never the user's.
void UseOwnHome(const std::string& folder) {
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        const std::string path = folder + "/" + name;
        std::error_code ignored;  // a folder that cannot be made shows when it is written
        std::filesystem::create_directories(path, ignored);
        setenv(name, path.c_str(), 1);
    }
}

std::string LoadAverage() {
    std::ifstream file("/proc/loadavg");
    std::string one;
    std::string five;
    std::string fifteen;
    file >> one >> five >> fifteen;
    return one + ", " + five + ", " + fifteen;
}

CRoundResult RunRound(const CBenchCase& benchCase, int nRound, const std::string& strHostPort,
                      const std::string& strFolder, const CBenchOptions& options) {
    CRoundResult round;
    round.m_strCase = benchCase.m_strName;
    round.m_nRound = nRound;
    round.m_nExpectedFiles = benchCase.m_nExpectedFiles;
    std::cout << benchCase.m_strName << ", round " << nRound << ": " << std::flush;

    CBenchTasks tasks;
    std::string error;
    if (!CreateBenchTasks(benchCase, strHostPort, strFolder, tasks, error)) {
        round.m_cli.m_strError = round.m_desktop.m_strError = "no task: " + error;
        std::cout << round.m_cli.m_strError << std::endl;
        return round;
    }
    const std::chrono::seconds timeout(options.m_nTimeoutSeconds);
    const auto runCli = [&] {
        round.m_cli = RunCli(QUOBRIX_CLI_PATH, tasks.m_strCliTask, strFolder + "/cli.log", timeout);
        round.m_cliFiles = StoredFiles(tasks.m_strCliTask);
        std::printf("quobrix-cli %.2f s, %zu files; ", round.m_cli.m_wallTime.count(),
                    round.m_cliFiles.size());
        std::fflush(stdout);
    };
    const auto runDesktop = [&] {
        round.m_desktop = RunDesktop(strFolder + "/desktop-settings/Quobrix.ini",
                                     tasks.m_strDesktopTask, timeout, options.m_bKeysThroughX);
        round.m_desktopFiles = StoredFiles(tasks.m_strDesktopTask);
        std::printf("desktop %.2f s, %zu files; ", round.m_desktop.m_crawlTime.count(),
                    round.m_desktopFiles.size());
        std::fflush(stdout);
    };
    // Turn about: the second crawl of a round finds the file system busier
    // with the first one's files (an ext4 folder pays for recently made and
    // removed inodes), which must not count against one program.
    if (nRound % 2 == 1) {
        runCli();
        runDesktop();
    } else {
        runDesktop();
        runCli();
    }
    std::printf("%s\n", round.Verdict().c_str());
    std::fflush(stdout);
    if (!options.m_bKeep) {
        std::error_code ignored;
        std::filesystem::remove_all(strFolder, ignored);
    }
    return round;
}

int RunBench(const CBenchOptions& options, const std::string& folder) {
    UseOwnHome(folder + "/home");
    std::cout << "Load before: " << LoadAverage() << " (1, 5, 15 min; " << sysconf(_SC_NPROCESSORS_ONLN)
              << " cores)\n";
    std::cout << "Folder: " << folder << (options.m_bKeep ? " (kept)" : " (removed at the end)")
              << std::endl;

    CBenchSite site;
    std::string error;
    if (!site.Write(folder + "/site", error)) {
        std::cerr << "the site: " << error << "\n";
        return kExitSetUp;
    }
    std::cout << "Site: " << site.Summary() << "\n";
    CNginxServer nginx(options.m_strNginx, folder + "/site", folder + "/nginx");
    if (!nginx.Start(error)) {
        std::cerr << error << "\n";
        return kExitSetUp;
    }
    std::cout << "Served by " << options.m_strNginx << " on http://" << nginx.HostPort() << "/"
              << std::endl;

    const std::vector<CBenchCase> cases = {
        {"2,000-page site", "", 1024, CBenchSite::PageCrawlFiles()},
        {"5 MB page", CBenchSite::kBigPage, 0, CBenchSite::BigCrawlFiles()},
    };
    std::vector<CRoundResult> rounds;
    for (size_t nCase = 0; nCase < cases.size(); ++nCase) {
        for (int nRound = 1; nRound <= options.m_nRounds; ++nRound) {
            const std::string roundFolder =
                folder + "/case" + std::to_string(nCase + 1) + "-round" + std::to_string(nRound);
            rounds.push_back(
                RunRound(cases[nCase], nRound, nginx.HostPort(), roundFolder, options));
        }
    }
    nginx.Stop();

    std::cout << "\n";
    PrintResultTable(std::cout, rounds);
    std::cout << "\nLoad after: " << LoadAverage() << "\n"
              << "Desktop seconds: from Run (F6) to \"Finished\"; cli seconds: the whole "
                 "\"quobrix-cli run\". Key waits: a press every 50 ms while the desktop "
                 "crawls, from sending to delivery on the GUI thread."
              << std::endl;
    const bool bPassed = std::all_of(rounds.begin(), rounds.end(),
                                     [](const CRoundResult& round) { return round.Passed(); });
    return bPassed ? 0 : kExitFailed;
}
}  // namespace

int main(int argc, char* argv[]) {
    if (!PrepareEnvironment()) {
        return kExitSetUp;
    }
    // As the desktop program's own main sets itself up.
    PrepareApplication();
    QApplication application(argc, argv);
    DescribeApplication();

    CBenchOptions options;
    if (!ParseOptions(application, options)) {
        return kExitSetUp;
    }
    const char* tmp = getenv("TMPDIR");
    std::string folder = std::string(tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp") +
                         "/quobrix-bench-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) {
        std::perror("mkdtemp");
        return kExitSetUp;
    }
    const int status = RunBench(options, folder);
    if (!options.m_bKeep) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    return status;
}
