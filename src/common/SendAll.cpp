#include "common/SendAll.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace {
// MSG_NOSIGNAL: a peer that went away must not raise SIGPIPE in the process.
ssize_t SendOnce(int sock, const char* bytes, size_t length) {
    ssize_t sent;
    do {
        sent = send(sock, bytes, length, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent;
}
}  // namespace

ssize_t SendAll(int sock, const char* bytes, size_t length, bool* pClosed) {
    if (pClosed != nullptr) {
        *pClosed = false;
    }
    ssize_t sent = SendOnce(sock, bytes, length);
    if (sent < 0) {
        return -1;
    }
    size_t total = static_cast<size_t>(sent);
    while (total < length) {
        sent = SendOnce(sock, bytes + total, length - total);
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
