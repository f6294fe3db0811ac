#include "support/ResultPages.h"

#include <filesystem>

#include "support/TempDir.h"

std::vector<std::vector<std::string>> ListedUrlsByPage(const std::string& taskDir) {
    // Two links a row: the remote one, then the local one (no scheme).
    const std::string marker = "<div align=\"center\"><a href=\"";
    std::vector<std::vector<std::string>> pages;
    for (int page = 0;; ++page) {
        const std::string path = taskDir + "ResultPage" + std::to_string(page) + ".html";
        if (!std::filesystem::exists(path)) {
            return pages;
        }
        const std::string rows = ReadFileBytes(path);
        std::vector<std::string> urls;
        for (size_t at = rows.find(marker); at != std::string::npos; at = rows.find(marker, at)) {
            at += marker.size();
            if (rows.compare(at, 7, "http://") == 0 || rows.compare(at, 8, "https://") == 0) {
                urls.push_back(rows.substr(at, rows.find('"', at) - at));
            }
        }
        pages.push_back(urls);
    }
}

std::vector<std::string> ListedUrls(const std::string& taskDir) {
    std::vector<std::string> all;
    for (const std::vector<std::string>& page : ListedUrlsByPage(taskDir)) {
        all.insert(all.end(), page.begin(), page.end());
    }
    return all;
}
