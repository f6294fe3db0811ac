#include "support/FixtureServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {
constexpr size_t kRequestLimitBytes = 64 * 1024;
constexpr std::chrono::milliseconds kRequestTimeout{10000};
// A client that stops reading for this long is given up on.
constexpr std::chrono::milliseconds kSendStall{30000};
// Longest a silent answer holds a connection when neither side closes it.
constexpr std::chrono::milliseconds kSilentLimit{120000};
// Poll slice of the accept thread, so a missed wake-up costs little.
constexpr int kAcceptSliceMs = 200;

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1000));
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return "";
    }
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// Finds "name:" among the header lines (the request line is skipped).
bool FindHeader(const std::string& raw, const std::string& name, std::string& value) {
    size_t start = raw.find('\n');
    while (start != std::string::npos && start + 1 < raw.size()) {
        const size_t end = raw.find('\n', start + 1);
        const std::string line =
            raw.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
        const size_t colon = line.find(':');
        if (colon != std::string::npos &&
            strcasecmp(Trim(line.substr(0, colon)).c_str(), name.c_str()) == 0) {
            value = Trim(line.substr(colon + 1));
            return true;
        }
        start = end;
    }
    return false;
}

// "Basic X" with exactly the expected X; the scheme name has no case.
bool Authorized(const FixtureServer::Request& request, const std::string& expected,
                const std::string& header = "Authorization") {
    const std::string value = request.Header(header);
    const size_t space = value.find(' ');
    if (space != 5 || strncasecmp(value.c_str(), "Basic", 5) != 0) {
        return false;
    }
    return Trim(value.substr(space)) == expected;
}

FixtureServer::Request Parse(const std::string& raw) {
    FixtureServer::Request request;
    request.raw = raw;
    request.requestLine = raw.substr(0, raw.find('\n'));
    if (!request.requestLine.empty() && request.requestLine.back() == '\r') {
        request.requestLine.pop_back();
    }
    const size_t space = request.requestLine.find(' ');
    if (space != std::string::npos) {
        const size_t end = request.requestLine.find(' ', space + 1);
        request.target = request.requestLine.substr(
            space + 1, end == std::string::npos ? std::string::npos : end - space - 1);
    }
    return request;
}

bool IsLoopback(const in_addr& address) {
    return (ntohl(address.s_addr) >> 24) == 127;
}
}  // namespace

std::string FixtureServer::Request::Header(const std::string& name) const {
    std::string value;
    FindHeader(raw, name, value);
    return value;
}

bool FixtureServer::Request::HasHeader(const std::string& name) const {
    std::string value;
    return FindHeader(raw, name, value);
}

