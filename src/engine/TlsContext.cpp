#include "engine/TlsContext.h"

#include <openssl/ssl.h>

#include <algorithm>
#include <new>

namespace {
// Where the context finds itself from inside OpenSSL's callbacks, and a
// connection its session key: the ex_data slot OpenSSL keeps for the
// application.
constexpr int kAppDataIndex = 0;

bool IsTicket(const SSL_SESSION* session) {
    return SSL_SESSION_get_protocol_version(session) >= TLS1_3_VERSION;
}

void FreeAll(const std::deque<SSL_SESSION*>& sessions) {
    for (SSL_SESSION* session : sessions) {
        SSL_SESSION_free(session);
    }
}

// Frees the sessions at the end of its scope: made before a lock, it frees
// them after the lock is let go.
class CFreeAll {
public:
    explicit CFreeAll(const std::deque<SSL_SESSION*>& sessions) : m_sessions(sessions) {}
    ~CFreeAll() { FreeAll(m_sessions); }
    CFreeAll(const CFreeAll&) = delete;
    CFreeAll& operator=(const CFreeAll&) = delete;

private:
    const std::deque<SSL_SESSION*>& m_sessions;
};
}  // namespace

std::unique_ptr<CTlsContext> CTlsContext::Create(bool bVerify) {
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    if (context == nullptr) {
        return nullptr;
    }
    if (SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION) != 1 ||
        SSL_CTX_set_default_verify_paths(context) != 1) {
        SSL_CTX_free(context);
        return nullptr;
    }
    SSL_CTX_set_verify(context, bVerify ? SSL_VERIFY_PEER : SSL_VERIFY_NONE, nullptr);
    // HTTP/1.0 servers often close without a close_notify; the end of the
    // body is the end of the connection.
    SSL_CTX_set_options(context, SSL_OP_IGNORE_UNEXPECTED_EOF);
    // A write may go out in part, and be offered again from another buffer.
    SSL_CTX_set_mode(context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // OpenSSL's own client cache cannot be keyed by site; ours is.
    SSL_CTX_set_session_cache_mode(context,
                                   SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(context, &CTlsContext::OnNewSession);

    std::unique_ptr<CTlsContext> made(new CTlsContext(context, bVerify));
    if (SSL_CTX_set_ex_data(context, kAppDataIndex, made.get()) != 1) {
        return nullptr;
    }
    return made;
}

CTlsContext::CTlsContext(ssl_ctx_st* context, bool bVerify)
    : m_pContext(context), m_bVerify(bVerify) {}

CTlsContext::~CTlsContext() {
    {
        CLock lock(m_csSessions);
        for (const auto& [key, kept] : m_sessions) {
            FreeAll(kept.sessions);
        }
        m_sessions.clear();
    }
    SSL_CTX_free(m_pContext);
}

bool CTlsContext::Verifies() const {
    return m_bVerify;
}

ssl_session_st* CTlsContext::TakeSession(const std::string& key) {
    CLock lock(m_csSessions);
    const auto found = m_sessions.find(key);
    if (found == m_sessions.end() || found->second.sessions.empty()) {
        return nullptr;
    }
    found->second.nUsed = ++m_nClock;
    SSL_SESSION* session = found->second.sessions.back();
    if (IsTicket(session)) {
        found->second.sessions.pop_back();  // our reference goes to the caller
        return session;
    }
    return SSL_SESSION_up_ref(session) == 1 ? session : nullptr;
}

void CTlsContext::KeepSession(const std::string& key, ssl_session_st* session) {
    // Freed outside the lock, also when the map cannot grow.
    std::deque<SSL_SESSION*> dropped;
    const CFreeAll freeDropped(dropped);
    CLock lock(m_csSessions);
    auto found = m_sessions.find(key);
    if (found == m_sessions.end()) {
        if (m_sessions.size() >= kSessionKeys) {
            const auto oldest = std::min_element(
                m_sessions.begin(), m_sessions.end(),
                [](const auto& a, const auto& b) { return a.second.nUsed < b.second.nUsed; });
            dropped.swap(oldest->second.sessions);
            m_sessions.erase(oldest);
        }
        found = m_sessions.emplace(key, CKeptSessions{}).first;
    }
    std::deque<SSL_SESSION*>& kept = found->second.sessions;
    // A TLS 1.2 session replaces all before it, and tickets replace it.
    if (!IsTicket(session) || (!kept.empty() && !IsTicket(kept.back()))) {
        dropped.insert(dropped.end(), kept.begin(), kept.end());
        kept.clear();
    }
    kept.push_back(session);
    while (kept.size() > kTicketsPerSite) {
        dropped.push_back(kept.front());
        kept.pop_front();
    }
    found->second.nUsed = ++m_nClock;
}

void CTlsContext::ForgetSession(const std::string& key) {
    std::deque<SSL_SESSION*> dropped;
    const CFreeAll freeDropped(dropped);
    CLock lock(m_csSessions);
    const auto found = m_sessions.find(key);
    if (found != m_sessions.end()) {
        dropped.swap(found->second.sessions);
        m_sessions.erase(found);
    }
}

// Called from C: nothing may throw through OpenSSL. 1 keeps the reference.
int CTlsContext::OnNewSession(ssl_st* ssl, ssl_session_st* session) {
    auto* context =
        static_cast<CTlsContext*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), kAppDataIndex));
    const auto* key = static_cast<const std::string*>(SSL_get_ex_data(ssl, kAppDataIndex));
    if (context == nullptr || key == nullptr || key->empty() ||
        SSL_SESSION_is_resumable(session) != 1) {
        return 0;
    }
    try {
        context->KeepSession(*key, session);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return 1;
}
