#pragma once

#include <cstddef>
#include <string>

#include "engine/TlsContext.h"

// What a step of a TLS connection came to. WantRead and WantWrite: wait
// until the socket is readable, or writable, then call the same function
// again with the same arguments. Either can come from any step: a read may
// have to write (a renegotiation, a TLS 1.3 key update) and a write may
// have to read, so the caller waits for whichever is wanted.
enum class TlsStep { Done, WantRead, WantWrite, Failed };

// One TLS client connection over a connected, non-blocking socket that the
// caller owns: the stream never closes it, and shutting it down (an abort)
// makes the next step fail at once. Used by one thread at a time.
class CTlsStream {
public:
    // hostName: the name the certificate must be for, a DNS name or an IP
    // literal ("127.0.0.1"); it is checked when the context verifies. SNI
    // carries DNS names only. sessionKey ("host:port") names the site's
    // kept session: it is offered, and the sessions the server gives are
    // kept under it (with hostName: a session is offered only for the name
    // it was made for); "" keeps none.
    CTlsStream(CTlsContext& context, int fd, const std::string& hostName,
               const std::string& sessionKey);
    // Sends a close_notify if the socket takes it at once, never waits for
    // the peer's.
    ~CTlsStream();
    CTlsStream(const CTlsStream&) = delete;
    CTlsStream& operator=(const CTlsStream&) = delete;

    // Until Done (or Failed) before the first Read or Write.
    [[nodiscard]] TlsStep Handshake();
    // Done with got > 0 bytes, or with got == 0 at the end of the data: a
    // close_notify, or a peer that closes without one (HTTP/1.0 servers do).
    // size > 0.
    [[nodiscard]] TlsStep Read(char* buffer, size_t size, size_t& got);
    // Done with 0 < written <= size: the rest is offered again by the caller.
    [[nodiscard]] TlsStep Write(const char* data, size_t size, size_t& written);

    // After Failed: why. A refused certificate is Untrusted, WrongName or
    // Expired (also not yet valid) when the context verifies; any other
    // failure before Done is Handshake; a failure after it is Io.
    [[nodiscard]] TlsError Error() const;
    // errno of a failing socket call (ECONNRESET, EPIPE, ...), else 0.
    [[nodiscard]] int SystemError() const;
    // OpenSSL's words for the failure, for a log; "" before one.
    [[nodiscard]] const std::string& ErrorText() const;
    // The handshake resumed the site's kept session.
    [[nodiscard]] bool Resumed() const;

private:
    // The step for an OpenSSL call that did not succeed.
    TlsStep Trouble(int result);
    // Done once the handshake is; else what the handshake came to.
    TlsStep Connected();
    TlsStep Fail(TlsError error);
    [[nodiscard]] TlsError VerifyError() const;

    CTlsContext& m_context;
    ssl_st* m_pSsl = nullptr;
    // sessionKey and hostName; OpenSSL's callback reads it through the connection.
    std::string m_strSessionKey;
    bool m_bConnected = false;  // the handshake is done
    bool m_bEnded = false;      // the peer's data has ended
    TlsError m_error = TlsError::None;
    int m_nSystemError = 0;
    std::string m_strErrorText;
};
