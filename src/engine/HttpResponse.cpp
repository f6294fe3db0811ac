#include "engine/HttpResponse.h"

#include "common/Text.h"

#include <algorithm>
#include <limits>

namespace {
bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

bool ContainsNoCase(std::string_view text, std::string_view pattern) {
    const auto sameLetter = [](char a, char b) { return ToLowerAscii(a) == ToLowerAscii(b); };
    return std::search(text.begin(), text.end(), pattern.begin(), pattern.end(), sameLetter) !=
           text.end();
}

// The value of the first header line that starts with name ("content-type:"),
// after any spaces, up to the end of the line. Only a name at the start of a
// line counts, so "x-content-type:" is not taken for it.
std::optional<std::string_view> HeaderValue(std::string_view lowerHeader, std::string_view name) {
    size_t pos = 0;
    if (!lowerHeader.starts_with(name)) {
        pos = lowerHeader.find(std::string("\n").append(name));
        if (pos == std::string_view::npos) {
            return std::nullopt;
        }
        ++pos;
    }
    pos += name.size();
    while (pos < lowerHeader.size() && (lowerHeader[pos] == ' ' || lowerHeader[pos] == '\t')) {
        ++pos;
    }
    const size_t end = std::min(lowerHeader.find('\n', pos), lowerHeader.size());
    return lowerHeader.substr(pos, end - pos);
}
}  // namespace

size_t FindHeaderEnd(std::string_view text) {
    size_t pos = text.find("\r\n\r\n");
    if (pos != std::string_view::npos) {
        return pos + 4;
    }
    pos = text.find("\n\n");
    return pos == std::string_view::npos ? std::string_view::npos : pos + 2;
}

int StatusCode(std::string_view header) {
    const size_t space = header.find(' ');
    if (space == std::string_view::npos || header.size() < space + 4) {
        return -1;
    }
    int code = 0;
    for (size_t i = space + 1; i < space + 4; ++i) {
        if (!IsDigit(header[i])) {
            return -1;
        }
        code = code * 10 + (header[i] - '0');
    }
    return code;
}

std::optional<uint32_t> ContentLength(std::string_view lowerHeader) {
    const std::optional<std::string_view> value = HeaderValue(lowerHeader, "content-length:");
    if (!value || value->empty() || !IsDigit(value->front())) {
        return std::nullopt;
    }
    constexpr uint64_t MAX = std::numeric_limits<uint32_t>::max();
    uint64_t length = 0;
    for (size_t i = 0; i < value->size() && IsDigit((*value)[i]); ++i) {
        length = std::min(MAX, length * 10 + static_cast<uint64_t>((*value)[i] - '0'));
    }
    return static_cast<uint32_t>(length);
}

std::optional<std::string> ContentType(std::string_view lowerHeader) {
    std::optional<std::string_view> value = HeaderValue(lowerHeader, "content-type:");
    if (!value) {
        return std::nullopt;
    }
    if (!value->empty() && value->back() == '\r') {
        value->remove_suffix(1);
    }
    return std::string(*value);
}

bool IsRedirectStatus(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::optional<std::string> Location(std::string_view header) {
    // Found in the lower-case copy, taken from the original at the same place.
    const std::string lower = ToLowerAscii(std::string(header));
    const std::optional<std::string_view> value = HeaderValue(lower, "location:");
    if (!value) {
        return std::nullopt;
    }
    const size_t begin = static_cast<size_t>(value->data() - lower.data());
    std::string text = Trim(header.substr(begin, value->size()));
    if (text.empty()) {
        return std::nullopt;
    }
    return text;
}

CFileKind ClassifyContentType(std::string_view contentType) {
    if (ContainsNoCase(contentType, "image")) {
        return {FileClass::Image, true};
    }
    if (ContainsNoCase(contentType, "text")) {
        const bool bPage =
            ContainsNoCase(contentType, "/plain") || ContainsNoCase(contentType, "/html");
        return {FileClass::Text, !bPage};
    }
    return {FileClass::Others, true};
}

bool RejectedByFilter(bool bFilterOn, int nLimitK, uint64_t length) {
    if (!bFilterOn) {
        return true;
    }
    return nLimitK > 0 && length > static_cast<uint64_t>(nLimitK) * 1024;
}
