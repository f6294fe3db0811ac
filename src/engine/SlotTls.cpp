// HTTPS on a slot's socket: the proxy's CONNECT tunnel, the handshake, and
// the failures of both by name.
#include <poll.h>

#include <cerrno>
#include <chrono>

#include "common/Messages.h"
#include "common/StringTable.h"
#include "common/Text.h"
#include "engine/HttpResponse.h"
#include "engine/TlsStream.h"
#include "engine/Url.h"
#include "task/QuobrixDoc.h"

namespace {
constexpr size_t kMaxTunnelAnswer = 16 * 1024;

CPageFailure FailureOfTls(const CTlsStream& stream) {
    switch (stream.Error()) {
        case TlsError::Untrusted:
            return {FailureReason::CertUntrusted, 0};
        case TlsError::WrongName:
            return {FailureReason::CertWrongName, 0};
        case TlsError::Expired:
            return {FailureReason::CertExpired, 0};
        case TlsError::Io:
            return FailureOfError(stream.SystemError() != 0 ? stream.SystemError() : ECONNRESET,
                                  false, false);
        default:
            return {FailureReason::TlsFailed, 0};
    }
}

// What is left of a time limit (0: none) that began at start; -1 when spent.
int MsLeft(int timeoutMs, std::chrono::steady_clock::time_point start) {
    if (timeoutMs <= 0) {
        return 0;
    }
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();
    return spent >= timeoutMs ? -1 : static_cast<int>(timeoutMs - spent);
}
}  // namespace

std::shared_ptr<CTlsContext> CQuobrixDoc::TlsContextForRun() {
    const bool bVerify = GetAppOptions().m_bCheckCertificates;
    bool bTell = false;
    std::shared_ptr<CTlsContext> context;
    {
        CLock lock(m_csTls);
        if (!m_pTls || m_pTls->Verifies() != bVerify) {
            m_pTls = CTlsContext::Create(bVerify);  // streams keep the old one while they last
        }
        context = m_pTls;
        if (!bVerify && !m_bToldUnchecked) {
            m_bToldUnchecked = bTell = true;
        }
    }
    if (bTell && m_hWndMainFrame != nullptr) {
        m_hWndMainFrame->Post(WM_CERTIFICATES_UNCHECKED, 0, LoadString(IDS_CERTIFICATES_UNCHECKED));
    }
    return context;
}

void CQuobrixDoc::ForgetTlsNotice() {
    CLock lock(m_csTls);
    m_bToldUnchecked = false;
}

CPageFailure CQuobrixDoc::OpenTunnel(int slot, const std::string& site) {
    const CAppOptions options = GetAppOptions();
    const std::string hostText(SiteHostText(site));
    const std::optional<CHostPort> host = ParseSite(site);
    if (!host || hostText.find_first_of(std::string_view("\r\n\0 ", 4)) != std::string::npos) {
        return {FailureReason::BadAddress, 0};
    }
    // The tunnel names the host and port alone; an account stays out of it.
    const std::string target = host->m_strName + ":" + std::to_string(host->m_nPort);
    std::string request = "CONNECT " + target + " HTTP/1.0\r\nHost: " + target + "\r\n";
    if (!options.m_strProxyUser.empty() &&
        options.m_strProxyAuthorization.find_first_of("\r\n") == std::string::npos) {
        request += "Proxy-Authorization: Basic " + options.m_strProxyAuthorization + "\r\n";
    }
    if (options.m_strAgent.find_first_of("\r\n") == std::string::npos) {
        request += "User-Agent: " + options.m_strAgent + "\r\n";
    }
    request += "\r\n";
    if (!SendSlot(slot, request, TimeoutMs())) {
        return FailureOfError(errno, false, true);
    }
    // Read up to the header's end and no further: what follows is the site's TLS.
    std::string answer;
    char ch = 0;
    while (FindHeaderEnd(answer) == std::string::npos) {
        const ssize_t count = ReceiveSlot(slot, &ch, 1, TimeoutMs());
        if (count < 0) {
            return FailureOfError(errno, false, true);
        }
        if (count == 0 || answer.size() >= kMaxTunnelAnswer) {
            return {FailureReason::BadResponse, 0};
        }
        answer += ch;
    }
    const int status = StatusCode(answer);
    if (status == 200) {
        return {};
    }
    if (status == 407) {
        return {FailureReason::ProxyAuth, 0};
    }
    return {FailureReason::ProxyTunnel, status < 0 ? 0 : status};
}

CPageFailure CQuobrixDoc::StartTls(int slot, const std::string& site) {
    const std::optional<CHostPort> host = ParseSite(site);
    if (!host) {
        return {FailureReason::BadAddress, 0};
    }
    std::shared_ptr<CTlsContext> context = TlsContextForRun();
    if (!context) {
        return {FailureReason::TlsFailed, 0};
    }
    m_tlsSlotContext[slot] = context;
    m_tlsSlot[slot] = std::make_unique<CTlsStream>(*context, m_sockSlot[slot], host->m_strName,
                                                   host->m_strName + ":" + std::to_string(host->m_nPort));
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        const TlsStep step = m_tlsSlot[slot]->Handshake();
        if (step == TlsStep::Done) {
            return {};
        }
        if (step == TlsStep::Failed) {
            return m_bSlotAborted[slot] ? CPageFailure{FailureReason::Aborted, 0}
                                        : FailureOfTls(*m_tlsSlot[slot]);
        }
        const int left = MsLeft(TimeoutMs(), start);
        if (left < 0 || !WaitSlot(slot, step == TlsStep::WantRead ? POLLIN : POLLOUT, left)) {
            return FailureOfError(left < 0 ? ETIMEDOUT : errno, false, false);
        }
    }
}
