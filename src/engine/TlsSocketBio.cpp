#include "engine/TlsSocketBio.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>

namespace {
struct CSocketState {
    int fd = -1;
    bool bEof = false;  // the peer closed its side; OpenSSL asks through BIO_CTRL_EOF
};

CSocketState* State(BIO* bio) {
    return static_cast<CSocketState*>(BIO_get_data(bio));
}

bool WouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

int Clamp(int length) {
    return length < 0 ? 0 : length;
}

int Write(BIO* bio, const char* data, int length) {
    BIO_clear_retry_flags(bio);
    const ssize_t sent =
        send(State(bio)->fd, data, static_cast<size_t>(Clamp(length)), MSG_NOSIGNAL);
    if (sent < 0 && WouldBlock(errno)) {
        BIO_set_retry_write(bio);
    }
    return static_cast<int>(sent);
}

int Read(BIO* bio, char* buffer, int size) {
    BIO_clear_retry_flags(bio);
    CSocketState* state = State(bio);
    const ssize_t got = recv(state->fd, buffer, static_cast<size_t>(Clamp(size)), 0);
    if (got == 0) {
        state->bEof = true;
    } else if (got < 0 && WouldBlock(errno)) {
        BIO_set_retry_read(bio);
    }
    return static_cast<int>(got);
}

int Puts(BIO* bio, const char* text) {
    return Write(bio, text, static_cast<int>(std::min<size_t>(std::strlen(text), INT_MAX)));
}

long Control(BIO* bio, int command, long /*number*/, void* /*pointer*/) {
    switch (command) {
        case BIO_CTRL_EOF:
            return State(bio)->bEof ? 1 : 0;
        case BIO_CTRL_FLUSH:  // nothing is buffered here
            return 1;
        case BIO_C_GET_FD:
            return State(bio)->fd;
        default:
            return 0;
    }
}

// Called from C: nothing may throw through OpenSSL.
int Create(BIO* bio) {
    auto* state = new (std::nothrow) CSocketState;
    if (state == nullptr) {
        return 0;
    }
    BIO_set_data(bio, state);
    BIO_set_init(bio, 1);
    return 1;
}

int Destroy(BIO* bio) {
    delete State(bio);
    BIO_set_data(bio, nullptr);
    return 1;
}

// Made once and kept for the life of the program: every connection of every
// thread shares it, and OpenSSL only reads it.
const BIO_METHOD* Method() {
    static BIO_METHOD* const method = [] {
        const int index = BIO_get_new_index();
        BIO_METHOD* made =
            index < 0 ? nullptr : BIO_meth_new(index | BIO_TYPE_SOURCE_SINK, "quobrix socket");
        if (made != nullptr &&
            (BIO_meth_set_write(made, Write) != 1 || BIO_meth_set_read(made, Read) != 1 ||
             BIO_meth_set_puts(made, Puts) != 1 || BIO_meth_set_ctrl(made, Control) != 1 ||
             BIO_meth_set_create(made, Create) != 1 || BIO_meth_set_destroy(made, Destroy) != 1)) {
            BIO_meth_free(made);
            made = nullptr;
        }
        return made;
    }();
    return method;
}
}  // namespace

BIO* NewTlsSocketBio(int fd) {
    const BIO_METHOD* method = Method();
    BIO* bio = method != nullptr ? BIO_new(method) : nullptr;
    if (bio != nullptr) {
        State(bio)->fd = fd;
    }
    return bio;
}
