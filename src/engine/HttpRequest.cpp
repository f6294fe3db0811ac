#include "engine/HttpRequest.h"

#include <algorithm>
#include <optional>

#include "common/Text.h"
#include "engine/Url.h"

namespace {
// A value that cannot end its header line early: no CR, LF or zero byte.
bool FitsOneLine(std::string_view value) {
    return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// A host as a Host line or a proxied request line may carry it: no space and
// no control character, so it can neither add a line nor split one.
bool IsPlainHost(std::string_view host) {
    return std::none_of(host.begin(), host.end(), [](char ch) {
        const auto byte = static_cast<unsigned char>(ch);
        return byte <= ' ' || byte == 0x7F;
    });
}

// "Name: value\r\n", or nothing when the value would break the request apart.
std::string HeaderLine(std::string_view name, std::string_view value) {
    if (!FitsOneLine(value)) {
        return {};
    }
    std::string line(name);
    line.append(": ").append(value).append("\r\n");
    return line;
}

}  // namespace

std::string PathAndQuery(const CUrlParts& parts) {
    std::string target = parts.m_strPath;
    if (parts.m_strExtra.starts_with('?')) {
        target += parts.m_strExtra.substr(0, parts.m_strExtra.find('#'));
    }
    return PercentEncodeUnsafe(target);
}

std::string BuildRequest(std::string_view url, const CRequestContext& context) {
    if (!FitsOneLine(url)) {
        return {};
    }
    const std::optional<CUrlParts> parts = CrackUrl(url);
    if (!parts || !IsPlainHost(parts->m_strHostText)) {
        return {};
    }
    std::string request;
    if (context.m_bUseProxy) {
        request = "GET " + PercentEncodeUnsafe(url.substr(0, url.find('#'))) + " HTTP/1.0\r\n";
        if (!context.m_strProxyUser.empty()) {
            request +=
                HeaderLine("Proxy-Authorization", "Basic " + context.m_strProxyAuthorization);
        }
    } else {
        if (!IsPlainHost(context.m_strCurrentSite)) {
            return {};
        }
        request = "GET " + PathAndQuery(*parts) + " HTTP/1.0\r\n";
        request += "Host: " + context.m_strCurrentSite + "\r\n";
    }
    // The site's credential goes to its own site only, never to a linked one.
    if (!context.m_strSiteAuthorization.empty() &&
        EqualsNoCase(parts->m_strHostText, context.m_strAuthHost)) {
        request += HeaderLine("Authorization", "Basic " + context.m_strSiteAuthorization);
    }
    request += "Accept: */*\r\n";
    request += HeaderLine("User-Agent", context.m_strAgent);
    request += "\r\n";
    return request;
}
