#include "app/DemoServer.h"

#include "common/FileUtil.h"
#include "server/Connection.h"
#include "server/RequestParser.h"

namespace {
std::string ContentType(const std::string& path) {
    const size_t dot = path.rfind('.');
    const std::string extension = dot == std::string::npos ? "" : path.substr(dot);
    if (extension == ".html" || extension == ".htm") return "text/html";
    if (extension == ".css") return "text/css";
    if (extension == ".txt") return "text/plain";
    if (extension == ".gif") return "image/gif";
    if (extension == ".png") return "image/png";
    if (extension == ".jpg" || extension == ".jpeg") return "image/jpeg";
    return "application/octet-stream";
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

const char kNotFound[] =
    "HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n"
    "<html><head><title>Not found</title></head><body>No such page.</body></html>";
}  // namespace

CDemoServer::CDemoServer(std::string folder, const std::string& address)
    : m_strFolder(std::move(folder)),
      m_strAddress(address),
      m_server([this](CConnection& connection, const std::string& request) {
          Serve(connection, request);
      }) {
    if (m_server.Start(0, address)) {
        m_nPort = m_server.Port();
    }
}

std::string CDemoServer::HostPort() const {
    return m_strAddress + ":" + std::to_string(m_nPort);
}

void CDemoServer::SetSites(const std::string& site1, const std::string& site2) {
    std::lock_guard lock(m_lock);
    m_strSite1 = site1;
    m_strSite2 = site2;
}

void CDemoServer::Serve(CConnection& connection, const std::string& request) {
    if (const std::optional<std::string> target = RequestPath(request)) {
        connection.Send(Answer(*target));
    }
}

std::string CDemoServer::Answer(const std::string& target) const {
    std::string path = target.substr(0, target.find_first_of("?#"));
    if (path.empty() || path[0] != '/' || path.find("..") != std::string::npos) {
        return kNotFound;
    }
    if (path.back() == '/') {
        path += "index.html";
    }
    std::string body;
    if (!ReadWholeFile(m_strFolder + path, body)) {
        return kNotFound;
    }
    const std::string type = ContentType(path);
    if (type.rfind("text/", 0) == 0) {
        std::string site1;
        std::string site2;
        {
            std::lock_guard lock(m_lock);
            site1 = m_strSite1;
            site2 = m_strSite2;
        }
        ReplaceAll(body, "{{SITE1}}", site1);
        ReplaceAll(body, "{{SITE2}}", site2);
    }
    return "HTTP/1.0 200 OK\r\nContent-Type: " + type +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}
