#include "engine/HttpRequest.h"

#include <optional>

#include "common/Text.h"
#include "engine/Url.h"

namespace {
// The path and the query as a server expects them: "/search?q=a b", no fragment.
std::string PathAndQuery(const CUrlParts& parts) {
    std::string target = parts.m_strPath;
    if (parts.m_strExtra.starts_with('?')) {
        target += parts.m_strExtra.substr(0, parts.m_strExtra.find('#'));
    }
    return target;
}
}  // namespace

std::string BuildRequest(std::string_view url, const CRequestContext& context) {
    if (url.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
        return {};
    }
    const std::optional<CUrlParts> parts = CrackUrl(url);
    if (!parts) {
        return {};
    }
    std::string request;
    if (context.m_bUseProxy) {
        request = "GET " + std::string(url.substr(0, url.find('#'))) + " HTTP/1.0\r\n";
        if (!context.m_strProxyUser.empty()) {
            request += "Proxy-Authorization: Basic " + context.m_strProxyAuthorization + "\r\n";
        }
    } else {
        request = "GET " + PathAndQuery(*parts) + " HTTP/1.0\r\n";
        request += "Host: " + context.m_strCurrentSite + "\r\n";
    }
    // The site's credential goes to its own site only, never to a linked one.
    if (!context.m_strSiteAuthorization.empty() &&
        EqualsNoCase(parts->m_strHostText, context.m_strAuthHost)) {
        request += "Authorization: Basic " + context.m_strSiteAuthorization + "\r\n";
    }
    request += "Accept: */*\r\n";
    request += "User-Agent: " + context.m_strAgent + "\r\n";
    request += "\r\n";
    return request;
}
