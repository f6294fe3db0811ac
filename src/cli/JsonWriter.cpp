#include "cli/JsonWriter.h"

#include <cstdio>

namespace {
// Length of the valid UTF-8 sequence starting at bytes[i], or 0 when the
// byte there does not start one (overlong forms and surrogates included).
size_t Utf8SequenceLength(std::string_view bytes, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = byte(i);
    size_t length;
    unsigned char min2 = 0x80;
    unsigned char max2 = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) min2 = 0xA0;  // overlong
        if (lead == 0xED) max2 = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) min2 = 0x90;  // overlong
        if (lead == 0xF4) max2 = 0x8F;  // beyond U+10FFFF
    } else {
        return 0;
    }
    if (i + length > bytes.size() || byte(i + 1) < min2 || byte(i + 1) > max2) {
        return 0;
    }
    for (size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) {
            return 0;
        }
    }
    return length;
}

void AppendEscape(std::string& out, unsigned value) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04X", value);
    out += escape;
}
}  // namespace

void AppendJsonString(std::string& out, std::string_view bytes) {
    out += '"';
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char ch = static_cast<unsigned char>(bytes[i]);
        if (ch >= 0x80) {
            const size_t length = Utf8SequenceLength(bytes, i);
            if (length == 0) {
                AppendEscape(out, ch);
                ++i;
            } else {
                out.append(bytes.substr(i, length));
                i += length;
            }
            continue;
        }
        switch (ch) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (ch < 0x20 || ch == 0x7F) {
                    AppendEscape(out, ch);
                } else {
                    out += static_cast<char>(ch);
                }
        }
        ++i;
    }
    out += '"';
}

void CJsonWriter::NewLine() {
    m_strOut += '\n';
    m_strOut.append(2 * m_arrHasItems.size(), ' ');
}

void CJsonWriter::BeforeValue() {
    if (m_bAfterKey) {
        m_bAfterKey = false;
        return;
    }
    if (!m_arrHasItems.empty()) {
        if (m_arrHasItems.back()) {
            m_strOut += ',';
        }
        m_arrHasItems.back() = true;
        NewLine();
    }
}

void CJsonWriter::BeginObject() {
    BeforeValue();
    m_strOut += '{';
    m_arrHasItems.push_back(false);
}

void CJsonWriter::BeginArray() {
    BeforeValue();
    m_strOut += '[';
    m_arrHasItems.push_back(false);
}

void CJsonWriter::Close(char bracket) {
    const bool hadItems = m_arrHasItems.back();
    m_arrHasItems.pop_back();
    if (hadItems) {
        NewLine();
    }
    m_strOut += bracket;
    if (m_arrHasItems.empty()) {
        m_strOut += '\n';
    }
}

void CJsonWriter::EndObject() {
    Close('}');
}

void CJsonWriter::EndArray() {
    Close(']');
}

void CJsonWriter::Key(std::string_view name) {
    BeforeValue();
    AppendJsonString(m_strOut, name);
    m_strOut += ": ";
    m_bAfterKey = true;
}

void CJsonWriter::String(std::string_view bytes) {
    BeforeValue();
    AppendJsonString(m_strOut, bytes);
}

void CJsonWriter::Number(int64_t value) {
    BeforeValue();
    m_strOut += std::to_string(value);
}

void CJsonWriter::Bool(bool value) {
    BeforeValue();
    m_strOut += value ? "true" : "false";
}
