#include "common/PageFailure.h"

#include <algorithm>
#include <cerrno>
#include <charconv>

#include "common/StringTable.h"

namespace {
struct CReasonName {
    FailureReason m_reason;
    unsigned m_nText;
    std::string_view m_token;
};

// In the order of the enum; HttpStatus's token gets its status: "http-404".
constexpr CReasonName kReasons[] = {
    {FailureReason::NotResolved, IDS_FAILED_NOT_RESOLVED, "not-resolved"},
    {FailureReason::Refused, IDS_FAILED_REFUSED, "refused"},
    {FailureReason::TimedOut, IDS_FAILED_TIMED_OUT, "timed-out"},
    {FailureReason::Reset, IDS_FAILED_RESET, "reset"},
    {FailureReason::NetworkUnreachable, IDS_FAILED_NETWORK_UNREACHABLE, "network-unreachable"},
    {FailureReason::HostUnreachable, IDS_FAILED_HOST_UNREACHABLE, "host-unreachable"},
    {FailureReason::HttpStatus, IDS_FAILED_HTTP_STATUS, "http-"},
    {FailureReason::TooLarge, IDS_FAILED_TOO_LARGE, "too-large"},
    {FailureReason::Filtered, IDS_FAILED_FILTERED, "filtered"},
    {FailureReason::ProxyNotResolved, IDS_FAILED_PROXY_NOT_RESOLVED, "proxy-not-resolved"},
    {FailureReason::ProxyRefused, IDS_FAILED_PROXY_REFUSED, "proxy-refused"},
    {FailureReason::ProxyUnreachable, IDS_FAILED_PROXY_UNREACHABLE, "proxy-unreachable"},
    {FailureReason::ProxyAuth, IDS_FAILED_PROXY_AUTH, "proxy-auth"},
    {FailureReason::NotHttp, IDS_FAILED_NOT_HTTP, "not-http"},
    {FailureReason::BadAddress, IDS_FAILED_BAD_ADDRESS, "bad-address"},
    {FailureReason::BadResponse, IDS_FAILED_BAD_RESPONSE, "bad-response"},
    {FailureReason::Aborted, IDS_FAILED_ABORTED, "aborted"},
    {FailureReason::NetworkError, IDS_FAILED_NETWORK_ERROR, "network-error"},
    {FailureReason::Other, IDS_FAILED_OTHER, "other"},
    {FailureReason::CertUntrusted, IDS_FAILED_CERT_UNTRUSTED, "cert-untrusted"},
    {FailureReason::CertWrongName, IDS_FAILED_CERT_WRONG_NAME, "cert-wrong-name"},
    {FailureReason::CertExpired, IDS_FAILED_CERT_EXPIRED, "cert-expired"},
    {FailureReason::TlsFailed, IDS_FAILED_TLS, "tls-failed"},
    {FailureReason::ProxyTunnel, IDS_FAILED_PROXY_TUNNEL, "proxy-tunnel-"},
    {FailureReason::Redirected, IDS_FAILED_REDIRECTED, "redirected"},
    {FailureReason::RobotsDisallowed, IDS_FAILED_ROBOTS_DISALLOWED, "robots-disallowed"},
    {FailureReason::RobotsUnavailable, IDS_FAILED_ROBOTS_UNAVAILABLE, "robots-unavailable"},
};

// Reasons whose token carries the status: "http-404", "proxy-tunnel-403".
bool HasStatus(FailureReason reason) {
    return reason == FailureReason::HttpStatus || reason == FailureReason::ProxyTunnel;
}

const CReasonName* NameOf(FailureReason reason) {
    for (const CReasonName& name : kReasons) {
        if (name.m_reason == reason) {
            return &name;
        }
    }
    return nullptr;
}

constexpr int kMaxStatus = 999;  // three digits, as the status line has them
}  // namespace

std::string FailureText(const CPageFailure& failure) {
    const CReasonName* name = NameOf(failure.m_reason);
    if (name == nullptr) {
        return {};
    }
    if (failure.m_reason == FailureReason::Redirected && !failure.m_strTarget.empty()) {
        return FormatString(IDS_FAILED_REDIRECTED_TO, {failure.m_strTarget});
    }
    return FormatString(name->m_nText, {int64_t{failure.m_nStatus}});
}

std::string FailureToken(const CPageFailure& failure) {
    const CReasonName* name = NameOf(failure.m_reason);
    if (name == nullptr) {
        return {};
    }
    if (HasStatus(failure.m_reason)) {
        return std::string(name->m_token) + std::to_string(failure.m_nStatus);
    }
    return std::string(name->m_token);
}

