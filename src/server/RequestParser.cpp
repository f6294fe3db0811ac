#include "server/RequestParser.h"

#include <climits>

#include "common/Text.h"

std::optional<std::string> RequestPath(std::string_view request) {
    const size_t first = request.find(' ');
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    const size_t second = request.find(' ', first + 1);
    if (second == std::string_view::npos || second == first + 1) {
        return std::nullopt;
    }
    return std::string(request.substr(first + 1, second - first - 1));
}

CRequestTarget ClassifyName(std::string_view name) {
    CRequestTarget target;
    if (name.empty()) {
        target.m_kind = CRequestTarget::Kind::ResultPage;
        target.m_strFileName = "ResultPage0.html";
        return target;
    }
    constexpr std::string_view prefix = "ResultPage";
    constexpr std::string_view suffix = ".html";
    if (name.size() < prefix.size() + suffix.size() || !name.starts_with(prefix) ||
        !name.ends_with(suffix)) {
        return target;
    }
    const std::string_view digits =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    long long page = 0;
    for (char ch : digits) {
        if (ch < '0' || ch > '9') {
            return target;
        }
        // A number too large for a page index names no page that can exist.
        page = page > INT_MAX ? page : page * 10 + (ch - '0');
    }
    target.m_kind = CRequestTarget::Kind::ResultPage;
    target.m_nPage = page > INT_MAX ? INT_MAX : static_cast<int>(page);
    target.m_strFileName = std::string(name);
    return target;
}

std::string ExtensionOf(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? "" : std::string(name.substr(dot));
}

std::optional<std::string> RequestHost(std::string_view request) {
    constexpr std::string_view name = "host:";
    request = request.substr(0, request.find("\r\n\r\n"));  // the header only
    for (size_t line = request.find('\n'); line != std::string_view::npos;
         line = request.find('\n', line + 1)) {
        const std::string_view rest = request.substr(line + 1);
        if (StartsWithNoCase(rest, name)) {
            return Trim(rest.substr(name.size(), rest.find('\n') - name.size()));
        }
    }
    return std::nullopt;
}

bool IsOwnHost(std::string_view host, int port) {
    // "[::1]:8080" keeps its brackets; the port follows the last ":" after them.
    const size_t colon = host.rfind(':');
    const size_t bracket = host.rfind(']');
    std::string_view name = host;
    int named = 80;
    if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
        name = host.substr(0, colon);
        const std::string_view digits = host.substr(colon + 1);
        if (digits.empty() || digits.size() > 5) {
            return false;
        }
        named = 0;
        for (const char ch : digits) {
            if (ch < '0' || ch > '9') {
                return false;
            }
            named = named * 10 + (ch - '0');
        }
    }
    return named == port &&
           (name == "127.0.0.1" || EqualsNoCase(name, "localhost") || name == "[::1]");
}
