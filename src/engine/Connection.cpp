#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "common/Messages.h"
#include "common/StringTable.h"
#include "engine/HttpRequest.h"
#include "engine/Url.h"
#include "task/QuobrixDoc.h"

void CQuobrixDoc::SetAppOptions(const CAppOptions& options) {
    CLock lock(m_csOptions);
    m_options = options;
}

CAppOptions CQuobrixDoc::GetAppOptions() const {
    CLock lock(m_csOptions);
    return m_options;
}

// The server is the proxy, or the current site on the port its host text
// names (80 when none). May block in the system's name lookup: called with
// no lock held that the GUI thread takes.
bool CQuobrixDoc::LookUpServer(sockaddr_in& address) {
    const CAppOptions options = GetAppOptions();
    std::string name;
    int port = 80;
    if (options.m_bUseProxy) {
        name = options.m_strProxyAddress;
        port = options.m_nProxyPort & 0xFFFF;
    } else {
        const std::optional<CHostPort> host = ParseSite(GetCurrentSite());
        if (!host) {
            return false;
        }
        name = host->m_strName;
        port = host->m_nPort;
    }
    address = sockaddr_in{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    AtRunStep(RunStep::Lookup, -1);
    if (inet_aton(name.c_str(), &address.sin_addr) == 0) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
            return false;
        }
        address.sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
        freeaddrinfo(found);
    }
    return true;
}

// Why the lookup of the proxy or the current site failed.
CPageFailure CQuobrixDoc::LookupFailure() {
    if (GetAppOptions().m_bUseProxy) {
        return {FailureReason::ProxyNotResolved, 0};
    }
    const std::string site = GetCurrentSite();
    if (ParseSite(site)) {
        return {FailureReason::NotResolved, 0};
    }
    // "http://https://host/" gives the site "https:": another scheme.
    const bool bScheme =
        !site.empty() && site.back() == ':' && site.find_first_of("/.@") == std::string::npos;
    return {bScheme ? FailureReason::NotHttp : FailureReason::BadAddress, 0};
}

bool CQuobrixDoc::ResolveServer() {
    // One lookup at a time, so the first slot's answer serves the others;
    // m_csResolve, which the GUI thread takes, is held only to read and to
    // publish.
    CLock lookup(m_csLookup);
    int generation;
    {
        CLock lock(m_csResolve);
        if (m_bResolved) {
            return true;  // another slot resolved it while this one waited
        }
        generation = m_nAddressGeneration;
    }
    sockaddr_in address;
    if (!LookUpServer(address)) {
        return false;
    }
    CLock lock(m_csResolve);
    if (generation != m_nAddressGeneration) {
        return false;  // the crawl moved to another site meanwhile
    }
    m_addrSite = address;
    m_bResolved = true;
    return true;
}

int CQuobrixDoc::ConnectSlot(int slot) {
    NotifyThreadStatus(slot, PHASE_CONNECT, FormatString(IDS_STATUS_CONNECTING, {GetCurrentSite()}));

    // The site is resolved once, by the first connection that needs it.
    // Resolving does not use up a retry.
    bool resolved;
    {
        CLock lock(m_csResolve);
        resolved = m_bResolved;
    }
    if (!resolved) {
        NotifySitesLeft();
        if (!ResolveServer()) {
            return FailPage(slot, LookupFailure());
        }
    }
    const bool bProxy = GetAppOptions().m_bUseProxy;
    const std::string site = GetCurrentSite();
    const bool bHttps = IsHttpsSite(site);

    for (int retry = 0;; ++retry) {
        sockaddr_in address;
        {
            CLock lock(m_csResolve);
            address = m_addrSite;
        }
        CloseSlotSocket(slot);
        if (!OpenSlotSocket(slot)) {
            return FailPage(slot, FailureOfError(errno, true, bProxy));
        }
        if (ConnectSlotSocket(slot, address, TimeoutMs()) != 0) {
            // Only a connection that timed out is tried again.
            const int error = errno;
            if (error != ETIMEDOUT || retry >= Retries() || m_bStop) {
                CloseSlotSocket(slot);
                return FailPage(slot, FailureOfError(error, true, bProxy));
            }
            continue;
        }
        if (!bHttps) {
            return 1;
        }
        // The handshake's last flight and the request go as separate small
        // writes: without this, each would wait for the server's delayed ACK.
        const int noDelay = 1;
        setsockopt(m_sockSlot[slot], IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
        CPageFailure failure = bProxy ? OpenTunnel(slot, site) : CPageFailure{};
        if (!failure.Failed()) {
            failure = StartTls(slot, site);
        }
        if (!failure.Failed()) {
            return 1;
        }
        // A handshake that timed out is tried again, as a connection is.
        if (failure.m_reason != FailureReason::TimedOut || retry >= Retries() || m_bStop) {
            CloseSlotSocket(slot);
            return FailPage(slot, failure);
        }
    }
}

int CQuobrixDoc::SendRequest(int slot, const std::string& url) {
    NotifyThreadStatus(slot, PHASE_CONNECT, FormatString(IDS_STATUS_REQUESTING, {url}));
    const CAppOptions options = GetAppOptions();
    const std::string site = GetCurrentSite();
    CRequestContext context;
    // Through the proxy's tunnel an HTTPS site is asked as it is directly.
    context.m_bUseProxy = options.m_bUseProxy && !IsHttpsSite(site);
    context.m_strProxyUser = options.m_strProxyUser;
    context.m_strProxyAuthorization = options.m_strProxyAuthorization;
    context.m_strAgent = options.m_strAgent;
    context.m_strCurrentSite = std::string(SiteHostText(site));
    {
        CLock lock(m_csCredential);
        context.m_strSiteAuthorization = m_strSiteAuthorization;
        context.m_strAuthHost = m_strAuthHost;
    }
    const std::string request = BuildRequest(url, context);
    if (request.empty()) {
        return FailPage(slot, {FailureReason::BadAddress, 0});
    }
    if (!SendSlot(slot, request, TimeoutMs())) {
        return FailPage(slot, FailureOfError(errno, false, context.m_bUseProxy));
    }
    return 1;
}