std::optional<CPageFailure> ParseFailureToken(std::string_view token) {
    if (token.empty()) {
        return std::nullopt;
    }
    for (const CReasonName& name : kReasons) {
        if (!HasStatus(name.m_reason) || !token.starts_with(name.m_token)) {
            continue;
        }
        const std::string_view digits = token.substr(name.m_token.size());
        int status = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), status);
        if (error == std::errc() && end == digits.data() + digits.size() && !digits.empty() &&
            status >= 0 && status <= kMaxStatus) {
            return CPageFailure{name.m_reason, status};
        }
        return CPageFailure{FailureReason::Other, 0};
    }
    for (const CReasonName& name : kReasons) {
        if (!HasStatus(name.m_reason) && name.m_token == token) {
            return CPageFailure{name.m_reason, 0};
        }
    }
    return CPageFailure{FailureReason::Other, 0};
}

CPageFailure FailureOfError(int error, bool bConnecting, bool bProxy) {
    switch (error) {
        case ECANCELED:
            return {FailureReason::Aborted, 0};
        case ETIMEDOUT:
            return {FailureReason::TimedOut, 0};
        case ECONNRESET:
        case EPIPE:
            return {FailureReason::Reset, 0};
        default:
            break;
    }
    if (!bConnecting) {
        return {FailureReason::NetworkError, 0};
    }
    switch (error) {
        case ECONNREFUSED:
            return {bProxy ? FailureReason::ProxyRefused : FailureReason::Refused, 0};
        case ENETUNREACH:
        case ENETDOWN:
            return {bProxy ? FailureReason::ProxyUnreachable : FailureReason::NetworkUnreachable,
                    0};
        case EHOSTUNREACH:
        case EHOSTDOWN:
            return {bProxy ? FailureReason::ProxyUnreachable : FailureReason::HostUnreachable, 0};
        default:
            return {FailureReason::NetworkError, 0};
    }
}

bool IsNetworkOutage(FailureReason reason) {
    return reason == FailureReason::NetworkUnreachable ||
           reason == FailureReason::ProxyNotResolved || reason == FailureReason::ProxyRefused ||
           reason == FailureReason::ProxyUnreachable;
}

bool IsOutage(FailureReason reason, bool bSiteMode) {
    // In an address range most addresses have no server: only the proxy,
    // which every address goes through, has an outage there.
    if (!bSiteMode) {
        return reason == FailureReason::ProxyNotResolved || reason == FailureReason::ProxyRefused ||
               reason == FailureReason::ProxyUnreachable;
    }
    return IsNetworkOutage(reason) || reason == FailureReason::NotResolved ||
           reason == FailureReason::HostUnreachable;
}

int64_t FailureParam(int slot, const CPageFailure& failure) {
    const int status =
        failure.m_nStatus < 0 || failure.m_nStatus > kMaxStatus ? 0 : failure.m_nStatus;
    return int64_t{status} * 65536 + int64_t{slot & 0xFF} * 256 +
           static_cast<int>(failure.m_reason);
}

int SlotOfFailureParam(int64_t wParam) {
    return static_cast<int>((wParam >> 8) & 0xFF);
}

CPageFailure FailureOfParam(int64_t wParam) {
    const int reason = static_cast<int>(wParam & 0xFF);
    const int status = static_cast<int>((wParam >> 16) & 0xFFFF);
    if (reason <= 0 || reason > static_cast<int>(FailureReason::Last)) {
        return {FailureReason::Other, 0};
    }
    return {static_cast<FailureReason>(reason), status};
}

std::string FailedUrlParam(const std::string& url, const CPageFailure& failure) {
    return failure.m_strTarget.empty() ? url : url + "\t" + failure.m_strTarget;
}

std::string UrlOfFailedParam(std::string_view param, CPageFailure& failure) {
    const size_t tab = param.find('\t');
    if (tab == std::string_view::npos) {
        return std::string(param);
    }
    failure.m_strTarget = std::string(param.substr(tab + 1));
    return std::string(param.substr(0, tab));
}

void CFailureTally::Add(const CPageFailure& failure, int count) {
    CPageFailure reason = failure;
    reason.m_strTarget.clear();  // counted by reason, wherever a redirect pointed
    m_counts[reason] += count;
    m_nTotal += count;
}

void CFailureTally::Clear() {
    m_counts.clear();
    m_nTotal = 0;
}

std::vector<std::pair<CPageFailure, int>> CFailureTally::ByCount() const {
    std::vector<std::pair<CPageFailure, int>> counts(m_counts.begin(), m_counts.end());
    std::stable_sort(counts.begin(), counts.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    return counts;
}
