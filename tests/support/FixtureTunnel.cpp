// FixtureServer as a CONNECT proxy: the tunnel to a loopback target.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "support/FixtureServer.h"

namespace {
constexpr std::chrono::milliseconds kConnectTimeout{10000};
// A tunnel that carries nothing either way for this long is closed.
constexpr std::chrono::milliseconds kIdleLimit{120000};
constexpr int kSliceMs = 200;

using Clock = std::chrono::steady_clock;

int SliceUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, kSliceMs));
}

// "127.0.0.1:8443" on loopback only; false for anything else.
bool ParseTarget(const std::string& target, sockaddr_in& address) {
    const size_t colon = target.rfind(':');
    if (colon == std::string::npos || colon + 1 >= target.size()) {
        return false;
    }
    char* end = nullptr;
    const long port = std::strtol(target.c_str() + colon + 1, &end, 10);
    if (*end != '\0' || port <= 0 || port > 65535) {
        return false;
    }
    address = sockaddr_in{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    return inet_pton(AF_INET, target.substr(0, colon).c_str(), &address.sin_addr) == 1 &&
           (ntohl(address.sin_addr.s_addr) >> 24) == 127;
}

// Moves what one side has sent on to the other; false once either side
// has closed or failed. A new read waits until the last bytes are gone.
bool Pump(FixtureStream& from, FixtureStream& to, std::string& pending, bool& progress) {
    if (pending.empty()) {
        char buffer[16384];
        const ssize_t got = from.Read(buffer, sizeof buffer);
        if (got == 0 || (got < 0 && got != FixtureStream::kWouldBlock)) {
            return false;
        }
        if (got > 0) {
            pending.assign(buffer, static_cast<size_t>(got));
            progress = true;
        }
    }
    if (!pending.empty()) {
        const ssize_t sent = to.Write(pending.data(), pending.size());
        if (sent < 0 && sent != FixtureStream::kWouldBlock) {
            return false;
        }
        if (sent > 0) {
            pending.erase(0, static_cast<size_t>(sent));
            progress = true;
        }
    }
    return true;
}

// What to poll a side for: reading while nothing of its own waits to go
// out, writing while the other side's bytes wait for it.
short EventsOf(const FixtureStream& side, const std::string& fromSide, const std::string& toSide) {
    return static_cast<short>((fromSide.empty() ? side.ReadEvents() : 0) |
                              (toSide.empty() ? 0 : side.WriteEvents()));
}
}  // namespace

void FixtureServer::Tunnel(FixtureStream& client, const std::string& target,
                           const std::string& early) {
    const int sock = ConnectUpstream(target);
    if (sock < 0) {
        const Response refusal = Status(502, "Bad Gateway");
        (void)SendBounded(client, refusal.bytes.data(), refusal.bytes.size());  // closes anyway
        return;
    }
    static const std::string kEstablished = "HTTP/1.0 200 Connection established\r\n\r\n";
    if (SendBounded(client, kEstablished.data(), kEstablished.size())) {
        FixtureStream upstream(sock);
        Relay(client, upstream, early);
    }
    close(sock);
}

// A connected socket to target, or -1; bounded by kConnectTimeout and the stop.
int FixtureServer::ConnectUpstream(const std::string& target) {
    sockaddr_in address{};
    if (!ParseTarget(target, address)) {
        return -1;
    }
    const int sock = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (sock < 0) {
        return -1;
    }
    if (connect(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        return sock;
    }
    const auto deadline = Clock::now() + kConnectTimeout;
    while (errno == EINPROGRESS || errno == EINTR) {
        pollfd fds[2] = {{sock, POLLOUT, 0}, {m_sockWakeRead, POLLIN, 0}};
        const int ready = poll(fds, 2, SliceUntil(deadline));
        if (fds[1].revents != 0 || (ready < 0 && errno != EINTR) || Clock::now() >= deadline) {
            break;
        }
        if (ready > 0) {
            int error = 0;
            socklen_t length = sizeof error;
            if (getsockopt(sock, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) {
                return sock;
            }
            break;
        }
        errno = EINPROGRESS;
    }
    close(sock);
    return -1;
}

// Until either side closes, the fixture stops, or kIdleLimit passes quietly.
void FixtureServer::Relay(FixtureStream& client, FixtureStream& upstream, std::string toUpstream) {
    std::string toClient;
    auto idleDeadline = Clock::now() + kIdleLimit;
    bool hangUp = false;
    for (;;) {
        bool progress = false;
        if (!Pump(client, upstream, toUpstream, progress) ||
            !Pump(upstream, client, toClient, progress)) {
            return;
        }
        if (progress) {
            idleDeadline = Clock::now() + kIdleLimit;
            hangUp = false;
            continue;
        }
        // A side that hung up while the other takes nothing more.
        if (hangUp || Clock::now() >= idleDeadline) {
            return;
        }
        pollfd fds[3] = {{client.Sock(), EventsOf(client, toUpstream, toClient), 0},
                         {upstream.Sock(), EventsOf(upstream, toClient, toUpstream), 0},
                         {m_sockWakeRead, POLLIN, 0}};
        if ((poll(fds, 3, SliceUntil(idleDeadline)) < 0 && errno != EINTR) || fds[2].revents != 0) {
            return;
        }
        hangUp = ((fds[0].revents | fds[1].revents) & (POLLHUP | POLLERR)) != 0;
    }
}
