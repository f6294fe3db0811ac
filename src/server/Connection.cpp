#include "server/Connection.h"

#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include "common/SendAll.h"

namespace {
// How long one send may wait for room in the socket before the stop and the
// time limit are looked at again.
constexpr suseconds_t kSendSliceMicroseconds = 100 * 1000;
}  // namespace

CConnection::CConnection(int sock, const std::atomic<bool>& bStopping,
                         std::chrono::milliseconds timeLimit)
    : m_sock(sock), m_bStopping(bStopping), m_timeLimit(timeLimit) {
    const timeval slice{0, kSendSliceMicroseconds};
    setsockopt(m_sock, SOL_SOCKET, SO_SNDTIMEO, &slice, sizeof slice);
    RenewTimeLimit();
}

CConnection::~CConnection() {
    Close();
}

void CConnection::RenewTimeLimit() {
    m_deadline = Clock::now() + m_timeLimit;
}

bool CConnection::GoOn() const {
    return !m_bStopping && Clock::now() < m_deadline;
}

bool CConnection::Send(std::string_view bytes) {
    if (m_sock < 0) {
        return false;
    }
    if (!GoOn()) {
        Close();
        return false;
    }
    bool closed = false;
    if (SendAll(m_sock, bytes.data(), bytes.size(), &closed, [this] { return GoOn(); }) >= 0) {
        return true;
    }
    if (closed) {
        m_sock = -1;
    }
    Close();
    return false;
}

void CConnection::Close() {
    if (m_sock >= 0) {
        shutdown(m_sock, SHUT_RDWR);
        close(m_sock);
        m_sock = -1;
    }
}
