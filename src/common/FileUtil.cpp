#include "common/FileUtil.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

void MakeDirectoriesAlong(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        mkdir(path.substr(0, slash).c_str(), 0777);
    }
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

namespace {
// A new, uniquely named file beside the target, created with 0666 so that the
// kernel applies the umask exactly as for any new file.
int CreateTemporaryBeside(const std::string& folder, const std::string& name,
                          std::string& temporary) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder + "." + name + "." + std::to_string(getpid()) + "." +
                    std::to_string(counter.fetch_add(1)) + ".tmp";
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}
}  // namespace

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
    return WriteFileAtomically(path, [&bytes](int fd) { return WriteAll(fd, bytes); });
}

bool WriteFileAtomically(const std::string& path,
                         const std::function<bool(int fd)>& writeContents) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temporary;
    const int fd = CreateTemporaryBeside(folder, name, temporary);
    if (fd < 0) {
        return false;
    }
    struct stat existing {};
    const bool keepMode = stat(path.c_str(), &existing) == 0;
    const bool written = (!keepMode || fchmod(fd, existing.st_mode & 07777) == 0) &&
                         writeContents(fd) && fsync(fd) == 0;
    int error = written ? 0 : (errno != 0 ? errno : EIO);
    if (close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        unlink(temporary.c_str());
        errno = error;
        return false;
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        unlink(temporary.c_str());
        errno = renameError;
        return false;
    }
    return true;
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}
