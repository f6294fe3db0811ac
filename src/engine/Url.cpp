#include "engine/Url.h"

#include <algorithm>

#include "common/Text.h"

namespace {
constexpr std::string_view HTTP = "http";
constexpr std::string_view HTTP_SCHEME = "http://";
constexpr int HTTP_PORT = 80;
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
    return EqualsNoCase(scheme, HTTP) ? HTTP_PORT : 0;
}

std::optional<CHostPort> ParseHostText(std::string_view hostText) {
    const size_t at = hostText.rfind('@');
    if (at != std::string_view::npos) {
        hostText.remove_prefix(at + 1);
    }
    CHostPort result;
    result.m_nPort = DefaultPort(HTTP);
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
    if (!StartsWithNoCase(url, HTTP_SCHEME)) {
        return std::nullopt;
    }
    const std::string_view rest = url.substr(HTTP_SCHEME.size());
    const size_t hostEnd = std::min(rest.find_first_of("/?#"), rest.size());
    const size_t extraBegin = std::min(rest.find_first_of("?#", hostEnd), rest.size());

    CUrlParts parts;
    parts.m_strHostText = std::string(rest.substr(0, hostEnd));
    const std::optional<CHostPort> hostPort = ParseHostText(parts.m_strHostText);
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
