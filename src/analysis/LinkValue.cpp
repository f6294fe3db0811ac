#include "analysis/LinkValue.h"

#include "common/Text.h"

size_t ClosingQuote(std::string_view text, size_t start) {
    if (start >= text.size() || (text[start] != '"' && text[start] != '\'')) {
        return std::string_view::npos;
    }
    return text.find(text[start], start + 1);
}

std::string LinkOfValue(std::string_view text) {
    std::string value(text);
    for (char& ch : value) {
        if (ch == '\r' || ch == '\n' || ch == '\t') {
            ch = ' ';
        }
    }
    value = Trim(value);
    if (value.empty()) {
        return "";
    }
    if (value[0] == '"' || value[0] == '\'') {
        const size_t close = ClosingQuote(value, 0);
        if (close == std::string::npos) {
            return "";
        }
        return Trim(std::string_view(value).substr(1, close - 1));
    }
    return Trim(std::string_view(value).substr(0, value.find(' ')));
}