FixtureServer::FixtureServer(const std::string& bindAddress) : m_strAddress(bindAddress) {
    m_defaultResponse = Status(404, "Not Found");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    if (inet_pton(AF_INET, bindAddress.c_str(), &address.sin_addr) != 1 ||
        !IsLoopback(address.sin_addr)) {
        ADD_FAILURE() << "FixtureServer binds only to 127.0.0.0/8, not " << bindAddress;
        return;
    }
    int wake[2];
    if (pipe2(wake, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe2: " << strerror(errno);
        return;
    }
    m_sockWakeRead = wake[0];
    m_sockWakeWrite = wake[1];

    m_sockListen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const int one = 1;
    socklen_t length = sizeof address;
    if (m_sockListen < 0 ||
        setsockopt(m_sockListen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0 ||
        bind(m_sockListen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_sockListen, SOMAXCONN) != 0 ||
        getsockname(m_sockListen, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ADD_FAILURE() << "FixtureServer cannot listen on " << bindAddress << ": "
                      << strerror(errno);
        return;
    }
    m_nPort = ntohs(address.sin_port);
    m_hAccept = std::thread(&FixtureServer::AcceptLoop, this);
}

FixtureServer::~FixtureServer() {
    {
        std::lock_guard<std::mutex> lock(m_cs);
        m_bStopping = true;
        // Wakes handlers blocked on their socket; they close it themselves.
        for (const auto& connection : m_connections) {
            if (connection->sock >= 0) {
                shutdown(connection->sock, SHUT_RDWR);
            }
        }
    }
    m_cvChanged.notify_all();
    if (m_sockWakeWrite >= 0) {
        close(m_sockWakeWrite);
    }
    if (m_hAccept.joinable()) {
        m_hAccept.join();
    }
    // The accept thread is gone, so the list no longer changes.
    for (const auto& connection : m_connections) {
        if (connection->hThread.joinable()) {
            connection->hThread.join();
        }
    }
    if (m_sockListen >= 0) {
        close(m_sockListen);
    }
    if (m_sockWakeRead >= 0) {
        close(m_sockWakeRead);
    }
}

int FixtureServer::Port() const {
    return m_nPort;
}

std::string FixtureServer::Address() const {
    return m_strAddress;
}

std::string FixtureServer::HostPort() const {
    return m_strAddress + ":" + std::to_string(m_nPort);
}

std::string FixtureServer::Url(const std::string& path) const {
    std::lock_guard<std::mutex> lock(m_cs);
    return (m_tls ? "https://" : "http://") + HostPort() + path;
}

void FixtureServer::EnableTls(const std::string& certPemPath, const std::string& keyPemPath,
                              bool bOnlyTls12) {
    auto tls = std::make_shared<FixtureTlsContext>(certPemPath, keyPemPath, bOnlyTls12);
    if (!tls->Valid()) {
        return;
    }
    std::lock_guard<std::mutex> lock(m_cs);
    m_tls = std::move(tls);
}

void FixtureServer::SetSilentHandshake(bool bSilent) {
    std::lock_guard<std::mutex> lock(m_cs);
    m_bSilentHandshake = bSilent;
}

int FixtureServer::TlsHandshakes() const {
    return m_nTlsHandshakes.load();
}

int FixtureServer::TlsResumed() const {
    return m_nTlsResumed.load();
}

void FixtureServer::Route(const std::string& target, Response response) {
    std::lock_guard<std::mutex> lock(m_cs);
    m_routes[target] = std::move(response);
}

void FixtureServer::SetDefault(Response response) {
    std::lock_guard<std::mutex> lock(m_cs);
    m_defaultResponse = std::move(response);
}

void FixtureServer::RoutePrefix(const std::string& prefix, Response response) {
    std::lock_guard<std::mutex> lock(m_cs);
    m_prefixRoutes[prefix] = std::move(response);
}

std::vector<FixtureServer::Request> FixtureServer::Requests() const {
    std::lock_guard<std::mutex> lock(m_cs);
    return m_requests;
}

size_t FixtureServer::RequestCount() const {
    std::lock_guard<std::mutex> lock(m_cs);
    return m_requests.size();
}

bool FixtureServer::WaitForRequests(size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(m_cs);
    return m_cvChanged.wait_for(lock, timeout, [&] { return m_requests.size() >= count; });
}

int FixtureServer::OpenConnections() const {
    return m_nOpen.load();
}

FixtureServer::Response FixtureServer::Ok(const std::string& body, const std::string& contentType,
                                          bool withLength) {
    Response response;
    response.bytes = "HTTP/1.0 200 OK\r\n";
    if (!contentType.empty()) {
        response.bytes += "Content-Type: " + contentType + "\r\n";
    }
    if (withLength) {
        response.bytes += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    }
    response.bytes += "\r\n" + body;
    return response;
}

FixtureServer::Response FixtureServer::Status(int code, const std::string& reason,
                                              const std::string& extraHeaders) {
    const std::string status = std::to_string(code) + " " + reason;
    const std::string body = "<html><body><h1>" + status + "</h1></body></html>\n";
    Response response;
    response.bytes = "HTTP/1.0 " + status + "\r\n" + extraHeaders;
    if (!extraHeaders.empty() && extraHeaders.back() != '\n') {
        response.bytes += "\r\n";
    }
    response.bytes += "Content-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
                      "\r\n\r\n" + body;
    return response;
}

void FixtureServer::AcceptLoop() {
    for (;;) {
        pollfd fds[2] = {{m_sockListen, POLLIN, 0}, {m_sockWakeRead, POLLIN, 0}};
        const int ready = poll(fds, 2, kAcceptSliceMs);
        if (fds[1].revents != 0 || (ready < 0 && errno != EINTR)) {
            return;
        }
        JoinFinished();
        if (ready <= 0 || (fds[0].revents & POLLIN) == 0) {
            continue;
        }
        const int sock = accept4(m_sockListen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (sock < 0) {
            continue;
        }
        const Clock::time_point arrived = Clock::now();
        std::lock_guard<std::mutex> lock(m_cs);
        if (m_bStopping) {
            close(sock);
            return;
        }
        ++m_nOpen;
        auto connection = std::make_unique<Connection>();
        connection->sock = sock;
        Connection* served = connection.get();
        m_connections.push_back(std::move(connection));
        served->hThread = std::thread(&FixtureServer::Serve, this, served, sock, arrived);
    }
}

// Called by the accept thread only, so that many short connections do not
// pile up threads.
void FixtureServer::JoinFinished() {
    std::list<std::unique_ptr<Connection>> finished;
    {
        std::lock_guard<std::mutex> lock(m_cs);
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            auto next = std::next(it);
            if ((*it)->bDone.load()) {
                finished.splice(finished.end(), m_connections, it);
            }
            it = next;
        }
    }
    for (const auto& connection : finished) {
        connection->hThread.join();
    }
}

// The handler thread of one connection; sock is connection->sock.
void FixtureServer::Serve(Connection* connection, int sock, Clock::time_point arrived) {
    std::shared_ptr<FixtureTlsContext> tls;
    bool silentHandshake = false;
    {
        std::lock_guard<std::mutex> lock(m_cs);
        tls = m_tls;
        silentHandshake = m_bSilentHandshake;
    }
    FixtureStream stream(sock);
    if (tls && silentHandshake) {
        HoldOpen(stream);
        CloseConnection(connection, stream, false, false);
        return;
    }
    if (tls) {
        if (!stream.Accept(*tls, m_sockWakeRead, Clock::now() + kRequestTimeout)) {
            CloseConnection(connection, stream, false, false);
            return;
        }
        ++m_nTlsHandshakes;
        if (stream.Resumed()) {
            ++m_nTlsResumed;
        }
    }
    std::string raw;
    std::string rest;
    bool reset = false;
    bool notify = true;
    if (ReadRequest(stream, raw, rest)) {
        Request request = Parse(raw);
        request.serverName = stream.ServerName();
        request.arrived = arrived;
        const bool connect = request.requestLine.starts_with("CONNECT ");
        const std::optional<Response> response =
            connect ? ChooseConnect(request) : std::optional<Response>(Choose(request));
        {
            std::lock_guard<std::mutex> lock(m_cs);
            m_requests.push_back(request);
        }
        m_cvChanged.notify_all();
        if (!response) {
            Tunnel(stream, request.target, rest);
        } else if (response->silent) {
            HoldOpen(stream);
        } else if (Pause(response->delayBeforeAnswer)) {
            if (response->reset) {
                reset = true;
            } else {
                Answer(stream, *response);
            }
        }
        notify = !response || !response->skipCloseNotify;
    }
    CloseConnection(connection, stream, reset, notify);
}

// Reads up to and including the blank line; false on timeout, overflow,
// close or stop.
bool FixtureServer::ReadRequest(FixtureStream& stream, std::string& raw, std::string& rest) {
    const auto deadline = Clock::now() + kRequestTimeout;
    for (;;) {
        // The earlier of "\r\n\r\n" and a bare "\n\n" ends the header.
        const size_t crlf = raw.find("\r\n\r\n");
        const size_t lf = raw.find("\n\n");
        if (crlf != std::string::npos || lf != std::string::npos) {
            const size_t end = std::min(crlf == std::string::npos ? std::string::npos : crlf + 4,
                                        lf == std::string::npos ? std::string::npos : lf + 2);
            rest = raw.substr(end);
            raw.resize(end);
            return true;
        }
        if (raw.size() >= kRequestLimitBytes || Clock::now() >= deadline) {
            return false;
        }
        // Read before polling: TLS may hold bytes the socket no longer shows.
        char buffer[4096];
        const ssize_t got =
            stream.Read(buffer, std::min(sizeof buffer, kRequestLimitBytes - raw.size()));
        if (got > 0) {
            raw.append(buffer, static_cast<size_t>(got));
            continue;
        }
        if (got != FixtureStream::kWouldBlock) {
            return false;
        }
        pollfd fds[2] = {{stream.Sock(), stream.ReadEvents(), 0}, {m_sockWakeRead, POLLIN, 0}};
        if ((poll(fds, 2, MillisecondsLeft(deadline)) < 0 && errno != EINTR) ||
            fds[1].revents != 0) {
            return false;
        }
    }
}

std::optional<FixtureServer::Response> FixtureServer::ChooseConnect(const Request& request) const {
    std::optional<Response> routed;
    {
        std::lock_guard<std::mutex> lock(m_cs);
        if (auto found = m_routes.find("CONNECT " + request.target); found != m_routes.end()) {
            routed = found->second;
        }
    }
    if (routed && routed->requiredAuthorization.empty()) {
        return routed;
    }
    if (routed && !Authorized(request, routed->requiredAuthorization, "Proxy-Authorization")) {
        Response refusal;
        refusal.bytes = routed->unauthorizedBytes.empty()
                            ? Status(407, "Proxy Authentication Required",
                                     "Proxy-Authenticate: Basic realm=\"fixture\"\r\n")
                                  .bytes
                            : routed->unauthorizedBytes;
        return refusal;
    }
    const std::string host = request.target.substr(0, request.target.rfind(':'));
    in_addr address{};
    if (inet_pton(AF_INET, host.c_str(), &address) != 1 || !IsLoopback(address)) {
        return Status(502, "Bad Gateway");
    }
    return std::nullopt;
}

FixtureServer::Response FixtureServer::Choose(const Request& request) const {
    Response response;
    {
        std::lock_guard<std::mutex> lock(m_cs);
        response = m_defaultResponse;
        if (auto exact = m_routes.find(request.target); exact != m_routes.end()) {
            response = exact->second;
        } else {
            size_t longest = 0;
            for (const auto& [prefix, routed] : m_prefixRoutes) {
                if (request.target.starts_with(prefix) && prefix.size() >= longest) {
                    longest = prefix.size();
                    response = routed;
                }
            }
        }
    }
    if (!response.requiredAuthorization.empty() &&
        !Authorized(request, response.requiredAuthorization)) {
        Response refusal;
        refusal.bytes =
            response.unauthorizedBytes.empty()
                ? Status(401, "Unauthorized", "WWW-Authenticate: Basic realm=\"fixture\"\r\n").bytes
                : response.unauthorizedBytes;
        return refusal;
    }
    return response;
}

void FixtureServer::Answer(FixtureStream& stream, const Response& response) {
    const size_t piece = response.chunkSize == 0 ? response.bytes.size() : response.chunkSize;
    for (size_t offset = 0; offset < response.bytes.size(); offset += piece) {
        if (offset > 0 && !Pause(response.chunkDelay)) {
            return;
        }
        const size_t length = std::min(piece, response.bytes.size() - offset);
        if (!SendBounded(stream, response.bytes.data() + offset, length)) {
            return;
        }
    }
}

// Never blocks past a stall of kSendStall or the fixture's stop.
bool FixtureServer::SendBounded(FixtureStream& stream, const char* bytes, size_t length) {
    size_t sent = 0;
    auto deadline = Clock::now() + kSendStall;
    while (sent < length) {
        const ssize_t done = stream.Write(bytes + sent, length - sent);
        if (done > 0) {
            sent += static_cast<size_t>(done);
            deadline = Clock::now() + kSendStall;
            continue;
        }
        if (done != FixtureStream::kWouldBlock || Clock::now() >= deadline) {
            return false;
        }
        pollfd fds[2] = {{stream.Sock(), stream.WriteEvents(), 0}, {m_sockWakeRead, POLLIN, 0}};
        if ((poll(fds, 2, MillisecondsLeft(deadline)) < 0 && errno != EINTR) ||
            fds[1].revents != 0) {
            return false;
        }
    }
    return true;
}

// Returns when the client closes, the fixture stops, or kSilentLimit passes.
void FixtureServer::HoldOpen(FixtureStream& stream) {
    const auto deadline = Clock::now() + kSilentLimit;
    while (Clock::now() < deadline) {
        pollfd fds[2] = {{stream.Sock(), POLLIN | POLLRDHUP, 0}, {m_sockWakeRead, POLLIN, 0}};
        if ((poll(fds, 2, MillisecondsLeft(deadline)) < 0 && errno != EINTR) ||
            fds[1].revents != 0) {
            return;
        }
        if ((fds[0].revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0) {
            return;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            // Whatever comes is dropped; over TLS it may be a record that
            // carries nothing for the application.
            char buffer[4096];
            const ssize_t got = stream.Read(buffer, sizeof buffer);
            if (got == 0 || (got < 0 && got != FixtureStream::kWouldBlock)) {
                return;
            }
        }
    }
}

// Sleeps for delay unless the fixture stops first; true when not stopping.
bool FixtureServer::Pause(std::chrono::milliseconds delay) {
    std::unique_lock<std::mutex> lock(m_cs);
    return !m_cvChanged.wait_for(lock, delay, [&] { return m_bStopping; });
}

void FixtureServer::CloseConnection(Connection* connection, FixtureStream& stream, bool reset,
                                    bool notify) {
    const int sock = stream.Sock();
    if (!reset && notify) {
        stream.SendCloseNotify();
    }
    // Counted down first, so a client that has seen the end also sees the count drop.
    --m_nOpen;
    if (reset) {
        const linger abort{1, 0};
        setsockopt(sock, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    } else {
        // Unread bytes at close would turn the FIN into a reset and could
        // cost the client the end of the answer.
        shutdown(sock, SHUT_WR);
        char buffer[4096];
        for (int i = 0; i < 16 && recv(sock, buffer, sizeof buffer, MSG_DONTWAIT) > 0; ++i) {
        }
    }
    {
        // Under the lock, so the destructor never shuts down a reused descriptor.
        std::lock_guard<std::mutex> lock(m_cs);
        close(sock);
        connection->sock = -1;
    }
    connection->bDone = true;
}

int ClosedPort() {
    const int sock = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (sock >= 0 && bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    if (sock >= 0) {
        close(sock);
    }
    return port;
}
