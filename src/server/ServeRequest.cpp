#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <thread>

#include "common/FileUtil.h"
#include "common/SendAll.h"
#include "common/StringTable.h"
#include "common/Text.h"
#include "engine/PageStore.h"
#include "results/ResultFrame.h"
#include "server/BuiltInImages.h"
#include "server/ForbiddenPage.h"
#include "server/LocalServer.h"
#include "server/NotFoundPage.h"
#include "server/OwnPagePolicy.h"
#include "server/PageRewriter.h"
#include "server/RequestParser.h"
#include "task/QuobrixDoc.h"

namespace {
using Clock = std::chrono::steady_clock;

constexpr size_t kChunk = 4096;                       // bytes per read and send
constexpr size_t kMaxRequestHeader = 64 * 1024;       // a longer request is dropped
constexpr auto kRequestTimeLimit = std::chrono::seconds(30);  // to send the whole request
constexpr int kPollSliceMs = 100;                     // how soon a stop is seen
constexpr int kLivePollMs = 2000;                     // a live result page looks for rows this often
constexpr size_t kMaxCompanionHeader = 64 * 1024;

const char kSuccessLine[] = "HTTP/1.0 200 OK\r\nConnection: close\r\n";
const char kHtmlType[] = "Content-Type: text/html\r\n\r\n";

bool IsControl(char ch) {
    const auto byte = static_cast<unsigned char>(ch);
    return byte < ' ' || byte == 0x7F;
}

// The content type line of a stored copy: the first "content-type: " line
// of its companion header, as written, else one chosen by the extension.
std::string ContentTypeLine(const std::string& storedPath, const std::string& extension) {
    const int fd = open((storedPath + ".Quobrix").c_str(), O_RDONLY | O_CLOEXEC);
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
        return kHtmlType;
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

// The stored copy for a request name, only when it is a regular file that
// lies inside the task directory once links are resolved; empty otherwise.
std::string StoredCopyPath(const std::string& taskDir, const std::string& name) {
    const std::string path = UrlToLocalPath(taskDir, "http://" + name);
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return "";
    }
    char* realFile = realpath(path.c_str(), nullptr);
    char* realDir = realpath(taskDir.c_str(), nullptr);
    std::string inside;
    if (realFile != nullptr && realDir != nullptr) {
        const std::string dir = std::string(realDir) + "/";
        if (std::string(realFile).rfind(dir, 0) == 0) {
            inside = path;
        }
    }
    std::free(realFile);
    std::free(realDir);
    return inside;
}

bool Send(int sock, std::string_view bytes, bool& closed) {
    return !closed && SendAll(sock, bytes.data(), bytes.size(), &closed) >= 0;
}
}  // namespace

bool CQuobrixDoc::StartLocalServer(int port) {
    StopLocalServer();
    // Set before Start, so that every connection thread sees it.
    m_pServer = std::make_unique<CLocalServer>([this](int sock) { ServeRequest(sock); });
    if (!m_pServer->Start(port)) {
        m_pServer.reset();
        return false;
    }
    m_sockServer = m_pServer->ListeningSocket();
    m_nServerPort = m_pServer->Port();
    return true;
}

void CQuobrixDoc::StopLocalServer() {
    if (m_pServer) {
        m_pServer->Stop();
        m_pServer.reset();
        m_sockServer = -1;
    }
}

bool CQuobrixDoc::ServerStopping() const {
    return !m_pServer || m_pServer->Stopping();
}

