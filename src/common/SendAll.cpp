#include "common/SendAll.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace {
// MSG_NOSIGNAL: a peer that went away must not raise SIGPIPE in the process.
ssize_t SendOnce(int sock, const char* bytes, size_t length, const std::function<bool()>& fnGoOn) {
    ssize_t sent;
    for (;;) {
        sent = send(sock, bytes, length, MSG_NOSIGNAL);
        const bool timedOut = sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        if (!(sent < 0 && errno == EINTR) && !(timedOut && fnGoOn && fnGoOn())) {
            return sent;
        }
    }
}
}  // namespace

ssize_t SendAll(int sock, const char* bytes, size_t length, bool* pClosed,
                const std::function<bool()>& fnGoOn) {
    if (pClosed != nullptr) {
        *pClosed = false;
    }
    ssize_t sent = SendOnce(sock, bytes, length, fnGoOn);
    if (sent < 0) {
        return -1;
    }
    size_t total = static_cast<size_t>(sent);
    while (total < length) {
        if (fnGoOn && !fnGoOn()) {
            errno = ETIMEDOUT;
            sent = -1;
        } else {
            sent = SendOnce(sock, bytes + total, length - total, fnGoOn);
        }
        if (sent < 0) {
            const int error = errno;
            shutdown(sock, SHUT_RDWR);
            close(sock);
            if (pClosed != nullptr) {
                *pClosed = true;
            }
            errno = error;
            return -1;
        }
        total += static_cast<size_t>(sent);
    }
    return static_cast<ssize_t>(total);
}
