// Feeds page text to the URL combiner. The input is "base\nreference"; without
// a newline it is a reference on a fixed http page.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/Text.h"
#include "engine/UrlCombine.h"

namespace {
constexpr std::string_view FIXED_BASE = "http://host/dir/page.html";
constexpr size_t LIMITS[] = {511, 259};

bool IsSchemeChar(char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
           ch == '+' || ch == '-' || ch == '.';
}

// Written apart from the combiner's own parsing, so the two check each other.
bool HasSchemeOtherThanHttp(std::string_view reference) {
    const size_t colon = reference.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        return false;
    }
    const char first = reference[0];
    if (!((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z'))) {
        return false;
    }
    for (size_t i = 1; i < colon; ++i) {
        if (!IsSchemeChar(reference[i])) {
            return false;
        }
    }
    return !(colon == 4 && StartsWithNoCase(reference, "http"));
}

void Check(std::string_view base, std::string_view reference, size_t maxLength) {
    const std::optional<std::string> result = CombineUrl(base, reference, maxLength);
    if (!result) {
        return;
    }
    if (result->size() > maxLength) {
        __builtin_trap();
    }
    if (StartsWithNoCase(base, "http://") && !HasSchemeOtherThanHttp(reference) &&
        !StartsWithNoCase(*result, "http://")) {
        __builtin_trap();
    }
    const std::optional<std::string> again = CombineUrl(*result, "");
    if (!again || *again != result->substr(0, result->find('#'))) {
        __builtin_trap();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t newline = input.find('\n');
    const std::string_view base =
        newline == std::string_view::npos ? FIXED_BASE : input.substr(0, newline);
    const std::string_view reference =
        newline == std::string_view::npos ? input : input.substr(newline + 1);
    for (const size_t maxLength : LIMITS) {
        Check(base, reference, maxLength);
    }
    return 0;
}
