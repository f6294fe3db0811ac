#include "server/RequestParser.h"

#include <climits>

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
