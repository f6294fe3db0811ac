#include "common/Text.h"

namespace {
bool IsSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}

}  // namespace

char ToLowerAscii(char ch) {
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

std::string ToLowerAscii(std::string text) {
    for (char& ch : text) {
        ch = ToLowerAscii(ch);
    }
    return text;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

std::string Trim(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsSpace(text[begin])) {
        ++begin;
    }
    while (end > begin && IsSpace(text[end - 1])) {
        --end;
    }
    return std::string(text.substr(begin, end - begin));
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (ToLowerAscii(text[i]) != ToLowerAscii(prefix[i])) {
            return false;
        }
    }
    return true;
}

std::string FileNameOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool HasControlCharacters(std::string_view text) {
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte == 0x7F) {
            return true;
        }
    }
    return false;
}

bool IsUnsafeUrlByte(char ch) {
    const auto byte = static_cast<unsigned char>(ch);
    return byte <= 0x20 || byte >= 0x7F;
}

bool HasUnsafeUrlBytes(std::string_view text) {
    for (const char ch : text) {
        if (IsUnsafeUrlByte(ch)) {
            return true;
        }
    }
    return false;
}

std::string PercentEncodeUnsafe(std::string_view text) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (const char ch : text) {
        if (!IsUnsafeUrlByte(ch)) {
            encoded += ch;
            continue;
        }
        const auto byte = static_cast<unsigned char>(ch);
        encoded += '%';
        encoded += kHexDigits[byte >> 4];
        encoded += kHexDigits[byte & 0x0F];
    }
    return encoded;
}

void AppendReplacing(std::string& out, std::string_view text, char from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string_view::npos; at = text.find(from)) {
        out.append(text.substr(0, at)).append(to);
        text.remove_prefix(at + 1);
    }
    out.append(text);
}
