#include "server/LocalServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "server/Connection.h"
#include "server/RequestReader.h"

namespace {
constexpr int kListenBacklog = 256;
constexpr int kPollSliceMs = 100;  // how soon the accept thread sees a stop
// After a failed accept (no descriptors or memory left, a network error passed
// on by the system) the listening socket rests this long, then is tried again.
constexpr auto kAcceptPause = std::chrono::milliseconds(100);

// accept4 fails for good only when the listening socket itself is gone.
bool ListenerGone(int error) {
    return error == EBADF || error == EINVAL || error == ENOTSOCK || error == EFAULT;
}
}  // namespace

CLocalServer::CLocalServer(Handler handler)
    : m_handler(std::move(handler)), m_fnAccept([](int sockListen) {
          return accept4(sockListen, nullptr, nullptr, SOCK_CLOEXEC);
      }) {}

CLocalServer::~CLocalServer() {
    Stop();
}

void CLocalServer::SetTimeLimits(std::chrono::milliseconds request,
                                 std::chrono::milliseconds answer) {
    m_requestTimeLimit = request;
    m_answerTimeLimit = answer;
}

void CLocalServer::SetAcceptFunction(AcceptFunction fnAccept) {
    m_fnAccept = std::move(fnAccept);
}

bool CLocalServer::Start(int port, const std::string& address) {
    // Non-blocking: the accept thread takes every waiting connection at once.
    m_sockListen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
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
        const int error = loopback ? errno : EADDRNOTAVAIL;
        close(m_sockListen);
        m_sockListen = -1;
        errno = error;
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
    m_bStopping = true;
    shutdown(m_sockListen, SHUT_RDWR);
    if (m_acceptThread.joinable()) {
        m_acceptThread.join();
    }
    // Connection threads end on their own once their sends see the stop.
    std::list<Connection> connections;
    {
        CLock lock(m_lock);
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
    CLock lock(m_lock);
    return m_nActive;
}

void CLocalServer::JoinFinished() {
    std::list<Connection> finished;
    {
        CLock lock(m_lock);
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
    CRequestReader reader(m_requestTimeLimit);
    while (!m_bStopping) {
        JoinFinished();
        Dispatch(reader);
        const bool accepting =
            reader.HasRoom() && std::chrono::steady_clock::now() >= m_acceptPausedUntil;
        if (reader.Poll(accepting ? m_sockListen : -1, kPollSliceMs) && !m_bStopping &&
            !AcceptWaiting(reader)) {
            break;
        }
    }
    reader.CloseAll();
}

bool CLocalServer::AcceptWaiting(CRequestReader& reader) {
    while (reader.HasRoom()) {
        const int sock = m_fnAccept(m_sockListen);
        if (sock >= 0) {
            reader.Add(sock);
            continue;
        }
        if (ListenerGone(errno)) {
            return false;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return true;  // none left
        }
        // Anything but an interrupted call or a connection aborted meanwhile
        // (EMFILE, ENFILE, ENOBUFS, ENOMEM, EPROTO, ENETDOWN, EHOSTUNREACH,
        // ...) passes with time, while the listening socket stays readable.
        if (errno != EINTR && errno != ECONNABORTED) {
            m_acceptPausedUntil = std::chrono::steady_clock::now() + kAcceptPause;
            return true;
        }
    }
    return true;
}

void CLocalServer::Dispatch(CRequestReader& reader) {
    CLock lock(m_lock);
    while (m_nActive < kMaxConnections) {
        std::optional<CRequestReader::CRequest> request = reader.TakeWhole();
        if (!request) {
            return;
        }
        ++m_nActive;
        Connection& connection = m_connections.emplace_back();
        try {
            connection.thread = std::thread([this, &connection, sock = request->m_sock,
                                             text = std::move(request->m_strText)] {
                {
                    CConnection answering(sock, m_bStopping, m_answerTimeLimit);
                    m_handler(answering, text);
                }
                CLock doneLock(m_lock);
                connection.done = true;
                --m_nActive;
            });
        } catch (const std::system_error&) {
            m_connections.pop_back();  // no thread to answer it: drop the connection
            --m_nActive;
            close(request->m_sock);
            return;
        }
    }
}
