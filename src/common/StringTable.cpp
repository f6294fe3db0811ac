#include "common/StringTable.h"

#include <cstdio>
#include <optional>
#include <unordered_map>

namespace {
// Built once, on first use; the magic static makes that safe from any thread.
const std::unordered_map<unsigned, std::string>& Table() {
    static const std::unordered_map<unsigned, std::string> table = {
#define QB_STRING(id, name, text) {id, text},
#include "strings.def"
#undef QB_STRING
    };
    return table;
}

bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// A printf conversion taken from between the exclamation marks of "%1!-5d!".
struct Conversion {
    std::string flags;      // any of "-+ #0"
    std::string width;      // decimal digits, maybe empty
    std::string precision;  // "." and digits, maybe empty
    char type = 0;          // d i u x X s
};

std::optional<Conversion> ParseConversion(std::string_view spec) {
    Conversion conv;
    size_t i = 0;
    while (i < spec.size() && std::string_view("-+ #0").find(spec[i]) != std::string_view::npos) {
        conv.flags += spec[i++];
    }
    while (i < spec.size() && IsDigit(spec[i])) {
        conv.width += spec[i++];
    }
    if (i < spec.size() && spec[i] == '.') {
        conv.precision += spec[i++];
        while (i < spec.size() && IsDigit(spec[i])) {
            conv.precision += spec[i++];
        }
    }
    if (i + 1 != spec.size() ||
        std::string_view("diuxXs").find(spec[i]) == std::string_view::npos) {
        return std::nullopt;
    }
    conv.type = spec[i];
    // "#" means something only for hexadecimal; elsewhere printf leaves it undefined.
    if (conv.flags.find('#') != std::string::npos && conv.type != 'x' && conv.type != 'X') {
        return std::nullopt;
    }
    return conv;
}

template <typename Value>
std::optional<std::string> Printf(const std::string& pattern, Value value) {
    const int length = std::snprintf(nullptr, 0, pattern.c_str(), value);
    if (length < 0) {
        return std::nullopt;
    }
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), pattern.c_str(), value);
    text.resize(static_cast<size_t>(length));
    return text;
}

// Text is padded as "%s" would pad it; only "-" of the flags applies to text.
std::optional<std::string> PrintText(const std::string& text, const Conversion& conv) {
    if (conv.width.empty() && (conv.type != 's' || conv.precision.empty())) {
        return text;
    }
    std::string pattern = "%";
    if (conv.flags.find('-') != std::string::npos) {
        pattern += '-';
    }
    pattern += conv.width;
    if (conv.type == 's') {
        pattern += conv.precision;
    }
    return Printf(pattern + "s", text.c_str());
}

std::optional<std::string> FormatInsert(const FormatArg& arg,
                                        std::optional<std::string_view> spec) {
    if (!spec) {
        if (const auto* text = std::get_if<std::string>(&arg)) {
            return *text;
        }
        return std::to_string(std::get<int64_t>(arg));
    }
    const std::optional<Conversion> conv = ParseConversion(*spec);
    if (!conv) {
        return std::nullopt;
    }
    if (const auto* text = std::get_if<std::string>(&arg)) {
        return PrintText(*text, *conv);
    }
    const int64_t number = std::get<int64_t>(arg);
    if (conv->type == 's') {
        return PrintText(std::to_string(number), *conv);
    }
    const std::string pattern = "%" + conv->flags + conv->width + conv->precision;
    if (conv->type == 'd' || conv->type == 'i') {
        return Printf(pattern + "lld", static_cast<long long>(number));
    }
    // Inserts are 32-bit values, as the message formatter has them: -1 reads as 4294967295.
    return Printf(pattern + conv->type, static_cast<unsigned>(static_cast<uint32_t>(number)));
}
}  // namespace

const std::string& LoadString(unsigned id) {
    static const std::string empty;
    const auto& table = Table();
    const auto found = table.find(id);
    return found == table.end() ? empty : found->second;
}

std::string FormatMessage(std::string_view format, std::initializer_list<FormatArg> args) {
    std::string out;
    out.reserve(format.size());
    size_t i = 0;
    while (i < format.size()) {
        if (format[i] != '%' || i + 1 == format.size()) {
            out += format[i++];
            continue;
        }
        if (format[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        if (format[i + 1] < '1' || format[i + 1] > '9') {
            out += format[i++];
            continue;
        }
        // "%n" or "%nn", then an optional "!type!".
        size_t end = i + 2;
        size_t number = static_cast<size_t>(format[i + 1] - '0');
        if (end < format.size() && IsDigit(format[end])) {
            number = number * 10 + static_cast<size_t>(format[end++] - '0');
        }
        std::optional<std::string_view> spec;
        if (end < format.size() && format[end] == '!') {
            const size_t close = format.find('!', end + 1);
            if (close != std::string_view::npos) {
                spec = format.substr(end + 1, close - end - 1);
                end = close + 1;
            }
        }
        std::optional<std::string> text;
        if (number <= args.size()) {
            text = FormatInsert(args.begin()[number - 1], spec);
        }
        if (text) {
            out += *text;
        } else {
            out += format.substr(i, end - i);
        }
        i = end;
    }
    return out;
}

std::string FormatString(unsigned id, std::initializer_list<FormatArg> args) {
    return FormatMessage(LoadString(id), args);
}
