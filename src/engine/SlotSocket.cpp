#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "engine/TlsStream.h"
#include "task/QuobrixDoc.h"

namespace {
// Waits are cut into short slices so that an abort is seen within one
// slice even when it arrives before the wait begins.
constexpr int kSliceMs = 100;
}  // namespace

bool CQuobrixDoc::BeginFetch(int slot) {
    // Under the run's lock: a pause or abort that came after the worker's
    // last check is seen here, and one that comes later marks this fetch.
    CLock lock(m_csSlots);
    if (m_bStop) {
        return false;
    }
    CLock socketLock(m_csSlotSocket[slot]);
    m_bSlotAborted[slot] = false;
    return true;
}

bool CQuobrixDoc::OpenSlotSocket(int slot) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    CLock lock(m_csSlotSocket[slot]);
    m_sockSlot[slot] = fd;
    return true;
}

void CQuobrixDoc::CloseSlotSocket(int slot) {
    // The TLS goes before the descriptor it writes its goodbye to.
    m_tlsSlot[slot].reset();
    m_tlsSlotContext[slot].reset();
    CLock lock(m_csSlotSocket[slot]);
    if (m_sockSlot[slot] >= 0) {
        close(m_sockSlot[slot]);
        m_sockSlot[slot] = -1;
    }
}

void CQuobrixDoc::AbortSlot(int slot) {
    CLock lock(m_csSlotSocket[slot]);
    m_bSlotAborted[slot] = true;
    if (m_sockSlot[slot] >= 0) {
        shutdown(m_sockSlot[slot], SHUT_RDWR);  // wakes a blocked wait at once
    }
}

void CQuobrixDoc::AbortAllSlots() {
    for (int slot = 0; slot < SLOT_COUNT; ++slot) {
        AbortSlot(slot);
    }
}

bool CQuobrixDoc::WaitSlot(int slot, short events, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (m_bSlotAborted[slot]) {
            errno = ECANCELED;
            return false;
        }
        int slice = kSliceMs;
        if (timeoutMs > 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) {
                errno = ETIMEDOUT;
                return false;
            }
            slice = static_cast<int>(std::min<long long>(left, kSliceMs));
        }
        pollfd entry{m_sockSlot[slot], events, 0};
        const int ready = poll(&entry, 1, slice);
        if (ready < 0 && errno != EINTR) {
            return false;
        }
        if (ready > 0) {
            if (m_bSlotAborted[slot]) {
                errno = ECANCELED;
                return false;
            }
            return true;
        }
    }
}

int CQuobrixDoc::ConnectSlotSocket(int slot, const sockaddr_in& address, int timeoutMs) {
    if (connect(m_sockSlot[slot], reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        return 0;
    }
    if (errno != EINPROGRESS) {
        return -1;
    }
    if (!WaitSlot(slot, POLLOUT, timeoutMs)) {
        return -1;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(m_sockSlot[slot], SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        return -1;
    }
    if (error != 0) {
        errno = error;
        return -1;
    }
    return 0;
}

bool CQuobrixDoc::SendSlot(int slot, const std::string& bytes, int timeoutMs) {
    if (m_tlsSlot[slot]) {
        return SendSlotTls(slot, bytes, timeoutMs);
    }
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count =
            send(m_sockSlot[slot], bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count >= 0) {
            sent += static_cast<size_t>(count);
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!WaitSlot(slot, POLLOUT, timeoutMs)) {
                return false;
            }
        } else if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

ssize_t CQuobrixDoc::ReceiveSlot(int slot, char* buffer, size_t size, int timeoutMs) {
    if (m_tlsSlot[slot]) {
        return ReceiveSlotTls(slot, buffer, size, timeoutMs);
    }
    for (;;) {
        if (!WaitSlot(slot, POLLIN, timeoutMs)) {
            return -1;
        }
        const ssize_t count = recv(m_sockSlot[slot], buffer, size, 0);
        if (m_bSlotAborted[slot]) {
            errno = ECANCELED;  // an abort's shutdown reads as an end of data
            return -1;
        }
        if (count >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            return count;
        }
    }
}

// The errno of a failed TLS step: an abort, the socket's own error, or a
// connection the peer broke.
int CQuobrixDoc::TlsErrno(int slot, const CTlsStream& stream) const {
    if (m_bSlotAborted[slot]) {
        return ECANCELED;
    }
    return stream.SystemError() != 0 ? stream.SystemError() : ECONNRESET;
}

bool CQuobrixDoc::SendSlotTls(int slot, const std::string& bytes, int timeoutMs) {
    CTlsStream& stream = *m_tlsSlot[slot];
    size_t sent = 0;
    while (sent < bytes.size()) {
        size_t written = 0;
        const TlsStep step = stream.Write(bytes.data() + sent, bytes.size() - sent, written);
        if (step == TlsStep::Done) {
            sent += written;
        } else if (step == TlsStep::Failed) {
            errno = TlsErrno(slot, stream);
            return false;
        } else if (!WaitSlot(slot, step == TlsStep::WantRead ? POLLIN : POLLOUT, timeoutMs)) {
            return false;
        }
    }
    return true;
}

ssize_t CQuobrixDoc::ReceiveSlotTls(int slot, char* buffer, size_t size, int timeoutMs) {
    CTlsStream& stream = *m_tlsSlot[slot];
    for (;;) {
        if (m_bSlotAborted[slot]) {
            errno = ECANCELED;
            return -1;
        }
        size_t got = 0;
        const TlsStep step = stream.Read(buffer, size, got);
        if (step == TlsStep::Done) {
            if (m_bSlotAborted[slot]) {
                errno = ECANCELED;  // an abort's shutdown reads as an end of data
                return -1;
            }
            return static_cast<ssize_t>(got);
        }
        if (step == TlsStep::Failed) {
            errno = TlsErrno(slot, stream);
            return -1;
        }
        if (!WaitSlot(slot, step == TlsStep::WantRead ? POLLIN : POLLOUT, timeoutMs)) {
            return -1;
        }
    }
}
