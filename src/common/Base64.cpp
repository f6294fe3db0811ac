#include "common/Base64.h"

#include <cstring>

namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

bool InAlphabet(char ch) {
    return ch != '\0' && std::strchr(kAlphabet, ch) != nullptr;
}
}  // namespace

std::string CBase64::Encode(std::string_view data) {
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= data.size(); i += 3) {
        const unsigned group = (static_cast<unsigned char>(data[i]) << 16) |
                               (static_cast<unsigned char>(data[i + 1]) << 8) |
                               static_cast<unsigned char>(data[i + 2]);
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += kAlphabet[(group >> 6) & 63];
        out += kAlphabet[group & 63];
    }
    const size_t rest = data.size() - i;
    if (rest > 0) {
        unsigned group = static_cast<unsigned char>(data[i]) << 16;
        if (rest == 2) {
            group |= static_cast<unsigned char>(data[i + 1]) << 8;
        }
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += rest == 2 ? kAlphabet[(group >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

bool CBase64::IsValid(std::string_view text) {
    if (text.size() % 4 != 0) {
        return false;
    }
    // "xx==" or "xxx=" may end the text; no other "=" anywhere.
    size_t padding = 0;
    while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=') {
        ++padding;
    }
    for (size_t i = 0; i + padding < text.size(); ++i) {
        if (!InAlphabet(text[i])) {
            return false;
        }
    }
    return true;
}
