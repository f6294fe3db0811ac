#include "cli/DemoServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "common/FileUtil.h"

namespace {
constexpr size_t kMaxRequest = 16 * 1024;
constexpr int kRequestTimeoutMs = 10000;

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
    : m_strFolder(std::move(folder)), m_strAddress(address) {
    m_sockListen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    socklen_t length = sizeof bound;
    if (m_sockListen < 0 || inet_aton(address.c_str(), &bound.sin_addr) == 0 ||
        bind(m_sockListen, reinterpret_cast<sockaddr*>(&bound), sizeof bound) != 0 ||
        getsockname(m_sockListen, reinterpret_cast<sockaddr*>(&bound), &length) != 0 ||
        listen(m_sockListen, 16) != 0) {
        return;
    }
    m_nPort = ntohs(bound.sin_port);
    m_acceptThread = std::thread([this] { AcceptLoop(); });
}

CDemoServer::~CDemoServer() {
    m_bStopping = true;
    if (m_sockListen >= 0) {
        shutdown(m_sockListen, SHUT_RDWR);
    }
    if (m_acceptThread.joinable()) {
        m_acceptThread.join();
    }
    {
        std::lock_guard lock(m_lock);
        for (Connection& connection : m_connections) {
            if (connection.sock >= 0) {
                shutdown(connection.sock, SHUT_RDWR);  // wakes a connection that waits
            }
        }
    }
    for (Connection& connection : m_connections) {
        connection.thread.join();
    }
    if (m_sockListen >= 0) {
        close(m_sockListen);
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

void CDemoServer::AcceptLoop() {
    while (!m_bStopping) {
        const int sock = accept4(m_sockListen, nullptr, nullptr, SOCK_CLOEXEC);
        if (sock < 0) {
            if (m_bStopping || (errno != EINTR && errno != ECONNABORTED)) {
                return;
            }
            continue;
        }
        JoinFinished();
        std::lock_guard lock(m_lock);
        Connection& connection = m_connections.emplace_back();
        connection.sock = sock;
        connection.thread = std::thread([this, &connection, sock] { Serve(&connection, sock); });
    }
}

void CDemoServer::JoinFinished() {
    std::list<Connection> finished;
    {
        std::lock_guard lock(m_lock);
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            auto next = std::next(it);
            if (it->done) {
                finished.splice(finished.end(), m_connections, it);
            }
            it = next;
        }
    }
    for (Connection& connection : finished) {
        connection.thread.join();
    }
}

void CDemoServer::Serve(Connection* connection, int sock) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequest) {
        pollfd entry{sock, POLLIN, 0};
        if (poll(&entry, 1, kRequestTimeoutMs) <= 0) {
            break;
        }
        const ssize_t got = recv(sock, buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        request.append(buffer, static_cast<size_t>(got));
    }
    const size_t first = request.find(' ');
    const size_t second = first == std::string::npos ? first : request.find(' ', first + 1);
    if (second != std::string::npos) {
        const std::string answer = Answer(request.substr(first + 1, second - first - 1));
        size_t sent = 0;
        while (sent < answer.size() && !m_bStopping) {
            const ssize_t count =
                send(sock, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
            if (count <= 0 && errno != EINTR) {
                break;
            }
            sent += count > 0 ? static_cast<size_t>(count) : 0;
        }
    }
    std::lock_guard lock(m_lock);
    close(sock);
    connection->sock = -1;
    connection->done = true;
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
