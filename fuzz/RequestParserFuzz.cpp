// Arbitrary request bytes through the local server's request reading, name
// classification and percent-decoding: no crash, and the results stay
// consistent.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "server/RequestParser.h"

namespace {
size_t CountOf(std::string_view text, char ch) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), ch));
}

// Decoding only ever turns three bytes into one, never adds a "/" or a zero
// byte, and leaves text without "%" alone; a second decoding of text that
// held no "%" escapes changes nothing.
void CheckDecoding(std::string_view text) {
    const std::optional<std::string> decoded = PercentDecoded(text);
    if (!decoded) {
        return;
    }
    if (decoded->size() > text.size() || (text.size() - decoded->size()) % 2 != 0 ||
        CountOf(*decoded, '/') != CountOf(text, '/') ||
        CountOf(*decoded, '\0') != CountOf(text, '\0') ||
        (text.find('%') == std::string_view::npos && *decoded != text)) {
        __builtin_trap();
    }
}

// A "/" is added only where the host ends, and only when none is there.
void CheckHostSlash(std::string_view name) {
    const std::string named = WithHostSlash(name);
    const size_t hostEnd = named.find_first_of("/?#");
    if (hostEnd == std::string::npos || named[hostEnd] != '/') {
        __builtin_trap();
    }
    if (named != name && (named.size() != name.size() + 1 ||
                          named.substr(0, hostEnd) + named.substr(hostEnd + 1) != name)) {
        __builtin_trap();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view request(reinterpret_cast<const char*>(data), size);
    const size_t end = RequestHeaderEnd(request);
    if (end != std::string_view::npos) {
        const std::string_view header = request.substr(0, end);
        if (end > size || !(header.ends_with("\n\n") || header.ends_with("\n\r\n")) ||
            RequestHeaderEnd(header) != end) {
            __builtin_trap();
        }
    }
    CheckDecoding(request);
    const std::optional<std::string> path = RequestPath(request);
    if (!path) {
        return 0;
    }
    if (path->empty() || (*path)[0] != '/' || path->find_first_of(" \r\n") != std::string::npos ||
        request.find(*path) == std::string::npos) {
        __builtin_trap();
    }
    const std::string name = path->substr(1);
    CheckDecoding(name);
    CheckHostSlash(name);
    const CRequestTarget target = ClassifyName(name);
    if (target.m_kind == CRequestTarget::Kind::ResultPage) {
        if (target.m_nPage < 0 || (name.empty() ? target.m_strFileName != "ResultPage0.html"
                                                : target.m_strFileName != name) ||
            target.m_strFileName.find('/') != std::string::npos) {
            __builtin_trap();
        }
    }
    const std::string extension = ExtensionOf(name);
    if (!extension.empty() && (extension[0] != '.' || !name.ends_with(extension))) {
        __builtin_trap();
    }
    return 0;
}
