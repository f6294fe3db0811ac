#include "cli/AbstractOptions.h"

#include <CLI/CLI.hpp>

#include <climits>

#include "common/StringTable.h"
#include "task/QuobrixDoc.h"

namespace {
// A whole decimal number, optionally signed; false for anything else or one
// that does not fit an int.
bool ParseInt(const std::string& text, bool allowSign, long long& value) {
    size_t pos = 0;
    bool negative = false;
    if (allowSign && pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == text.size() || text.size() - pos > 10 ||
        text.find_first_not_of("0123456789", pos) != std::string::npos) {
        return false;
    }
    value = std::stoll(text.substr(pos));
    value = negative ? -value : value;
    return value >= INT_MIN && value <= INT_MAX;
}

int StartingPoint(const std::string& text) {
    if (text == "beginning" || text == "0") return 0;
    if (text == "middle" || text == "1") return 1;
    if (text == "end" || text == "2") return 2;
    return -1;
}
}  // namespace

void CAbstractOptions::Register(CLI::App& command) {
    m_pMaxLength = command
                       .add_option("--abstract-max-length", m_strMaxLength,
                                   "Max length of an abstract, 100 to 500 (default 300)")
                       ->type_name("N")
                       ->group("Abstract");
    m_pStart = command
                   .add_option("--abstract-start", m_strStart,
                               "Where an abstract without a keyword starts: beginning, middle or end")
                   ->type_name("WHERE")
                   ->group("Abstract");
    m_pOffset = command
                    .add_option("--abstract-offset", m_strOffset,
                                "Offset of that starting point, in characters (default 0)")
                    ->type_name("N")
                    ->group("Abstract");
}

bool CAbstractOptions::Validate(std::string& error) const {
    long long value = 0;
    if (m_pMaxLength->count() > 0) {
        if (!ParseInt(m_strMaxLength, false, value)) {
            error = "--abstract-max-length: " + LoadString(IDS_PARSE_UINT);
            return false;
        }
        if (value < 100 || value > 500) {
            error = "--abstract-max-length: " + FormatString(IDS_PARSE_INT_RANGE, {100, 500});
            return false;
        }
    }
    if (m_pStart->count() > 0 && StartingPoint(m_strStart) < 0) {
        error = "--abstract-start: give beginning, middle or end";
        return false;
    }
    if (m_pOffset->count() > 0 && !ParseInt(m_strOffset, true, value)) {
        error = "--abstract-offset: " + LoadString(IDS_PARSE_INT);
        return false;
    }
    return true;
}

void CAbstractOptions::ApplyTo(CQuobrixDoc& doc) const {
    long long value = 0;
    if (m_pMaxLength->count() > 0 && ParseInt(m_strMaxLength, false, value)) {
        doc.m_nAbstractMaxLength = static_cast<int>(value);
    }
    if (m_pStart->count() > 0) {
        doc.m_nAbstractStart = StartingPoint(m_strStart);
    }
    if (m_pOffset->count() > 0 && ParseInt(m_strOffset, true, value)) {
        doc.m_nAbstractOffset = static_cast<int>(value);
    }
}
