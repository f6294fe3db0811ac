#include "server/RequestParser.h"

#include <climits>

#include "common/Text.h"

namespace {
int HexValue(char ch) {
    if (ch >= '0' && ch <= '9') {
        return ch - '0';
    }
    const char lower = ToLowerAscii(ch);
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}
}  // namespace

size_t RequestHeaderEnd(std::string_view received) {
    // The blank line: a line feed, perhaps a carriage return, a line feed.
    for (size_t at = received.find('\n'); at != std::string_view::npos;
         at = received.find('\n', at + 1)) {
        if (at + 1 < received.size() && received[at + 1] == '\n') {
            return at + 2;
        }
        if (at + 2 < received.size() && received[at + 1] == '\r' && received[at + 2] == '\n') {
            return at + 3;
        }
    }
    return std::string_view::npos;
}

std::optional<std::string> RequestPath(std::string_view request) {
    const std::string_view line = request.substr(0, request.find_first_of("\r\n"));
    const size_t first = line.find(' ');
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    const size_t second = line.find(' ', first + 1);
    if (second == std::string_view::npos || second == first + 1 || line[first + 1] != '/') {
        return std::nullopt;
    }
    return std::string(line.substr(first + 1, second - first - 1));
}

std::optional<std::string> PercentDecoded(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (size_t at = 0; at < text.size(); ++at) {
        const int high = text[at] == '%' && at + 2 < text.size() ? HexValue(text[at + 1]) : -1;
        const int low = high >= 0 ? HexValue(text[at + 2]) : -1;
        if (low < 0) {
            decoded += text[at];
            continue;
        }
        const char byte = static_cast<char>(high * 16 + low);
        if (byte == '/' || byte == '\0') {
            return std::nullopt;
        }
        decoded += byte;
        at += 2;
    }
    return decoded;
}

std::string WithHostSlash(std::string_view name) {
    const size_t hostEnd = name.find_first_of("/?#");
    if (hostEnd != std::string_view::npos && name[hostEnd] == '/') {
        return std::string(name);
    }
    const size_t at = hostEnd == std::string_view::npos ? name.size() : hostEnd;
    return std::string(name.substr(0, at)) + "/" + std::string(name.substr(at));
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
