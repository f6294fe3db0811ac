// quobrix_https_bench: quobrix-cli crawling the bench's 2,000-page site over
// HTTPS against over HTTP, all served by one nginx on loopback, 10 threads;
// over HTTPS twice, from a server of TLS 1.3 and from one of TLS 1.2 alone.
// Each round crawls a new task each way (taking turns which goes first) and
// checks that each stored the whole site. Exits 1 when a crawl did not
// finish or stored other files than over HTTP, 2 when the bench could not be
// set up. run-bench.sh beside this file installs nginx and builds it.
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

// Where a crawl of the round starts: the server's port for each scheme.
struct CCrawlStart {
    std::string m_strScheme;
    std::string m_strSite;
};

// HTTP first. quobrix-cli offers TLS 1.2 and 1.3, so the first TLS port
// gives TLS 1.3; the second is a server of TLS 1.2 alone.
std::vector<CCrawlStart> CrawlStarts(const CNginxServer& nginx) {
    return {{"http", nginx.HostPort() + "/"},
            {"https (TLS 1.3)", "https://" + nginx.TlsHostPort(TlsOffer::Tls12And13) + "/"},
            {"https (TLS 1.2)", "https://" + nginx.TlsHostPort(TlsOffer::Tls12Only) + "/"}};
}

CBenchRound RunRound(int nRound, const std::vector<CCrawlStart>& starts,
                     const std::string& strFolder, const CBenchOptions& options) {
    CBenchRound round;
    round.m_nRound = nRound;
    round.m_crawls.resize(starts.size());
    std::cout << "Round " << nRound << ": " << std::flush;
    // Turn about: a later crawl of a round finds the file system busier with
    // the earlier ones' files.
    for (size_t step = 0; step < starts.size(); ++step) {
        const size_t nCrawl = (step + static_cast<size_t>(nRound) - 1) % starts.size();
        CSchemeCrawl& crawl = round.m_crawls[nCrawl];
        crawl = CrawlSite(QUOBRIX_CLI_PATH, starts[nCrawl].m_strScheme, starts[nCrawl].m_strSite,
                          strFolder + "/crawl" + std::to_string(nCrawl + 1),
                          std::chrono::seconds(options.m_nTimeoutSeconds));
        crawl.m_nRound = nRound;
        std::printf("%s %.2f s, %zu files; ", crawl.m_strScheme.c_str(),
                    crawl.m_run.m_wallTime.count(), crawl.m_files.size());
        std::fflush(stdout);
    }
    std::cout << (round.Passed(CBenchSite::PageCrawlFiles()) ? "ok" : "FAILED") << std::endl;
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
    const std::vector<CCrawlStart> starts = CrawlStarts(nginx);
    std::cout << "Served by " << options.m_strNginx << " (an RSA 2048 certificate for 127.0.0.1, "
              << "verified against the bench's authority):";
    for (const CCrawlStart& start : starts) {
        std::cout << "\n  " << start.m_strScheme << ": --site " << start.m_strSite;
    }
    std::cout << std::endl;

    std::vector<CBenchRound> rounds;
    for (int nRound = 1; nRound <= options.m_nRounds; ++nRound) {
        rounds.push_back(
            RunRound(nRound, starts, folder + "/round" + std::to_string(nRound), options));
    }
    nginx.Stop();

    const size_t expected = CBenchSite::PageCrawlFiles();
    std::cout << "\n";
    PrintCrawlTable(std::cout, rounds, expected);
    std::cout << "\n"
              << Comparison(rounds, expected) << "Load after: " << LoadAverage() << "\n"
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
