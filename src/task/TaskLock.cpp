#include "task/TaskLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <string_view>
#include <thread>

#include "common/FileUtil.h"
#include "common/StringTable.h"

namespace {
// A lock file replaced under us this many times in a row counts as held.
constexpr int kAttempts = 20;
// A holder writes its name just after it locks: a refused one reads for up
// to 50 x 10 ms before it calls the holder unknown.
constexpr int kHolderReadTries = 50;
constexpr auto kHolderReadPause = std::chrono::milliseconds(10);
constexpr size_t kMaxHolderText = 256;  // bytes: "4242 quobrix-cli run\n" and room to spare

// Whether path still names the file open as fd: a holder that let go
// removed it, and a new one may be there.
bool StillNamed(int fd, const std::string& path) {
    struct stat open {};
    struct stat named {};
    return fstat(fd, &open) == 0 && lstat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// "4242 quobrix-cli run\n" -> 4242 and "quobrix-cli run"; false while the
// line is incomplete or of another form. The text is input: control
// characters become "?", so the message stays one line.
bool ParseHolder(std::string_view text, int& pid, std::string& program) {
    const size_t end = text.find('\n');
    const size_t space = text.find(' ');
    if (end == std::string_view::npos || space == std::string_view::npos || space > end) {
        return false;
    }
    const auto [last, error] = std::from_chars(text.data(), text.data() + space, pid);
    if (error != std::errc() || last != text.data() + space || pid <= 0 || space + 1 >= end) {
        return false;
    }
    program.assign(text.substr(space + 1, end - space - 1));
    for (char& ch : program) {
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f) {
            ch = '?';
        }
    }
    return true;
}
}  // namespace

CTaskLock::~CTaskLock() {
    Release();
}

CTaskLock::CTaskLock(CTaskLock&& other) noexcept
    : m_hFile(other.m_hFile),
      m_strLockPath(std::move(other.m_strLockPath)),
      m_strHolderProgram(std::move(other.m_strHolderProgram)),
      m_nHolderPid(other.m_nHolderPid) {
    other.m_hFile = -1;
}

CTaskLock& CTaskLock::operator=(CTaskLock&& other) noexcept {
    if (this != &other) {
        Release();
        m_hFile = other.m_hFile;
        m_strLockPath = std::move(other.m_strLockPath);
        m_strHolderProgram = std::move(other.m_strHolderProgram);
        m_nHolderPid = other.m_nHolderPid;
        other.m_hFile = -1;
    }
    return *this;
}

std::string CTaskLock::LockFileFor(const std::string& strTaskPath) {
    std::string target;
    if (!ResolveLinks(strTaskPath, target)) {
        target = strTaskPath;  // a loop of links: the path as given
    }
    const size_t slash = target.rfind('/');
    const size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    return target.substr(0, nameAt) + "." + target.substr(nameAt) + ".lock";
}

bool CTaskLock::Acquire(const std::string& strTaskPath, const std::string& strUse) {
    Release();
    m_strHolderProgram.clear();
    m_nHolderPid = 0;
    const std::string lockPath = LockFileFor(strTaskPath);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        bool bResult = true;
        if (TryOnce(lockPath, strUse, bResult) == Step::Done) {
            return bResult;
        }
    }
    return false;
}

CTaskLock::Step CTaskLock::TryOnce(const std::string& lockPath, const std::string& strUse,
                                   bool& bResult) {
    bResult = true;
    // Never through a link planted in its place.
    int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    const bool bWritable = fd >= 0;
    if (fd < 0 && errno == EACCES) {
        fd = open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);  // another user's file
    }
    if (fd < 0) {
        return Step::Done;  // a folder that cannot be written: no lock to be had
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return Step::Done;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK) {
            close(fd);
            return Step::Done;  // a file system without locks (ENOLCK): none to be had
        }
        if (!StillNamed(fd, lockPath)) {
            close(fd);
            return Step::Again;  // a stale file that someone is about to leave
        }
        ReadHolder(fd);
        close(fd);
        bResult = false;
        return Step::Done;
    }
    if (!StillNamed(fd, lockPath)) {
        close(fd);
        return Step::Again;  // removed by the holder that let it go
    }
    if (!bWritable && unlink(lockPath.c_str()) == 0) {
        // Its text would keep naming its last holder: a file of our own.
        close(fd);
        return Step::Again;
    }
    if (bWritable) {
        // A killed holder's text is still there. Without room for ours the
        // lock holds all the same.
        std::string text = std::to_string(getpid()) + " " + program_invocation_short_name;
        if (!strUse.empty()) {
            text += " " + strUse;
        }
        text += "\n";
        if (ftruncate(fd, 0) == 0) {
            (void)WriteAll(fd, text);  // the text only helps the refusal message
        }
    }
    m_hFile = fd;
    m_strLockPath = lockPath;
    return Step::Done;
}

void CTaskLock::ReadHolder(int file) {
    for (int attempt = 0; attempt < kHolderReadTries; ++attempt) {
        char buffer[kMaxHolderText];
        const ssize_t got = pread(file, buffer, sizeof buffer, 0);
        if (got > 0 && ParseHolder(std::string_view(buffer, static_cast<size_t>(got)), m_nHolderPid,
                                   m_strHolderProgram)) {
            return;
        }
        std::this_thread::sleep_for(kHolderReadPause);
    }
    m_nHolderPid = 0;
    m_strHolderProgram.clear();
}

void CTaskLock::Release() {
    if (m_hFile < 0) {
        return;
    }
    // Removed while still locked, and only while it is ours: whoever opened
    // it meanwhile finds it gone once it gets the lock, and tries again.
    if (StillNamed(m_hFile, m_strLockPath)) {
        unlink(m_strLockPath.c_str());
    }
    close(m_hFile);
    m_hFile = -1;
    m_strLockPath.clear();
}

bool CTaskLock::IsFor(const std::string& strTaskPath) const {
    return m_hFile >= 0 && StillNamed(m_hFile, LockFileFor(strTaskPath));
}

std::string CTaskLock::RefusalMessage(const std::string& strTaskPath) const {
    if (m_nHolderPid > 0) {
        return FormatString(IDS_TASK_IN_USE,
                            {strTaskPath, m_strHolderProgram, int64_t{m_nHolderPid}});
    }
    return FormatString(IDS_TASK_IN_USE_ELSEWHERE, {strTaskPath});
}
