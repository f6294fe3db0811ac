#include "server/LocalServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <system_error>

namespace {
constexpr int kListenBacklog = 64;
constexpr int kAcceptSliceMs = 200;  // how soon the accept thread sees a stop
constexpr int kSendTimeoutSeconds = 10;  // a client that stops reading is dropped
}  // namespace

CLocalServer::CLocalServer(std::function<void(int sock)> handler) : m_handler(std::move(handler)) {}

CLocalServer::~CLocalServer() {
    Stop();
}

bool CLocalServer::Start(int port, const std::string& address) {
    m_sockListen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_sockListen < 0) {
        return false;
    }
    const int reuse = 1;
    setsockopt(m_sockListen, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_port = htons(static_cast<uint16_t>(port));
    socklen_t length = sizeof bound;
    // Loopback only: the server is never reachable from another machine.
    const bool loopback = inet_aton(address.c_str(), &bound.sin_addr) != 0 &&
                          (ntohl(bound.sin_addr.s_addr) >> 24) == 127;
    if (!loopback || bind(m_sockListen, reinterpret_cast<sockaddr*>(&bound), sizeof bound) != 0 ||
        getsockname(m_sockListen, reinterpret_cast<sockaddr*>(&bound), &length) != 0 ||
        listen(m_sockListen, kListenBacklog) != 0) {
        close(m_sockListen);
        m_sockListen = -1;
        return false;
    }
    m_nPort = ntohs(bound.sin_port);
    m_bStopping = false;
    m_acceptThread = std::thread([this] { AcceptLoop(); });
    return true;
}

void CLocalServer::Stop() {
    if (m_sockListen < 0) {
        return;
    }
    {
        // Set under the lock the accept thread waits with, so that the wake-up
        // cannot fall between its check and its wait.
        std::lock_guard lock(m_lock);
        m_bStopping = true;
    }
    m_slotFreed.notify_all();
    shutdown(m_sockListen, SHUT_RDWR);
    if (m_acceptThread.joinable()) {
        m_acceptThread.join();
    }
    // Connection threads end on their own once they see the stop.
    std::list<Connection> connections;
    {
        std::lock_guard lock(m_lock);
        connections = std::move(m_connections);
        m_connections.clear();
    }
    for (Connection& connection : connections) {
        connection.thread.join();
    }
    close(m_sockListen);
    m_sockListen = -1;
}

int CLocalServer::ActiveConnections() const {
    std::lock_guard lock(m_lock);
    return m_nActive;
}

void CLocalServer::JoinFinished() {
    std::list<Connection> finished;
    {
        std::lock_guard lock(m_lock);
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            const auto next = std::next(it);
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

void CLocalServer::AcceptLoop() {
    while (!m_bStopping) {
        {
            std::unique_lock lock(m_lock);
            m_slotFreed.wait(lock, [this] { return m_bStopping || m_nActive < kMaxConnections; });
        }
        JoinFinished();
        pollfd entry{m_sockListen, POLLIN, 0};
        if (poll(&entry, 1, kAcceptSliceMs) <= 0) {
            continue;
        }
        const int sock = accept4(m_sockListen, nullptr, nullptr, SOCK_CLOEXEC);
        if (sock < 0) {
            if (errno == EMFILE || errno == ENFILE) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));  // wait for descriptors
                continue;
            }
            if (errno == EINTR || errno == ECONNABORTED || errno == EAGAIN) {
                continue;
            }
            return;  // the listening socket was shut down
        }
        const timeval sendTimeout{kSendTimeoutSeconds, 0};
        setsockopt(sock, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);

        std::lock_guard lock(m_lock);
        ++m_nActive;
        Connection& connection = m_connections.emplace_back();
        try {
            connection.thread = std::thread([this, &connection, sock] {
                m_handler(sock);
                std::lock_guard doneLock(m_lock);
                connection.done = true;
                --m_nActive;
                m_slotFreed.notify_all();
            });
        } catch (const std::system_error&) {
            m_connections.pop_back();  // no thread to serve it: drop the connection
            --m_nActive;
            close(sock);
        }
    }
}
