#include "engine/TlsContext.h"

#include <openssl/ssl.h>

#include <algorithm>
#include <new>

namespace {
// Where the context finds itself from inside OpenSSL's callbacks, and a
// connection its session key: the ex_data slot OpenSSL keeps for the
// application.
constexpr int kAppDataIndex = 0;
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
            SSL_SESSION_free(kept.pSession);
        }
        m_sessions.clear();
    }
    SSL_CTX_free(m_pContext);
}

bool CTlsContext::Verifies() const {
    return m_bVerify;
}

ssl_session_st* CTlsContext::FindSession(const std::string& key) {
    CLock lock(m_csSessions);
    const auto found = m_sessions.find(key);
    if (found == m_sessions.end() || SSL_SESSION_up_ref(found->second.pSession) != 1) {
        return nullptr;
    }
    found->second.nUsed = ++m_nClock;
    return found->second.pSession;
}

void CTlsContext::KeepSession(const std::string& key, ssl_session_st* session) {
    // Freed outside the lock, also when the map cannot grow.
    std::unique_ptr<SSL_SESSION, decltype(&SSL_SESSION_free)> dropped(nullptr, &SSL_SESSION_free);
    {
        CLock lock(m_csSessions);
        auto found = m_sessions.find(key);
        if (found == m_sessions.end() && m_sessions.size() >= kSessionKeys) {
            const auto oldest = std::min_element(
                m_sessions.begin(), m_sessions.end(),
                [](const auto& a, const auto& b) { return a.second.nUsed < b.second.nUsed; });
            dropped.reset(oldest->second.pSession);
            m_sessions.erase(oldest);
        }
        if (found == m_sessions.end()) {
            found = m_sessions.emplace(key, CKeptSession{}).first;
        } else {
            dropped.reset(found->second.pSession);
        }
        found->second = CKeptSession{session, ++m_nClock};
    }
}

void CTlsContext::ForgetSession(const std::string& key) {
    SSL_SESSION* dropped = nullptr;
    {
        CLock lock(m_csSessions);
        const auto found = m_sessions.find(key);
        if (found == m_sessions.end()) {
            return;
        }
        dropped = found->second.pSession;
        m_sessions.erase(found);
    }
    SSL_SESSION_free(dropped);
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
