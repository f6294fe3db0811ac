#include "SchemeCrawl.h"

#include <cctype>
#include <filesystem>

#include "common/FileUtil.h"

namespace {
constexpr const char* kKeywords = "apple+pear";
constexpr const char* kThreads = "10";
constexpr auto kNewTimeout = std::chrono::seconds(60);

// "127.0.0.1:40123/p0042.html" becomes "p0042.html".
std::vector<CStoredFile> BelowHostFolder(std::vector<CStoredFile> files) {
    for (CStoredFile& file : files) {
        const size_t slash = file.m_strPath.find('/');
        file.m_strPath.erase(0, slash == std::string::npos ? 0 : slash + 1);
    }
    return files;
}
}  // namespace

double CSchemeCrawl::PagesPerSecond() const {
    const double seconds = m_run.m_wallTime.count();
    return seconds > 0 ? static_cast<double>(m_files.size()) / seconds : 0;
}

CSchemeCrawl CrawlSite(const std::string& strCli, const std::string& strScheme,
                       const std::string& strSite, const std::string& strFolder,
                       std::chrono::seconds timeout) {
    CSchemeCrawl crawl;
    crawl.m_strScheme = strScheme;
    std::error_code error;
    std::filesystem::create_directories(strFolder, error);
    if (error) {
        crawl.m_run.m_strError = "cannot create " + strFolder + ": " + error.message();
        return crawl;
    }
    const std::string task = strFolder + "/bench.qbx";
    const std::string newLog = strFolder + "/new.log";
    const CChildRun created = RunChild(
        {strCli, "new", task, "--site", strSite, "--keywords", kKeywords, "--threads", kThreads},
        newLog, kNewTimeout);
    if (!created.Succeeded()) {
        std::string output;
        ReadWholeFile(newLog, output);
        while (!output.empty() && std::isspace(static_cast<unsigned char>(output.back())) != 0) {
            output.pop_back();
        }
        crawl.m_run.m_strError = "quobrix-cli new " + created.Failure(kNewTimeout) + ": " + output;
        return crawl;
    }
    crawl.m_run = RunCli(strCli, task, strFolder + "/run.log", timeout);
    crawl.m_files = BelowHostFolder(StoredFiles(task));
    return crawl;
}
