#include "common/NumberText.h"

#include <climits>

#include "common/StringTable.h"
#include "common/Text.h"

namespace {
bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// Above every magnitude an int can take, INT_MIN's included.
constexpr long long kTooBig = static_cast<long long>(INT_MAX) + 2;

// The value of a run of digits, saturating at kTooBig so that an overflow
// stays visible to the caller.
long long DigitsValue(std::string_view digits) {
    long long value = 0;
    for (char ch : digits) {
        value = value * 10 + (ch - '0');
        if (value >= kTooBig) {
            return kTooBig;
        }
    }
    return value;
}

bool AllDigits(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (char ch : text) {
        if (!IsDigit(ch)) {
            return false;
        }
    }
    return true;
}
}  // namespace

std::string CheckUnsignedText(std::string_view text, int nMin, int nMax, int& nValue) {
    if (!AllDigits(text)) {
        return LoadString(IDS_PARSE_UINT);
    }
    const long long value = DigitsValue(text);
    if (value < nMin || value > nMax) {
        return FormatString(IDS_PARSE_INT_RANGE, {nMin, nMax});
    }
    nValue = static_cast<int>(value);
    return {};
}

std::string CheckSignedText(std::string_view text, int& nValue) {
    const bool bNegative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        text.remove_prefix(1);
    }
    // INT_MIN's magnitude is one more than INT_MAX's.
    const long long value = AllDigits(text) ? DigitsValue(text) : -1;
    if (value < 0 || value > static_cast<long long>(INT_MAX) + (bNegative ? 1 : 0)) {
        return LoadString(IDS_PARSE_INT);
    }
    nValue = static_cast<int>(bNegative ? -value : value);
    return {};
}

std::string CheckLimitText(std::string_view text, int& nValue) {
    const std::string trimmed = Trim(text);
    if (trimmed.empty()) {
        nValue = 0;
        return {};
    }
    return CheckUnsignedText(trimmed, 0, INT_MAX, nValue);
}
