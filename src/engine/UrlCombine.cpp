#include "engine/UrlCombine.h"

#include <algorithm>

#include "common/Text.h"

namespace {
// One URL or reference cut as RFC 3986 Appendix B does; an absent part differs
// from an empty one ("http://a/b?" has an empty query, "http://a/b" none).
struct CUriParts {
    std::optional<std::string_view> m_scheme;     // "http", without ":"
    std::optional<std::string_view> m_authority;  // "user@Host:8080", without "//"
    std::string_view m_path;                      // "/b/c/d;p", "g" or ""
    std::optional<std::string_view> m_query;      // "q=a b", without "?"
    std::optional<std::string_view> m_fragment;   // "top", without "#"
};

bool IsAsciiLetter(char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

bool IsSchemeChar(char ch) {
    return IsAsciiLetter(ch) || (ch >= '0' && ch <= '9') || ch == '+' || ch == '-' || ch == '.';
}

// A scheme is a letter then letters, digits, "+", "-" or "."; anything else
// before the ":" ("1x:", "a b:") makes the colon part of a relative path.
std::optional<std::string_view> SchemeOf(std::string_view text) {
    if (text.empty() || !IsAsciiLetter(text[0])) {
        return std::nullopt;
    }
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] == ':') {
            return text.substr(0, i);
        }
        if (!IsSchemeChar(text[i])) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

CUriParts SplitUri(std::string_view text) {
    CUriParts parts;
    parts.m_scheme = SchemeOf(text);
    if (parts.m_scheme) {
        text.remove_prefix(parts.m_scheme->size() + 1);
    }
    // "#" ends everything, so it is cut first; the query may hold "?" again.
    const size_t hash = text.find('#');
    if (hash != std::string_view::npos) {
        parts.m_fragment = text.substr(hash + 1);
        text = text.substr(0, hash);
    }
    const size_t question = text.find('?');
    if (question != std::string_view::npos) {
        parts.m_query = text.substr(question + 1);
        text = text.substr(0, question);
    }
    if (text.starts_with("//")) {
        const size_t pathBegin = std::min(text.find('/', 2), text.size());
        parts.m_authority = text.substr(2, pathBegin - 2);
        text.remove_prefix(pathBegin);
    }
    parts.m_path = text;
    return parts;
}

// Drops the output's last segment with the "/" before it. Each character is
// dropped at most once, so the whole removal stays linear.
void DropLastSegment(std::string& output) {
    const size_t slash = output.rfind('/');
    output.erase(slash == std::string::npos ? 0 : slash);
}

// RFC 3986 section 5.2.4. Once its first segment has moved, the input starts
// with "/", where only "/." can begin a dot segment; so everything before the
// next "/." moves at once, and plain paths take one step.
std::string RemoveDotSegments(std::string_view input) {
    std::string output;
    output.reserve(input.size());
    while (!input.empty()) {
        if (input.starts_with("../")) {
            input.remove_prefix(3);
        } else if (input.starts_with("./") || input.starts_with("/./")) {
            input.remove_prefix(2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.starts_with("/../")) {
            input.remove_prefix(3);
            DropLastSegment(output);
        } else if (input == "/..") {
            input = "/";
            DropLastSegment(output);
        } else if (input == "." || input == "..") {
            input = {};
        } else {
            const size_t end = std::min(input.find("/.", 1), input.size());
            output.append(input.substr(0, end));
            input.remove_prefix(end);
        }
    }
    return output;
}

// RFC 3986 section 5.2.3: the reference replaces the base's last segment.
std::string MergePaths(const CUriParts& base, std::string_view referencePath) {
    if (base.m_authority && base.m_path.empty()) {
        return "/" + std::string(referencePath);
    }
    const size_t slash = base.m_path.rfind('/');
    const std::string_view directory =
        slash == std::string_view::npos ? std::string_view() : base.m_path.substr(0, slash + 1);
    return std::string(directory) + std::string(referencePath);
}

}  // namespace

std::optional<std::string> CombineUrl(std::string_view base, std::string_view reference,
                                      size_t maxLength) {
    const CUriParts baseParts = SplitUri(base);
    if (!baseParts.m_scheme) {
        return std::nullopt;
    }
    const CUriParts ref = SplitUri(reference);
    if (ref.m_scheme && !EqualsNoCase(*ref.m_scheme, *baseParts.m_scheme)) {
        if (reference.size() > maxLength) {
            return std::nullopt;
        }
        return std::string(reference);
    }

    // Section 5.2.2; a scheme the reference wrote keeps its spelling.
    const std::string_view scheme = ref.m_scheme ? *ref.m_scheme : *baseParts.m_scheme;
    std::optional<std::string_view> authority = baseParts.m_authority;
    std::optional<std::string_view> query = ref.m_query;
    std::string path;
    if (ref.m_authority) {
        authority = ref.m_authority;
        path = RemoveDotSegments(ref.m_path);
    } else if (ref.m_path.empty()) {
        path = baseParts.m_path;
        if (!query) {
            query = baseParts.m_query;
        }
    } else if (ref.m_path.starts_with('/')) {
        path = RemoveDotSegments(ref.m_path);
    } else {
        path = RemoveDotSegments(MergePaths(baseParts, ref.m_path));
    }

    // Section 5.3.
    std::string result(scheme);
    result += ':';
    if (authority) {
        result += "//";
        result += *authority;
    }
    result += path;
    if (query) {
        result += '?';
        result += *query;
    }
    if (ref.m_fragment) {
        result += '#';
        result += *ref.m_fragment;
    }
    if (result.size() > maxLength) {
        return std::nullopt;
    }
    return result;
}
