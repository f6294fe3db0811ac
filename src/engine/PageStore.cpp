#include "engine/PageStore.h"

#include <algorithm>

#include "engine/Url.h"

namespace {
bool IsDotSegment(std::string_view segment) {
    return segment == "." || segment == "..";
}

// True when any "/"-separated segment of path is "." or "..".
bool HasDotSegment(std::string_view path) {
    size_t begin = 0;
    while (begin <= path.size()) {
        const size_t end = std::min(path.find('/', begin), path.size());
        if (IsDotSegment(path.substr(begin, end - begin))) {
            return true;
        }
        begin = end + 1;
    }
    return false;
}

// Characters that would start a folder or are awkward in a file name.
bool IsReplacedInExtra(char ch) {
    switch (ch) {
        case '/':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            return true;
        default:
            return false;
    }
}
}  // namespace

std::string UrlToLocalPath(const std::string& taskDir, std::string_view url) {
    // A zero byte would cut the path short when handed to the system.
    if (url.find('\0') != std::string_view::npos) {
        return {};
    }
    const std::optional<CUrlParts> parts = CrackUrl(url);
    if (!parts || IsDotSegment(parts->m_strHost) ||
        parts->m_strHost.find('/') != std::string::npos || HasDotSegment(parts->m_strPath)) {
        return {};
    }
    std::string path = taskDir + parts->m_strHost + parts->m_strPath;
    if (path.back() == '/') {
        path += "index.html";
    }
    for (const char ch : parts->m_strExtra) {
        path += IsReplacedInExtra(ch) ? '-' : ch;
    }
    return path;
}
