#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Why a page was not retrieved. The values travel in WM_PAGE_FAILED and the
// tokens stand in the task folder's failure record: new reasons go at the end.
enum class FailureReason : int {
    None = 0,
    NotResolved,         // the site's name did not resolve
    Refused,             // the site refused the connection
    TimedOut,            // connecting or reading took longer than the task's timeout
    Reset,               // the connection was reset
    NetworkUnreachable,  // no route to the network
    HostUnreachable,     // no route to the site
    HttpStatus,          // an answer other than 200 (m_nStatus)
    TooLarge,            // over its class's size limit
    Filtered,            // its type is filtered out
    ProxyNotResolved,    // the proxy's name did not resolve
    ProxyRefused,        // the proxy refused the connection: it is down
    ProxyUnreachable,    // no route to the proxy
    ProxyAuth,           // the proxy answered 407
    NotHttp,             // another scheme ("http://https://host/")
    BadAddress,          // an address that cannot be requested
    BadResponse,         // a header that never ends
    Aborted,             // "Abort Retrieval"
    NetworkError,        // any other socket error
    Other,               // a reason of a later version, read from a record
    CertUntrusted,       // the site's certificate chain is not trusted
    CertWrongName,       // the certificate is for another name
    CertExpired,         // the certificate has expired (or is not valid yet)
    TlsFailed,           // the TLS handshake failed for another reason
    ProxyTunnel,         // the proxy refused the CONNECT tunnel (m_nStatus)
    Redirected,          // a redirect while "Follow redirects" is off (m_strTarget)
    RobotsDisallowed,    // robots.txt disallows it
    RobotsUnavailable,   // robots.txt answered 5xx or could not be fetched: nothing allowed
    Last = RobotsUnavailable,
};

struct CPageFailure {
    CPageFailure() = default;
    CPageFailure(FailureReason reason, int status, std::string target = {})
        : m_reason(reason), m_nStatus(status), m_strTarget(std::move(target)) {}

    FailureReason m_reason = FailureReason::None;
    int m_nStatus = 0;  // the HTTP status of FailureReason::HttpStatus, else 0
    // Where a redirect pointed; shown with the reason, not counted apart.
    std::string m_strTarget{};

    [[nodiscard]] bool Failed() const { return m_reason != FailureReason::None; }
    friend bool operator==(const CPageFailure& a, const CPageFailure& b) {
        return a.m_reason == b.m_reason && a.m_nStatus == b.m_nStatus;
    }
    friend auto operator<=>(const CPageFailure& a, const CPageFailure& b) {
        if (const auto order = a.m_reason <=> b.m_reason; order != 0) {
            return order;
        }
        return a.m_nStatus <=> b.m_nStatus;
    }
};

// What is shown: "connection refused", "HTTP 404" (from the string table);
// a redirect with its target: "redirected to URL (Options: Follow redirects)".
std::string FailureText(const CPageFailure& failure);

// What the failure record keeps: "refused", "http-404". Reading gives back
// the failure; an unknown token is FailureReason::Other, an empty one nothing.
std::string FailureToken(const CPageFailure& failure);
std::optional<CPageFailure> ParseFailureToken(std::string_view token);

// The failure of a socket call that failed with error (errno): while
// connecting, bProxy says whether the connection went to the proxy.
CPageFailure FailureOfError(int error, bool bConnecting, bool bProxy);

// The reasons of HTTPS, redirects and robots.txt: the thread's line names
// them too, where the older ones keep the lines they always had.
inline bool IsToldOnThreadLine(FailureReason reason) {
    return reason > FailureReason::Other;
}

// An outage rather than an answer: the network, the proxy, or (in site mode)
// the site cannot be reached at all. bSiteMode: site failures count.
bool IsOutage(FailureReason reason, bool bSiteMode);
// An outage of the proxy or the network, which every site shares.
bool IsNetworkOutage(FailureReason reason);
// Tries in a row, over all workers, that find an outage before the task
// pauses instead of using up its queue.
constexpr int OUTAGE_TRIES = 3;

// WM_PAGE_FAILED's wParam: status * 65536 + slot * 256 + reason.
int64_t FailureParam(int slot, const CPageFailure& failure);
int SlotOfFailureParam(int64_t wParam);
CPageFailure FailureOfParam(int64_t wParam);
// WM_PAGE_FAILED's lParam: the URL, then a tab and a redirect's target when
// there is one. Reading gives the URL and puts the target into failure.
std::string FailedUrlParam(const std::string& url, const CPageFailure& failure);
std::string UrlOfFailedParam(std::string_view param, CPageFailure& failure);

// How many pages failed for each reason.
class CFailureTally {
public:
    void Add(const CPageFailure& failure, int count = 1);
    void Clear();
    [[nodiscard]] int Total() const { return m_nTotal; }
    // Reasons with their counts, the most frequent first (equal counts in the
    // order of the reasons).
    [[nodiscard]] std::vector<std::pair<CPageFailure, int>> ByCount() const;

private:
    std::map<CPageFailure, int> m_counts;
    int m_nTotal = 0;
};
