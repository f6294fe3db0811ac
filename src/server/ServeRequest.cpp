#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "common/FileUtil.h"
#include "common/StringTable.h"
#include "common/Text.h"
#include "results/FailurePage.h"
#include "results/ResultFrame.h"
#include "server/BadRequestPage.h"
#include "server/BuiltInImages.h"
#include "server/Connection.h"
#include "server/ForbiddenPage.h"
#include "server/LocalServer.h"
#include "server/NotFoundPage.h"
#include "server/OwnPagePolicy.h"
#include "server/PageRewriter.h"
#include "server/RequestParser.h"
#include "server/ServedFile.h"
#include "task/QuobrixDoc.h"

namespace {
constexpr size_t kChunk = 4096;    // bytes per read and send
constexpr int kPollSliceMs = 100;  // how soon a stop is seen
constexpr int kLivePollMs = 2000;  // a live result page looks for rows this often

const char kSuccessLine[] = "HTTP/1.0 200 OK\r\nConnection: close\r\n";

bool IsHtml(const std::string& contentTypeLine) {
    // After "Content-Type: "; case-sensitive, so "TEXT/HTML" is sent as it is.
    return contentTypeLine.compare(14, 9, "text/html") == 0;
}
}  // namespace

bool CQuobrixDoc::StartLocalServer(int port) {
    StopLocalServer();
    // Set before Start, so that every connection thread sees it.
    m_pServer = std::make_unique<CLocalServer>(
        [this](CConnection& connection, const std::string& request) {
            ServeRequest(connection, request);
        });
    if (!m_pServer->Start(port)) {
        const int error = errno;  // the caller tells why ("port 8080 is already in use")
        m_pServer.reset();
        errno = error;
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

void CQuobrixDoc::ServeRequest(CConnection& connection, const std::string& request) {
    // The port the server was started on; m_nServerPort is set after the
    // first connection may already be served.
    const int port = m_pServer->Port();
    const std::optional<std::string> path = RequestPath(request);
    if (!path) {
        connection.Send(BadRequestResponse(port));
        return;
    }
    const std::optional<std::string> host = RequestHost(request);
    if (host && !IsOwnHost(*host, port)) {
        connection.Send(ForbiddenResponse(port));
        return;
    }

    const std::string name = path->substr(1);
    if (name == FAILURE_PAGE_NAME) {
        ServeFailurePage(connection, port);
        return;
    }
    const CRequestTarget target = ClassifyName(name);
    if (target.m_kind == CRequestTarget::Kind::ResultPage) {
        const int file = OpenRegularFile(GetTaskDir() + target.m_strFileName);
        if (file < 0) {
            connection.Send(NotFoundResponse(port));
            return;
        }
        // Result pages carry titles and links from the web: nothing in them may run.
        if (connection.Send(kSuccessLine + OwnPagePolicyLine(port) + kOwnPageTypeLine + "\r\n")) {
            StreamResultPage(connection, target.m_nPage, file);
        }
        close(file);
        return;
    }

    const std::string extension = ExtensionOf(name);
    if (EqualsNoCase(extension, ".jpg") || EqualsNoCase(extension, ".gif")) {
        if (const CBuiltInImage* image = FindBuiltInImage(name)) {
            const char* type = image->m_kind == "JPEG" ? "Content-Type: image/jpeg\r\n\r\n"
                                                       : "Content-Type: image/gif\r\n\r\n";
            if (connection.Send(std::string(kSuccessLine) + type)) {
                connection.Send(image->m_bytes);
            }
            return;
        }
    }
    ServeStoredCopy(connection, name, port);
}

// A stored copy, in a sandbox of its own: HTML rewritten, anything else as it is.
void CQuobrixDoc::ServeStoredCopy(CConnection& connection, const std::string& name, int port) {
    const std::string taskDir = GetTaskDir();
    const std::optional<CStoredCopy> copy = OpenStoredCopy(taskDir, name);
    if (!copy) {
        connection.Send(NotFoundResponse(port));
        return;
    }
    const std::string contentType =
        StoredContentTypeLine(copy->m_strPath, ExtensionOf(copy->m_strRequestPath.substr(1)));
    if (connection.Send(kSuccessLine + std::string(kStoredCopyPolicyLine) + contentType)) {
        if (IsHtml(contentType)) {
            CRewriteSettings settings;
            settings.m_strTaskDir = taskDir;
            settings.m_bRecolorLinks = m_bRecolorLinks;
            settings.m_crLinkColor = m_crLinkColor;
            settings.m_fnExists = [](const std::string& stored) { return PathExists(stored); };
            settings.m_bHttpsLinks = CrawlsHttps();
            const std::string& path = copy->m_strRequestPath;
            settings.m_bHttpsPage =
                settings.m_bHttpsLinks && IsHttpsFolder(path.substr(1, path.find('/', 1) - 1));
            SendRewrittenPage([&](std::string_view bytes) { return connection.Send(bytes); },
                              copy->m_hFile, copy->m_strRequestPath, settings);
        } else {
            SendStoredFile(connection, copy->m_hFile);
        }
    }
    close(copy->m_hFile);
}

void CQuobrixDoc::SendStoredFile(CConnection& connection, int file) {
    char buffer[kChunk];
    for (;;) {
        const ssize_t got = read(file, buffer, sizeof buffer);
        if (got <= 0 || !connection.Send(std::string_view(buffer, static_cast<size_t>(got)))) {
            return;
        }
    }
}

// Sends a result page framed; while it is the page being written, keeps the
// connection open and sends new rows as they are appended. While it is live
// the answer has no overall time limit, but each send has.
void CQuobrixDoc::StreamResultPage(CConnection& connection, int page, int file) {
    const SendFunction send = [&](std::string_view bytes) { return connection.Send(bytes); };
    if (SendResultPageHead(send, page) == 0) {
        return;
    }
    char buffer[kChunk];
    off_t offset = 0;
    for (;;) {
        const ssize_t got = read(file, buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        if (!connection.Send(std::string_view(buffer, static_cast<size_t>(got)))) {
            return;
        }
        offset += got;
    }

    auto live = [&] {
        return page == m_nResultPage && m_nState == IDS_STATE_SEEKING && !connection.Stopping();
    };
    bool tableOpen = true;
    while (live()) {
        connection.RenewTimeLimit();
        ssize_t got = -1;
        const int current = OpenRegularFile(GetResultPagePath());
        if (current >= 0) {
            got = pread(current, buffer, sizeof buffer, offset);
            close(current);
        }
        if (got > 0) {
            if (!tableOpen && !connection.Send(kResultTableReopen)) {
                return;
            }
            tableOpen = true;
            if (!connection.Send(std::string_view(buffer, static_cast<size_t>(got)))) {
                return;
            }
            offset += got;
            continue;
        }
        if (tableOpen && !connection.Send(kResultTableEnd)) {
            return;
        }
        tableOpen = false;
        // Waits for new rows in short slices, so a stop is seen at once.
        for (int waited = 0; waited < kLivePollMs && live(); waited += kPollSliceMs) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollSliceMs));
        }
    }

    // The page is complete: the rows that came meanwhile, then the foot.
    connection.RenewTimeLimit();
    if (!connection.Send(kResultTableReopen)) {
        return;
    }
    const int again = OpenRegularFile(GetTaskDir() + "ResultPage" + std::to_string(page) + ".html");
    if (again >= 0) {
        for (;;) {
            const ssize_t got = pread(again, buffer, sizeof buffer, offset);
            if (got <= 0 || !connection.Send(std::string_view(buffer, static_cast<size_t>(got)))) {
                break;
            }
            offset += got;
        }
        close(again);
    }
    if (!connection.Send(kResultTableEnd)) {
        return;
    }
    SendResultPageFoot(send, page);
}
