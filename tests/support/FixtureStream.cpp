#include "support/FixtureStream.h"

#include <gtest/gtest.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

#include "engine/TlsSocketBio.h"

namespace {
constexpr char kSessionContext[] = "quobrix-fixture";

bool WouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

std::string QueuedErrors() {
    std::string text;
    char line[256];
    for (unsigned long code = ERR_get_error(); code != 0; code = ERR_get_error()) {
        ERR_error_string_n(code, line, sizeof line);
        text += std::string(text.empty() ? "" : "; ") + line;
    }
    return text;
}
}  // namespace

FixtureTlsContext::FixtureTlsContext(const std::string& certFile, const std::string& keyFile,
                                     bool bOnlyTls12) {
    ERR_clear_error();
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    const bool ready =
        context != nullptr && SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION) == 1 &&
        (!bOnlyTls12 || SSL_CTX_set_max_proto_version(context, TLS1_2_VERSION) == 1) &&
        SSL_CTX_use_certificate_chain_file(context, certFile.c_str()) == 1 &&
        SSL_CTX_use_PrivateKey_file(context, keyFile.c_str(), SSL_FILETYPE_PEM) == 1 &&
        SSL_CTX_check_private_key(context) == 1 &&
        SSL_CTX_set_session_id_context(context,
                                       reinterpret_cast<const unsigned char*>(kSessionContext),
                                       sizeof kSessionContext - 1) == 1;
    if (!ready) {
        ADD_FAILURE() << "FixtureServer cannot use " << certFile << " and " << keyFile << ": "
                      << QueuedErrors();
        SSL_CTX_free(context);
        return;
    }
    SSL_CTX_set_mode(context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // TLS 1.3: two tickets after a full handshake, one after a resumed one.
    SSL_CTX_set_num_tickets(context, 2);
    // A client that closes without a close_notify ends its request all the same.
    SSL_CTX_set_options(context, SSL_OP_IGNORE_UNEXPECTED_EOF);
    m_pContext = context;
}

FixtureTlsContext::~FixtureTlsContext() {
    SSL_CTX_free(m_pContext);
}

FixtureStream::FixtureStream(int sock)
    : m_sock(sock), m_nReadEvents(POLLIN), m_nWriteEvents(POLLOUT) {}

FixtureStream::~FixtureStream() {
    SSL_free(m_pSsl);
    ERR_clear_error();
}

bool FixtureStream::Accept(const FixtureTlsContext& context, int wakeFd,
                           std::chrono::steady_clock::time_point deadline) {
    ERR_clear_error();
    m_pSsl = SSL_new(context.Get());
    BIO* bio = m_pSsl != nullptr ? NewTlsSocketBio(m_sock) : nullptr;
    if (bio == nullptr) {
        return false;
    }
    SSL_set_bio(m_pSsl, bio, bio);
    SSL_set_accept_state(m_pSsl);
    for (;;) {
        ERR_clear_error();
        const int result = SSL_accept(m_pSsl);
        if (result == 1) {
            return true;
        }
        short events = 0;
        switch (SSL_get_error(m_pSsl, result)) {
            case SSL_ERROR_WANT_READ:
                events = POLLIN;
                break;
            case SSL_ERROR_WANT_WRITE:
                events = POLLOUT;
                break;
            default:
                return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            return false;
        }
        pollfd fds[2] = {{m_sock, events, 0}, {wakeFd, POLLIN, 0}};
        if ((poll(fds, 2, static_cast<int>(std::min<long long>(left, 1000))) < 0 &&
             errno != EINTR) ||
            fds[1].revents != 0) {
            return false;
        }
    }
}

ssize_t FixtureStream::Read(char* buffer, size_t size) {
    m_nReadEvents = POLLIN;
    if (m_pSsl == nullptr) {
        const ssize_t got = recv(m_sock, buffer, size, 0);
        return got < 0 && WouldBlock(errno) ? kWouldBlock : got;
    }
    ERR_clear_error();
    size_t got = 0;
    const int result = SSL_read_ex(m_pSsl, buffer, size, &got);
    return result == 1 ? static_cast<ssize_t>(got) : Trouble(result, m_nReadEvents);
}

ssize_t FixtureStream::Write(const char* bytes, size_t length) {
    m_nWriteEvents = POLLOUT;
    if (m_pSsl == nullptr) {
        const ssize_t sent = send(m_sock, bytes, length, MSG_NOSIGNAL | MSG_DONTWAIT);
        return sent < 0 && WouldBlock(errno) ? kWouldBlock : sent;
    }
    ERR_clear_error();
    size_t sent = 0;
    const int result = SSL_write_ex(m_pSsl, bytes, length, &sent);
    return result == 1 ? static_cast<ssize_t>(sent) : Trouble(result, m_nWriteEvents);
}

ssize_t FixtureStream::Trouble(int result, short& events) {
    switch (SSL_get_error(m_pSsl, result)) {
        case SSL_ERROR_WANT_READ:
            events = POLLIN;
            return kWouldBlock;
        case SSL_ERROR_WANT_WRITE:
            events = POLLOUT;
            return kWouldBlock;
        case SSL_ERROR_ZERO_RETURN:
            return 0;
        default:
            return -1;
    }
}

void FixtureStream::SendCloseNotify() {
    if (m_pSsl != nullptr && SSL_is_init_finished(m_pSsl) == 1) {
        ERR_clear_error();
        (void)SSL_shutdown(m_pSsl);  // one non-blocking send; the client's answer is not awaited
    }
}

bool FixtureStream::Resumed() const {
    return m_pSsl != nullptr && SSL_session_reused(m_pSsl) == 1;
}

std::string FixtureStream::ServerName() const {
    const char* name =
        m_pSsl != nullptr ? SSL_get_servername(m_pSsl, TLSEXT_NAMETYPE_host_name) : nullptr;
    return name != nullptr ? name : "";
}
