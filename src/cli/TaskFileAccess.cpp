#include "cli/TaskFileAccess.h"

#include <filesystem>

#include "cli/Command.h"
#include "task/QuobrixDoc.h"

std::unique_ptr<ITask> CreateTaskRecord() {
    return std::make_unique<CQuobrixDoc>();
}

void OpenTaskOrFail(ITask& doc, const std::string& path) {
    std::string error;
    if (!doc.OnOpenDocument(path, error)) {
        throw CCliError(error, EXIT_BAD_INPUT);
    }
}

std::unique_ptr<ITask> OpenTaskRecordOrFail(const std::string& path) {
    std::unique_ptr<ITask> pTask = CreateTaskRecord();
    OpenTaskOrFail(*pTask, path);
    return pTask;
}

void SaveTaskOrFail(ITask& doc, const std::string& path) {
    std::string error;
    if (!doc.OnSaveDocument(path, error)) {
        throw CCliError(error, EXIT_FAILED);
    }
}

std::string AbsolutePath(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    // Not normalised: "a/link/../x" is where the system finds it, beside
    // the link's target, not "a/x".
    return ec ? path : absolute.string();
}

CTaskLock LockTaskOrFail(const std::string& path, const std::string& strUse) {
    CTaskLock lock;
    if (!lock.Acquire(path, strUse)) {
        throw CCliError(lock.RefusalMessage(path), EXIT_BAD_INPUT);
    }
    return lock;
}
