#include "StoredFiles.h"

#include <algorithm>
#include <filesystem>

#include "task/QuobrixDoc.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* kHeaderSuffix = ".Quobrix";
}  // namespace

std::vector<CStoredFile> StoredFiles(const std::string& strTaskFile) {
    const fs::path taskDir = CQuobrixDoc::TaskDirFor(strTaskFile);
    std::vector<CStoredFile> files;
    std::error_code error;
    for (const fs::directory_entry& host : fs::directory_iterator(taskDir, error)) {
        if (!host.is_directory()) {
            continue;  // the result pages and the task's own files
        }
        for (auto entry = fs::recursive_directory_iterator(host.path(), error);
             !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
            const std::string name = entry->path().filename().string();
            const bool bHeader = name.size() > std::char_traits<char>::length(kHeaderSuffix) &&
                                 name.ends_with(kHeaderSuffix);
            if (entry->is_regular_file() && !bHeader) {
                files.push_back({fs::relative(entry->path(), taskDir).string(),
                                 entry->file_size(error)});
            }
        }
    }
    std::sort(files.begin(), files.end(), [](const CStoredFile& a, const CStoredFile& b) {
        return a.m_strPath < b.m_strPath;
    });
    return files;
}
