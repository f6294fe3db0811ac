#include "server/ServedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "common/FileUtil.h"
#include "common/Text.h"
#include "engine/PageStore.h"
#include "server/RequestParser.h"

namespace {
constexpr size_t kMaxCompanionHeader = 64 * 1024;
constexpr std::string_view kCompanionEnd = ".quobrix";

bool IsControl(char ch) {
    const auto byte = static_cast<unsigned char>(ch);
    return byte < ' ' || byte == 0x7F;
}

bool IsCompanionName(std::string_view name) {
    return name.size() >= kCompanionEnd.size() &&
           EqualsNoCase(name.substr(name.size() - kCompanionEnd.size()), kCompanionEnd);
}

// True when path, once links are resolved, lies inside the task directory.
bool IsInside(const std::string& taskDir, const std::string& path) {
    char* realFile = realpath(path.c_str(), nullptr);
    char* realDir = realpath(taskDir.c_str(), nullptr);
    bool inside = false;
    if (realFile != nullptr && realDir != nullptr) {
        inside = std::string(realFile).rfind(std::string(realDir) + "/", 0) == 0;
    }
    std::free(realFile);
    std::free(realDir);
    return inside;
}

std::optional<CStoredCopy> OpenNamed(const std::string& taskDir, const std::string& name) {
    // "host:8080/a.html" is the folder "host:8080", or "host" in a task stored before it.
    const std::string path = FindLocalPath(taskDir, "http://" + name, PathExists);
    if (path.empty() || IsCompanionName(name) || IsCompanionName(path)) {
        return std::nullopt;
    }
    const int file = OpenRegularFile(path);
    if (file < 0) {
        return std::nullopt;
    }
    if (!IsInside(taskDir, path)) {
        close(file);
        return std::nullopt;
    }
    return CStoredCopy{file, path, "/" + name};
}
}  // namespace

int OpenRegularFile(const std::string& path) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) {
        return -1;
    }
    struct stat info {};
    if (fstat(file, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(file);
        return -1;
    }
    return file;
}

std::optional<CStoredCopy> OpenStoredCopy(const std::string& taskDir, std::string_view name) {
    const std::string named = WithHostSlash(name);
    if (const std::optional<std::string> decoded = PercentDecoded(named)) {
        if (*decoded != named) {
            if (std::optional<CStoredCopy> copy = OpenNamed(taskDir, *decoded)) {
                return copy;
            }
        }
    }
    return OpenNamed(taskDir, named);
}

std::string StoredContentTypeLine(const std::string& storedPath, const std::string& extension) {
    const int fd = OpenRegularFile(storedPath + ".Quobrix");
    if (fd >= 0) {
        std::string header(kMaxCompanionHeader, '\0');
        const ssize_t got = read(fd, header.data(), header.size());
        close(fd);
        header.resize(got > 0 ? static_cast<size_t>(got) : 0);
        const size_t at = ToLowerAscii(header).find("content-type: ");
        if (at != std::string::npos && header.find("\r\n", at) != std::string::npos) {
            // The line ends at its first control character: a bare line feed
            // in a stored header must not start a header line of our answer.
            size_t end = at;
            while (!IsControl(header[end])) {
                ++end;
            }
            return header.substr(at, end - at) + "\r\n\r\n";
        }
    }
    const std::string ext = ToLowerAscii(extension);
    if (ext == ".htm" || ext == ".html" || ext == ".shtm" || ext == ".shtml") {
        return "Content-Type: text/html\r\n\r\n";
    }
    if (ext == ".gif") {
        return "Content-Type: image/gif\r\n\r\n";
    }
    if (ext == ".jpg" || ext == ".jpeg") {
        return "Content-Type: image/jpeg\r\n\r\n";
    }
    // The header name is "Context-Type": such a response has no content
    // type, and the browser judges the body itself.
    return "Context-Type: application/x-javascript\r\n\r\n";
}