void CQuobrixDoc::ServeRequest(int sock) {
    bool closed = false;
    // The request, up to its blank line, within a size and a time limit.
    std::string request;
    const auto deadline = Clock::now() + kRequestTimeLimit;
    char buffer[kChunk];
    while (request.find("\r\n\r\n") == std::string::npos) {
        if (request.size() > kMaxRequestHeader || Clock::now() > deadline || ServerStopping()) {
            close(sock);
            return;
        }
        pollfd entry{sock, POLLIN, 0};
        if (poll(&entry, 1, kPollSliceMs) <= 0) {
            continue;
        }
        const ssize_t got = recv(sock, buffer, sizeof buffer, 0);
        if (got <= 0) {
            close(sock);
            return;
        }
        request.append(buffer, static_cast<size_t>(got));
    }
    const std::optional<std::string> path = RequestPath(request);
    if (!path) {
        close(sock);
        return;
    }
    auto finish = [&] {
        if (!closed) {
            shutdown(sock, SHUT_RDWR);
            close(sock);
        }
    };
    // The port the server was started on; m_nServerPort is set after the
    // first connection may already be served.
    const int port = m_pServer->Port();
    const std::optional<std::string> host = RequestHost(request);
    if (host && !IsOwnHost(*host, port)) {
        Send(sock, ForbiddenResponse(port), closed);
        finish();
        return;
    }

    const std::string name = path->substr(1);
    const CRequestTarget target = ClassifyName(name);
    const std::string taskDir = GetTaskDir();
    const std::string notFound = NotFoundResponse(port);
    const bool resultPage = target.m_kind == CRequestTarget::Kind::ResultPage;
    const std::string filePath = resultPage ? taskDir + target.m_strFileName : "";
    const std::string extension = ExtensionOf(resultPage ? filePath : name);

    if (EqualsNoCase(extension, ".jpg") || EqualsNoCase(extension, ".gif")) {
        if (const CBuiltInImage* image = FindBuiltInImage(name)) {
            const char* type = image->m_kind == "JPEG" ? "Content-Type: image/jpeg\r\n\r\n"
                                                       : "Content-Type: image/gif\r\n\r\n";
            if (Send(sock, kSuccessLine, closed) && Send(sock, type, closed)) {
                Send(sock, image->m_bytes, closed);
            }
            finish();
            return;
        }
    }

    std::string contentType = kHtmlType;
    std::string storedPath = filePath;
    if (!resultPage) {
        storedPath = StoredCopyPath(taskDir, name);
        if (storedPath.empty()) {
            Send(sock, notFound, closed);
            finish();
            return;
        }
        contentType = ContentTypeLine(storedPath, extension);
    }
    const int file = open(storedPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        Send(sock, notFound, closed);
        finish();
        return;
    }
    // Result pages carry titles and links from the web: nothing in them may run.
    Send(sock, resultPage ? kSuccessLine + OwnPagePolicyLine(port) : kSuccessLine, closed);
    if (!Send(sock, contentType, closed)) {
        close(file);
        finish();
        return;
    }
    if (contentType.compare(14, 9, "text/html") == 0) {
        if (resultPage) {
            StreamResultPage(sock, target.m_nPage, file, closed);
        } else {
            CRewriteSettings settings;
            settings.m_strTaskDir = taskDir;
            settings.m_bRecolorLinks = m_bRecolorLinks;
            settings.m_crLinkColor = m_crLinkColor;
            settings.m_fnExists = [](const std::string& copy) { return PathExists(copy); };
            SendRewrittenPage(sock, file, *path, settings, &closed);
        }
    } else {
        SendStoredFile(sock, file, closed);
    }
    close(file);
    finish();
}

void CQuobrixDoc::SendStoredFile(int sock, int file, bool& closed) {
    char buffer[kChunk];
    for (;;) {
        const ssize_t got = read(file, buffer, sizeof buffer);
        if (got <= 0 || !Send(sock, std::string_view(buffer, static_cast<size_t>(got)), closed)) {
            return;
        }
    }
}

// Sends a result page framed; while it is the page being written, keeps the
// connection open and sends new rows as they are appended.
void CQuobrixDoc::StreamResultPage(int sock, int page, int file, bool& closed) {
    if (SendResultPageHead(sock, page, &closed) == 0) {
        return;
    }
    char buffer[kChunk];
    off_t offset = 0;
    for (;;) {
        const ssize_t got = read(file, buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        if (!Send(sock, std::string_view(buffer, static_cast<size_t>(got)), closed)) {
            return;
        }
        offset += got;
    }

    auto live = [&] {
        return page == m_nResultPage && m_nState == IDS_STATE_SEEKING && !ServerStopping();
    };
    bool tableOpen = true;
    while (live()) {
        ssize_t got = -1;
        const int current = open(GetResultPagePath().c_str(), O_RDONLY | O_CLOEXEC);
        if (current >= 0) {
            got = pread(current, buffer, sizeof buffer, offset);
            close(current);
        }
        if (got > 0) {
            if (!tableOpen && !Send(sock, kResultTableReopen, closed)) {
                return;
            }
            tableOpen = true;
            if (!Send(sock, std::string_view(buffer, static_cast<size_t>(got)), closed)) {
                return;
            }
            offset += got;
            continue;
        }
        if (tableOpen && !Send(sock, kResultTableEnd, closed)) {
            return;
        }
        tableOpen = false;
        // Waits for new rows in short slices, so a stop is seen at once.
        for (int waited = 0; waited < kLivePollMs && live(); waited += kPollSliceMs) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollSliceMs));
        }
    }

    // The page is complete: the rows that came meanwhile, then the foot.
    if (!Send(sock, kResultTableReopen, closed)) {
        return;
    }
    const int again = open((GetTaskDir() + "ResultPage" + std::to_string(page) + ".html").c_str(),
                           O_RDONLY | O_CLOEXEC);
    if (again >= 0) {
        for (;;) {
            const ssize_t got = pread(again, buffer, sizeof buffer, offset);
            if (got <= 0 || !Send(sock, std::string_view(buffer, static_cast<size_t>(got)), closed)) {
                break;
            }
            offset += got;
        }
        close(again);
    }
    if (!Send(sock, kResultTableEnd, closed)) {
        return;
    }
    SendResultPageFoot(sock, page, &closed);
}
