#include "BenchTask.h"

#include <filesystem>
#include <optional>

#include "app/QuobrixApp.h"
#include "task/NewTaskRecord.h"
#include "task/QuobrixDoc.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* kTaskFile = "bench.qbx";
constexpr const char* kKeywords = "apple+pear";
constexpr int kThreads = 10;

bool CopyTask(const fs::path& from, const fs::path& to, std::string& strError) {
    std::error_code error;
    fs::copy(from, to, fs::copy_options::recursive, error);
    if (error) {
        strError = "cannot copy " + from.string() + " to " + to.string() + ": " + error.message();
        return false;
    }
    return true;
}
}  // namespace

bool CreateBenchTasks(const CBenchCase& benchCase, const std::string& strHostPort,
                      const std::string& strFolder, CBenchTasks& tasks, std::string& strError) {
    const fs::path folder(strFolder);
    const fs::path created = folder / "new";
    std::error_code error;
    fs::create_directories(created, error);
    if (error) {
        strError = "cannot create " + created.string() + ": " + error.message();
        return false;
    }
    {
        const std::optional<std::string> address =
            NormalizeInternetAddress(strHostPort + "/" + benchCase.m_strStartPath);
        if (!address) {
            strError = "no start address";
            return false;
        }
        CNewTaskRecord record;
        record.m_bSiteMode = true;
        record.m_strStartAddress = *address;
        record.m_strEndAddress = *address;
        record.m_strKeywords = kKeywords;

        CQuobrixApp options;
        options.LoadOptions();
        CQuobrixDoc doc;
        doc.BuildNewTask(record, (created / kTaskFile).string(), options.m_crRetrievedLinks);
        doc.m_nMaxThreads = kThreads;
        doc.m_nTextMaxK = benchCase.m_nTextMaxK;
        if (!doc.SaveNewTask(strError)) {
            return false;
        }
    }
    if (!CopyTask(created, folder / "cli", strError) ||
        !CopyTask(created, folder / "desktop", strError)) {
        return false;
    }
    // Nothing may fall back on the first folder.
    fs::remove_all(created, error);
    tasks.m_strCliTask = (folder / "cli" / kTaskFile).string();
    tasks.m_strDesktopTask = (folder / "desktop" / kTaskFile).string();
    return true;
}
