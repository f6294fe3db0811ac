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
#include <iostream>
#include <string>
#include <vector>

#include "BenchFolder.h"
#include "BenchOptions.h"
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

struct CDesktopBenchOptions : CBenchOptions {
    bool m_bKeysThroughX = true;
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

bool ParseOptions(const QApplication& application, CDesktopBenchOptions& options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times the desktop program against quobrix-cli on the same crawls."));
    const QCommandLineOption noXKeys(QStringLiteral("no-x-keys"),
                                     QStringLiteral("Post key presses in-process only."));
    parser.addOption(noXKeys);
    if (!ParseBenchOptions(application, parser, options)) {
        return false;
    }
    options.m_bKeysThroughX = !parser.isSet(noXKeys);
    return true;
}

CRoundResult RunRound(const CBenchCase& benchCase, int nRound, const std::string& strHostPort,
                      const std::string& strFolder, const CDesktopBenchOptions& options) {
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

int RunBench(const CDesktopBenchOptions& options, const std::string& folder) {
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

    CDesktopBenchOptions options;
    if (!ParseOptions(application, options)) {
        return kExitSetUp;
    }
    return RunInBenchFolder(options.m_bKeep, kExitSetUp, [&options](const std::string& folder) {
        return RunBench(options, folder);
    });
}
