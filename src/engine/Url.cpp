#include "engine/Url.h"

#include <algorithm>

#include "common/Text.h"

namespace {
constexpr std::string_view HTTP = "http";
constexpr std::string_view HTTPS = "https";
constexpr int HTTP_PORT = 80;
constexpr int HTTPS_PORT = 443;
constexpr int PORT_MAX = 65535;

// Digits only, 1..65535; leading zeros are allowed ("0080").
std::optional<int> ParsePort(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    int port = 0;
    for (const char ch : text) {
        if (ch < '0' || ch > '9') {
            return std::nullopt;
        }
        port = port * 10 + (ch - '0');
        if (port > PORT_MAX) {
            return std::nullopt;  // stop before the number can overflow
        }
    }
    if (port == 0) {
        return std::nullopt;
    }
    return port;
}
}  // namespace

int DefaultPort(std::string_view scheme) {
    if (EqualsNoCase(scheme, HTTP)) {
        return HTTP_PORT;
    }
    return EqualsNoCase(scheme, HTTPS) ? HTTPS_PORT : 0;
}

std::optional<CHostPort> ParseHostText(std::string_view hostText, int defaultPort) {
    const size_t at = hostText.rfind('@');
    if (at != std::string_view::npos) {
        hostText.remove_prefix(at + 1);
    }
    CHostPort result;
    result.m_nPort = defaultPort;
    const size_t colon = hostText.find(':');
    if (colon != std::string_view::npos) {
        const std::optional<int> port = ParsePort(hostText.substr(colon + 1));
        if (!port) {
            return std::nullopt;
        }
        result.m_nPort = *port;
        hostText = hostText.substr(0, colon);
    }
    if (hostText.empty()) {
        return std::nullopt;
    }
    result.m_strName = std::string(hostText);
    return result;
}

std::optional<CUrlParts> CrackUrl(std::string_view url) {
    const bool bHttps = StartsWithNoCase(url, HTTPS_PREFIX);
    if (!bHttps && !StartsWithNoCase(url, HTTP_PREFIX)) {
        return std::nullopt;
    }
    const std::string_view rest = url.substr(bHttps ? HTTPS_PREFIX.size() : HTTP_PREFIX.size());
    const size_t hostEnd = std::min(rest.find_first_of("/?#"), rest.size());
    const size_t extraBegin = std::min(rest.find_first_of("?#", hostEnd), rest.size());

    CUrlParts parts;
    parts.m_strScheme = bHttps ? HTTPS : HTTP;
    parts.m_strHostText = std::string(rest.substr(0, hostEnd));
    const std::optional<CHostPort> hostPort =
        ParseHostText(parts.m_strHostText, DefaultPort(parts.m_strScheme));
    if (!hostPort) {
        return std::nullopt;
    }
    parts.m_strHost = hostPort->m_strName;
    parts.m_nPort = hostPort->m_nPort;
    const std::string_view path = rest.substr(hostEnd, extraBegin - hostEnd);
    parts.m_strPath = path.empty() ? std::string(1, '/') : std::string(path);
    parts.m_strExtra = std::string(rest.substr(extraBegin));
    if (parts.m_strHost.size() > URL_PART_MAX || parts.m_strPath.size() > URL_PART_MAX ||
        parts.m_strExtra.size() > URL_PART_MAX) {
        return std::nullopt;
    }
    return parts;
}

bool IsHttpsSite(std::string_view site) {
    return StartsWithNoCase(site, HTTPS_PREFIX);
}

std::string_view SiteHostText(std::string_view site) {
    return IsHttpsSite(site) ? site.substr(HTTPS_PREFIX.size()) : site;
}

std::string SiteRoot(std::string_view site) {
    std::string root(IsHttpsSite(site) ? std::string_view() : HTTP_PREFIX);
    root.append(site).append("/");
    return root;
}

std::optional<CHostPort> ParseSite(std::string_view site) {
    return ParseHostText(SiteHostText(site), IsHttpsSite(site) ? HTTPS_PORT : HTTP_PORT);
}

std::string SiteOfUrl(std::string_view url) {
    const bool bHttps = StartsWithNoCase(url, HTTPS_PREFIX);
    if (!bHttps && !StartsWithNoCase(url, HTTP_PREFIX)) {
        return {};
    }
    const size_t begin = bHttps ? HTTPS_PREFIX.size() : HTTP_PREFIX.size();
    const std::string_view host = url.substr(begin, url.find('/', begin) - begin);
    if (host.empty()) {
        return {};
    }
    return bHttps ? std::string(HTTPS_PREFIX).append(host) : std::string(host);
}

CStartAddress SplitStartAddress(std::string_view address) {
    const size_t from = IsHttpsSite(address) ? HTTPS_PREFIX.size() : 0;
    const size_t slash = address.find('/', from);
    CStartAddress start;
    start.m_strSite = std::string(address.substr(0, slash));
    start.m_strPath = slash == std::string_view::npos ? "/" : std::string(address.substr(slash));
    return start;
}
