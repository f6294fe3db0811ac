#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "common/Mutex.h"

// OpenSSL's types, so that includers need not see its headers.
struct ssl_ctx_st;
struct ssl_session_st;
struct ssl_st;

// Why a TLS connection failed.
enum class TlsError { None, Untrusted, WrongName, Expired, Handshake, Io };

// The TLS settings of one run, shared by all its workers at once
// (thread-safe): TLS 1.2 or later, the system's trust store (so
// SSL_CERT_FILE and SSL_CERT_DIR are honoured), and the sessions of the
// sites met, so that a site's later connections resume instead of paying a
// full handshake. Every CTlsStream made on it must go before it does.
class CTlsContext {
public:
    // The most sites whose sessions are kept; the longest unused goes first.
    static constexpr size_t kSessionKeys = 64;
    // The most TLS 1.3 tickets kept for one site, the newest.
    static constexpr size_t kTicketsPerSite = 4;

    // bVerify false: neither the chain nor the name is checked (an
    // intranet's self-signed certificates). nullptr when OpenSSL cannot make
    // a context.
    static std::unique_ptr<CTlsContext> Create(bool bVerify);
    ~CTlsContext();
    CTlsContext(const CTlsContext&) = delete;
    CTlsContext& operator=(const CTlsContext&) = delete;

    [[nodiscard]] bool Verifies() const;

private:
    friend class CTlsStream;

    // One site's sessions: a TLS 1.2 session, offered again and again, or
    // TLS 1.3 tickets, each offered once (a server sends new ones on every
    // connection, so parallel connections need not share one).
    struct CKeptSessions {
        std::deque<ssl_session_st*> sessions;  // references, ours; the newest last
        uint64_t nUsed = 0;                    // m_nClock when last stored or taken
    };

    CTlsContext(ssl_ctx_st* context, bool bVerify);

    // The newest session kept for key, or nullptr; the caller frees the
    // reference it gets. A TLS 1.3 ticket is no longer kept.
    ssl_session_st* TakeSession(const std::string& key) EXCLUDES(m_csSessions);
    // Takes over the caller's reference.
    void KeepSession(const std::string& key, ssl_session_st* session) EXCLUDES(m_csSessions);
    void ForgetSession(const std::string& key) EXCLUDES(m_csSessions);
    // OpenSSL's report of a new session: after a TLS 1.2 handshake, and for
    // TLS 1.3 whenever a ticket arrives, which is after the handshake.
    static int OnNewSession(ssl_st* ssl, ssl_session_st* session);

    ssl_ctx_st* const m_pContext;
    const bool m_bVerify;
    CMutex m_csSessions;
    std::map<std::string, CKeptSessions> m_sessions GUARDED_BY(m_csSessions);
    uint64_t m_nClock GUARDED_BY(m_csSessions) = 0;
};
