#include "common/FileUtil.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace {
constexpr int kMaxLinkHops = 40;  // as the kernel allows when it opens a path

// A new, uniquely named file in folder. The name has a fixed length
// (".1a2b3c4d00000007.tmp"), so it fits wherever the target's name fits.
int CreateTemporaryIn(const std::string& folder, mode_t mode, std::string& temporary) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, ".%08x%08x.tmp", static_cast<unsigned>(getpid()),
                      counter.fetch_add(1));
        temporary = folder + name;
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// A file the user has marked read-only is never replaced, not even by a user
// whom the system would let write it.
bool MayReplace(const std::string& path, const struct stat& existing) {
    if ((existing.st_mode & 0222) == 0) {
        errno = EACCES;
        return false;
    }
    return access(path.c_str(), W_OK) == 0;
}

// The replacement takes over the owner, group and mode of the replaced file.
// The mode comes last: a change of owner clears the set-id bits.
bool KeepOwnerAndMode(int fd, const struct stat& existing) {
    struct stat made {};
    if (fstat(fd, &made) != 0) {
        return false;
    }
    if ((made.st_uid != existing.st_uid || made.st_gid != existing.st_gid) &&
        fchown(fd, existing.st_uid, existing.st_gid) != 0) {
        return false;
    }
    return fchmod(fd, existing.st_mode & 07777) == 0;
}

// Makes a rename in folder durable. A file system that cannot flush a folder
// (EINVAL) has nothing to flush.
bool SyncFolder(const std::string& folder) {
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = fsync(fd) == 0 || errno == EINVAL;
    const int error = errno;
    close(fd);
    errno = error;
    return synced;
}
}  // namespace

void MakeDirectoriesAlong(const std::string& path, std::vector<std::string>* pCreated) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0777) == 0 && pCreated != nullptr) {
            pCreated->push_back(folder);
        }
    }
}

bool WriteAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<size_t>(wrote);
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            close(fd);
            errno = error;
            return false;
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return true;
}

bool ResolveLinks(const std::string& path, std::string& target) {
    target = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info {};
        if (lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return true;
        }
        std::string link(PATH_MAX, '\0');
        const ssize_t got = readlink(target.c_str(), link.data(), link.size());
        if (got < 0) {
            return false;
        }
        if (got == 0 || static_cast<size_t>(got) >= link.size()) {
            errno = got == 0 ? ENOENT : ENAMETOOLONG;
            return false;
        }
        link.resize(static_cast<size_t>(got));
        if (link[0] != '/') {
            // Relative to the folder that holds the link.
            const size_t slash = target.rfind('/');
            link.insert(0, slash == std::string::npos ? "" : target.substr(0, slash + 1));
        }
        target = link;
    }
    errno = ELOOP;
    return false;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, mode_t newFileMode) {
    return WriteFileAtomically(
        path, [&bytes](int fd) { return WriteAll(fd, bytes); }, newFileMode);
}

bool WriteFileAtomically(const std::string& path, const std::function<bool(int fd)>& writeContents,
                         mode_t newFileMode) {
    std::string target;
    if (!ResolveLinks(path, target)) {
        return false;
    }
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    struct stat existing {};
    const bool replacing = stat(target.c_str(), &existing) == 0;
    if (replacing && !MayReplace(target, existing)) {
        return false;
    }
    std::string temporary;
    const int fd = CreateTemporaryIn(folder, replacing ? 0600 : newFileMode, temporary);
    if (fd < 0) {
        return false;
    }
    const bool written =
        (!replacing || KeepOwnerAndMode(fd, existing)) && writeContents(fd) && fsync(fd) == 0;
    int error = written ? 0 : (errno != 0 ? errno : EIO);
    if (close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        unlink(temporary.c_str());
        errno = error;
        return false;
    }
    return SyncFolder(folder);
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}
