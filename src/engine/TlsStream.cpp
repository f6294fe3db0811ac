#include "engine/TlsStream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <cerrno>
#include <cstring>

#include "engine/TlsSocketBio.h"

namespace {
constexpr int kAppDataIndex = 0;  // as CTlsContext reads it: the session key

// SNI must not carry an address, and an address is checked as one.
bool IsIpLiteral(const std::string& host) {
    in_addr v4{};
    in6_addr v6{};
    return inet_pton(AF_INET, host.c_str(), &v4) == 1 ||
           inet_pton(AF_INET6, host.c_str(), &v6) == 1;
}

// The newest entry of this thread's OpenSSL error queue, in words.
std::string QueuedErrorText() {
    const unsigned long code = ERR_peek_last_error();
    if (code == 0) {
        return "";
    }
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}
}  // namespace

CTlsStream::CTlsStream(CTlsContext& context, int fd, const std::string& hostName,
                       const std::string& sessionKey)
    // A resumed session skips the certificate check, so a session is only
    // ever offered for the name it was checked for.
    : m_context(context), m_strSessionKey(sessionKey.empty() ? "" : sessionKey + '\n' + hostName) {
    ERR_clear_error();
    SSL* ssl = SSL_new(context.m_pContext);
    BIO* bio = ssl != nullptr ? NewTlsSocketBio(fd) : nullptr;
    if (bio == nullptr) {
        SSL_free(ssl);
        return;
    }
    SSL_set_bio(ssl, bio, bio);  // one reference, now the connection's
    bool ready = SSL_set_ex_data(ssl, kAppDataIndex, &m_strSessionKey) == 1;
    if (IsIpLiteral(hostName)) {
        if (context.Verifies()) {
            ready =
                ready && X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), hostName.c_str()) == 1;
        }
    } else {
        // SSL_set_tlsext_host_name, without its C cast; OpenSSL copies the name.
        ready = ready && SSL_ctrl(ssl, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
                                  const_cast<char*>(hostName.c_str())) == 1;
        if (context.Verifies()) {
            SSL_set_hostflags(ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
            ready = ready && SSL_set1_host(ssl, hostName.c_str()) == 1;
        }
    }
    if (ready && !m_strSessionKey.empty()) {
        if (SSL_SESSION* kept = context.TakeSession(m_strSessionKey); kept != nullptr) {
            ready = SSL_set_session(ssl, kept) == 1;
            SSL_SESSION_free(kept);  // the connection holds its own reference
        }
    }
    if (!ready) {
        m_strErrorText = QueuedErrorText();
        SSL_free(ssl);
        return;
    }
    m_pSsl = ssl;
}

CTlsStream::~CTlsStream() {
    if (m_pSsl == nullptr) {
        return;
    }
    // Also marks the session as ended cleanly: OpenSSL will not resume a
    // session whose connection went without one.
    if (m_bConnected && m_error == TlsError::None) {
        ERR_clear_error();
        (void)SSL_shutdown(m_pSsl);  // one non-blocking send; the peer's answer is not awaited
    }
    SSL_free(m_pSsl);
    ERR_clear_error();
}

TlsStep CTlsStream::Handshake() {
    if (m_error != TlsError::None) {
        return TlsStep::Failed;
    }
    if (m_pSsl == nullptr) {
        return Fail(TlsError::Handshake);
    }
    if (m_bConnected) {
        return TlsStep::Done;
    }
    ERR_clear_error();
    const int result = SSL_connect(m_pSsl);
    if (result == 1) {
        m_bConnected = true;
        return TlsStep::Done;
    }
    return Trouble(result);
}

TlsStep CTlsStream::Connected() {
    if (m_error != TlsError::None) {
        return TlsStep::Failed;
    }
    return m_bConnected ? TlsStep::Done : Handshake();
}

TlsStep CTlsStream::Read(char* buffer, size_t size, size_t& got) {
    got = 0;
    if (const TlsStep step = Connected(); step != TlsStep::Done) {
        return step;
    }
    if (m_bEnded) {
        return TlsStep::Done;
    }
    ERR_clear_error();
    const int result = SSL_read_ex(m_pSsl, buffer, size, &got);
    if (result == 1) {
        return TlsStep::Done;
    }
    got = 0;
    return Trouble(result);
}

TlsStep CTlsStream::Write(const char* data, size_t size, size_t& written) {
    written = 0;
    if (const TlsStep step = Connected(); step != TlsStep::Done) {
        return step;
    }
    if (size == 0) {
        return TlsStep::Done;
    }
    ERR_clear_error();
    const int result = SSL_write_ex(m_pSsl, data, size, &written);
    if (result == 1) {
        return TlsStep::Done;
    }
    written = 0;
    return Trouble(result);
}

TlsStep CTlsStream::Trouble(int result) {
    const int error = errno;  // before anything else can change it
    switch (SSL_get_error(m_pSsl, result)) {
        case SSL_ERROR_WANT_READ:
            return TlsStep::WantRead;
        case SSL_ERROR_WANT_WRITE:
            return TlsStep::WantWrite;
        case SSL_ERROR_ZERO_RETURN:
            if (m_bConnected) {
                m_bEnded = true;
                return TlsStep::Done;
            }
            break;
        case SSL_ERROR_SYSCALL:
            // Without a queued error and errno, the peer closed: the end of
            // the data after the handshake (OpenSSL before 3.0 says so).
            if (m_bConnected && ERR_peek_error() == 0 && error == 0) {
                m_bEnded = true;
                return TlsStep::Done;
            }
            m_nSystemError = error;
            break;
        default:
            break;
    }
    if (!m_bConnected) {
        const TlsError refused = VerifyError();
        return Fail(refused != TlsError::None ? refused : TlsError::Handshake);
    }
    return Fail(TlsError::Io);
}

TlsStep CTlsStream::Fail(TlsError error) {
    m_error = error;
    if (m_strErrorText.empty()) {
        if (error == TlsError::Untrusted || error == TlsError::WrongName ||
            error == TlsError::Expired) {
            m_strErrorText = X509_verify_cert_error_string(SSL_get_verify_result(m_pSsl));
        } else if (m_nSystemError != 0) {
            m_strErrorText = std::strerror(m_nSystemError);
        } else {
            m_strErrorText = QueuedErrorText();
        }
        if (m_strErrorText.empty()) {
            m_strErrorText = error == TlsError::Io ? "connection closed" : "TLS handshake failed";
        }
    }
    // A session whose connection failed is not offered again.
    if (!m_strSessionKey.empty()) {
        m_context.ForgetSession(m_strSessionKey);
    }
    ERR_clear_error();
    return TlsStep::Failed;
}

TlsError CTlsStream::VerifyError() const {
    if (m_pSsl == nullptr || !m_context.Verifies()) {
        return TlsError::None;
    }
    switch (SSL_get_verify_result(m_pSsl)) {
        case X509_V_OK:
            return TlsError::None;
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            return TlsError::WrongName;
        case X509_V_ERR_CERT_HAS_EXPIRED:
        case X509_V_ERR_CERT_NOT_YET_VALID:
            return TlsError::Expired;
        default:
            return TlsError::Untrusted;
    }
}

TlsError CTlsStream::Error() const {
    return m_error;
}

int CTlsStream::SystemError() const {
    return m_nSystemError;
}

const std::string& CTlsStream::ErrorText() const {
    return m_strErrorText;
}

bool CTlsStream::Resumed() const {
    return m_pSsl != nullptr && m_bConnected && SSL_session_reused(m_pSsl) == 1;
}
