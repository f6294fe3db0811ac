// quobrix_https_bench: quobrix-cli crawling the bench's 2,000-page site over
// HTTPS against over HTTP, both served by one nginx on loopback, 10 threads.
// Each round crawls a new task over each scheme (taking turns which goes
// first) and checks that both stored the whole site. Exits 1 when a crawl
// did not finish or the two stored different files, 2 when the bench could
// not be set up. run-bench.sh beside this file installs nginx and builds it.
#include <stdlib.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "BenchCertificates.h"
#include "BenchFolder.h"
#include "BenchOptions.h"
#include "BenchSite.h"
#include "CrawlTable.h"
#include "NginxServer.h"
#include "SchemeCrawl.h"
#include "common/FileUtil.h"

namespace {
constexpr int kExitFailed = 1;
constexpr int kExitSetUp = 2;
constexpr auto kOptionsTimeout = std::chrono::seconds(60);

bool ParseOptions(const QCoreApplication& application, CBenchOptions& options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times quobrix-cli crawling the same site over HTTPS and over HTTP."));
    return ParseBenchOptions(application, parser, options);
}

// The crawler trusts the bench's authority alone, and checks certificates
// whatever the user's settings say (the bench has a settings folder of its own).
bool TrustBenchAuthority(const CBenchCertificates& certificates, const std::string& strFolder,
                         std::string& strError) {
    setenv("SSL_CERT_FILE", certificates.m_strCaFile.c_str(), 1);
    setenv("SSL_CERT_DIR", strFolder.c_str(), 1);  // no other trusted certificates
    const std::string log = strFolder + "/options.log";
    const CChildRun run =
        RunChild({QUOBRIX_CLI_PATH, "options", "--check-certificates", "1"}, log, kOptionsTimeout);
    if (!run.Succeeded()) {
        std::string output;
        ReadWholeFile(log, output);
        strError = "quobrix-cli options " + run.Failure(kOptionsTimeout) + ": " + output;
        return false;
    }
    return true;
}

void PrintCrawl(const CSchemeCrawl& crawl) {
    std::printf("%s %.2f s, %zu files; ", crawl.m_strScheme.c_str(), crawl.m_run.m_wallTime.count(),
                crawl.m_files.size());
    std::fflush(stdout);
}

CBenchRound RunRound(int nRound, const CNginxServer& nginx, const std::string& strFolder,
                     const CBenchOptions& options) {
    CBenchRound round;
    round.m_nRound = nRound;
    std::cout << "Round " << nRound << ": " << std::flush;
    const std::chrono::seconds timeout(options.m_nTimeoutSeconds);
    const auto crawlHttp = [&] {
        round.m_http = CrawlSite(QUOBRIX_CLI_PATH, "http", nginx.HostPort() + "/",
                                 strFolder + "/http", timeout);
        PrintCrawl(round.m_http);
    };
    const auto crawlHttps = [&] {
        round.m_https = CrawlSite(QUOBRIX_CLI_PATH, "https", "https://" + nginx.TlsHostPort() + "/",
                                  strFolder + "/https", timeout);
        PrintCrawl(round.m_https);
    };
    // Turn about: the second crawl of a round finds the file system busier
    // with the first one's files.
    if (nRound % 2 == 1) {
        crawlHttp();
        crawlHttps();
    } else {
        crawlHttps();
        crawlHttp();
    }
    round.m_http.m_nRound = round.m_https.m_nRound = nRound;
    const size_t expected = CBenchSite::PageCrawlFiles();
    std::cout << (round.Passed(expected) ? "ok" : "FAILED") << std::endl;
    if (!options.m_bKeep) {
        std::error_code ignored;
        std::filesystem::remove_all(strFolder, ignored);
    }
    return round;
}

int RunBench(const CBenchOptions& options, const std::string& folder) {
    UseOwnHome(folder + "/home");
    std::cout << "Load before: " << LoadAverage() << " (1, 5, 15 min; "
              << sysconf(_SC_NPROCESSORS_ONLN) << " cores)\n";
    std::cout << "Folder: " << folder << (options.m_bKeep ? " (kept)" : " (removed at the end)")
              << std::endl;

    CBenchSite site;
    CBenchCertificates certificates;
    const std::string tlsFolder = folder + "/tls";
    std::error_code ignored;  // a folder that cannot be made shows when it is written
    std::filesystem::create_directories(tlsFolder, ignored);
    std::string error;
    if (!site.Write(folder + "/site", error) ||
        !WriteBenchCertificates(tlsFolder, certificates, error) ||
        !TrustBenchAuthority(certificates, tlsFolder, error)) {
        std::cerr << error << "\n";
        return kExitSetUp;
    }
    std::cout << "Site: " << site.Summary() << "\n";
    CNginxServer nginx(options.m_strNginx, folder + "/site", folder + "/nginx");
    nginx.ServeTls(certificates.m_strChainFile, certificates.m_strKeyFile);
    if (!nginx.Start(error)) {
        std::cerr << error << "\n";
        return kExitSetUp;
    }
    std::cout << "Served by " << options.m_strNginx << " on http://" << nginx.HostPort()
              << "/ and https://" << nginx.TlsHostPort()
              << "/ (RSA 2048 certificate for 127.0.0.1, verified against the bench's authority)"
              << std::endl;

    std::vector<CBenchRound> rounds;
    for (int nRound = 1; nRound <= options.m_nRounds; ++nRound) {
        rounds.push_back(
            RunRound(nRound, nginx, folder + "/round" + std::to_string(nRound), options));
    }
    nginx.Stop();

    const size_t expected = CBenchSite::PageCrawlFiles();
    std::cout << "\n";
    PrintCrawlTable(std::cout, rounds, expected);
    std::cout << "\n"
              << Comparison(rounds, expected) << "\n"
              << "Load after: " << LoadAverage() << "\n"
              << "Wall seconds: the whole \"quobrix-cli run\" with 10 threads; CPU: its user and "
                 "system time; pages: the files it stored (pages and images)."
              << std::endl;
    const bool bPassed = std::all_of(rounds.begin(), rounds.end(), [&](const CBenchRound& round) {
        return round.Passed(expected);
    });
    return bPassed ? 0 : kExitFailed;
}
}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    CBenchOptions options;
    if (!ParseOptions(application, options)) {
        return kExitSetUp;
    }
    return RunInBenchFolder(options.m_bKeep, kExitSetUp, [&options](const std::string& folder) {
        return RunBench(options, folder);
    });
}
