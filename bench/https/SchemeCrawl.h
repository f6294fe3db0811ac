#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "CliRun.h"
#include "StoredFiles.h"

// One crawl of the bench's site by quobrix-cli over one scheme (and, for
// HTTPS, the TLS versions the server offers).
struct CSchemeCrawl {
    std::string m_strScheme;  // "http", "https (TLS 1.3)"
    int m_nRound = 0;
    CCliRun m_run;
    // What it stored, below its host folder ("p0042.html"), so that the
    // crawls over each scheme (whose host folders name other ports) compare.
    std::vector<CStoredFile> m_files;

    [[nodiscard]] double PagesPerSecond() const;
};

// Makes a task in strFolder with "quobrix-cli new" (site mode from strSite,
// keywords "apple+pear", 10 threads, the other properties as they come) and
// crawls it with "quobrix-cli run"; the programs' output goes to new.log and
// run.log there. A task that could not be made shows as a run that did not
// finish.
CSchemeCrawl CrawlSite(const std::string& strCli, const std::string& strScheme,
                       const std::string& strSite, const std::string& strFolder,
                       std::chrono::seconds timeout);
