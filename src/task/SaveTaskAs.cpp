// Save As: the task under a new name becomes a task of its own, with a copy
// of its folder, so that running the copy never touches the original's files.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "common/FileUtil.h"
#include "common/StringTable.h"
#include "task/QuobrixDoc.h"

namespace fs = std::filesystem;

namespace {
std::string SaveAsError(const std::string& path, const std::string& why) {
    return "Cannot save " + path + ": " + why;
}

// The path as the system finds it: links and "..", where they exist,
// resolved; a folder without its final "/".
fs::path Resolved(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return ec ? fs::path(path).lexically_normal() : resolved;
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec) || Resolved(a) == Resolved(b);
}

// "/t/shop/sub" is within "/t/shop" (and "/t/shop" within itself), "/t/shopping" is not.
bool IsWithin(const fs::path& inner, const fs::path& outer) {
    return std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end()).first ==
           outer.end();
}

bool IsEmptyFolder(const std::string& folder) {
    std::error_code ec;
    return fs::is_directory(folder, ec) && fs::is_empty(folder, ec) && !ec;
}

// What the copy made, so that a copy that failed is taken back whole.
struct CFolderCopy {
    std::string m_strFolder;                       // the new task folder, ending with "/"
    bool m_bFolderExisted = false;                 // it was there, empty: only its contents go
    std::vector<std::string> m_arrCreatedFolders;  // made along its path, outermost first

    void Remove() const {
        std::error_code ec;
        if (m_bFolderExisted) {
            for (const fs::directory_entry& entry : fs::directory_iterator(m_strFolder, ec)) {
                fs::remove_all(entry.path(), ec);
            }
            return;
        }
        fs::remove_all(m_strFolder, ec);
        for (auto folder = m_arrCreatedFolders.rbegin(); folder != m_arrCreatedFolders.rend();
             ++folder) {
            fs::remove(*folder, ec);  // only while empty
        }
    }
};
}  // namespace

bool CQuobrixDoc::IsTaskBusy() const {
    return IsRunning() || m_bStop || HasActiveWorkers();
}

bool CQuobrixDoc::CopyTaskFile(const std::string& from, const std::string& to) {
    std::error_code ec;
    // The permissions go with the file: the credential sidecar stays the owner's.
    if (!fs::copy_file(from, to, fs::copy_options::none, ec)) {
        errno = ec ? ec.value() : EEXIST;
        return false;
    }
    return true;
}

bool CQuobrixDoc::CopyTaskFolder(const std::string& from, const std::string& to,
                                 std::string& strError) {
    std::error_code ec;
    if (!fs::is_directory(from, ec)) {
        return true;  // the task's folder is gone: the copy begins with an empty one
    }
    // Links are copied as links, never followed out of the folder; anything
    // but folders, files and links is no part of a task.
    fs::recursive_directory_iterator entries(from, ec);
    for (; !ec && entries != fs::recursive_directory_iterator(); entries.increment(ec)) {
        const fs::path source = entries->path();
        const std::string target = to + source.lexically_relative(from).string();
        const fs::file_status status = entries->symlink_status(ec);
        bool copied = true;
        if (ec) {
            copied = false;
        } else if (fs::is_symlink(status)) {
            fs::copy_symlink(source, target, ec);
            copied = !ec;
        } else if (fs::is_directory(status)) {
            fs::create_directory(target, ec);
            copied = !ec;
        } else if (fs::is_regular_file(status) && !CopyTaskFile(source.string(), target)) {
            ec = std::error_code(errno, std::generic_category());
            copied = false;
        }
        if (!copied) {
            strError = "cannot copy " + source.string() + " to " + target + ": " +
                       std::strerror(ec.value());
            return false;
        }
    }
    if (ec) {
        strError = "cannot read " + from + ": " + ec.message();
        return false;
    }
    return true;
}

bool CQuobrixDoc::SaveTaskAs(const std::string& path, std::string& strError) {
    // Workers write into the folder while they run, or while they leave.
    if (IsTaskBusy()) {
        strError = LoadString(IDS_TASK_RUNNING);
        return false;
    }
    // The new name is ours before anything is copied there; the old one is
    // let go only once the task is saved under the new.
    CTaskLock lock;
    if (!LockTaskFile(path, lock, strError) || !SaveUnderNewName(path, strError)) {
        return false;
    }
    KeepTaskLock(path, std::move(lock));
    return true;
}

bool CQuobrixDoc::SaveUnderNewName(const std::string& path, std::string& strError) {
    const std::string oldPath = GetPathName();
    const std::string oldDir = GetTaskDir();
    // Its own file, under whatever spelling: a plain save that keeps the name.
    if (!oldPath.empty() && SameFile(oldPath, path)) {
        return OnSaveDocument(oldPath, strError);
    }
    // A task without a folder (one never given a name) has nothing to copy.
    if (oldDir.empty()) {
        return OnSaveDocument(path, strError);
    }

    const std::string newDir = TaskDirFor(path);
    const fs::path resolvedOld = Resolved(oldDir);
    const fs::path resolvedNew = Resolved(newDir);
    if (IsWithin(resolvedNew, resolvedOld)) {
        strError = SaveAsError(path, "its task folder " + newDir +
                                         " would be, or lie in, the folder of the task that "
                                         "is open (" +
                                         oldDir + ").");
        return false;
    }
    // Never two tasks in one folder, and never a folder deleted that the
    // user did not agree to replace: an existing one is used only when empty.
    CFolderCopy copy;
    copy.m_strFolder = newDir;
    copy.m_bFolderExisted = IsEmptyFolder(newDir);
    if (!copy.m_bFolderExisted && PathExists(newDir.substr(0, newDir.size() - 1))) {
        strError = SaveAsError(path, "the folder " + newDir +
                                         " already exists and is not empty. Choose another "
                                         "name, or move that folder away first.");
        return false;
    }
    MakeDirectoriesAlong(newDir, &copy.m_arrCreatedFolders);
    std::error_code ec;
    if (!fs::is_directory(newDir, ec)) {
        fs::create_directory(newDir, ec);  // again, for the reason
        copy.Remove();
        strError = SaveAsError(path, "cannot create the folder " + newDir + ": " +
                                         std::strerror(ec ? ec.value() : ENOTDIR));
        return false;
    }
    std::string why;
    if (!CopyTaskFolder(oldDir, newDir, why)) {
        copy.Remove();
        strError = SaveAsError(path, why);
        return false;
    }

    RebaseTaskPaths(oldDir, newDir);
    if (!OnSaveDocument(path, strError)) {
        RebaseTaskPaths(newDir, oldDir);
        copy.Remove();
        return false;
    }
    return true;
}

void CQuobrixDoc::RebaseTaskPaths(const std::string& from, const std::string& to) {
    auto rebase = [&from, &to](std::string& path) {
        if (path.starts_with(from)) {
            path.replace(0, from.size(), to);
        }
    };
    {
        CLock lock(m_csResults);
        m_strTaskDir = to;
        m_strEmailListPath = to + "EmailAddress.txt";
        rebase(m_strResultPagePath);
        if (!m_strResultPagePath.starts_with(to)) {
            const int page = m_nResultPage < 0 ? 0 : m_nResultPage.Load();
            m_strResultPagePath = to + "ResultPage" + std::to_string(page) + ".html";
        }
    }
    // The stored copies the slots name, kept in the task file.
    for (int slot = 0; slot < SLOT_COUNT; ++slot) {
        CLock lock(m_csSlotText[slot]);
        rebase(m_strLocalPath[slot]);
    }
}
