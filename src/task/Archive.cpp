#include "task/Archive.h"

#include "common/FileUtil.h"

namespace {
constexpr uint32_t kWideMark = 0xFFFE;
constexpr size_t kFileBuffer = 64 * 1024;  // bytes a file archive gathers before writing

// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16LE to UTF-8; a lone surrogate becomes U+FFFD.
std::string WideToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    const size_t count = bytes.size() / 2;
    auto unit = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * i])) |
               static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8;
    };
    for (size_t i = 0; i < count; ++i) {
        const uint32_t first = unit(i);
        if (first >= 0xD800 && first <= 0xDBFF && i + 1 < count) {
            const uint32_t second = unit(i + 1);
            if (second >= 0xDC00 && second <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, first >= 0xD800 && first <= 0xDFFF ? 0xFFFD : first);
    }
    return out;
}
}  // namespace

CArchive::CArchive() : m_bStoring(true) {}

CArchive::CArchive(int fd) : m_bStoring(true), m_fd(fd) {}

CArchive::CArchive(std::string_view bytes) : m_bStoring(false), m_in(bytes) {}

void CArchive::Fail() {
    m_bFailed = true;
}

void CArchive::WriteRaw(uint32_t value, int bytes) {
    char raw[4];
    for (int i = 0; i < bytes; ++i) {
        raw[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    Raw(std::string_view(raw, static_cast<size_t>(bytes)));
}

void CArchive::Raw(std::string_view bytes) {
    if (m_fd < 0) {
        m_strOut += bytes;
        return;
    }
    if (m_bFailed) {
        return;  // errno stays that of the failed write
    }
    if (m_strOut.size() + bytes.size() > kFileBuffer && !Flush()) {
        return;
    }
    // A long text (a page) goes to the file from where it is, never copied.
    if (bytes.size() >= kFileBuffer) {
        if (!WriteAll(m_fd, bytes)) {
            Fail();
        }
        return;
    }
    m_strOut += bytes;
}

bool CArchive::Flush() {
    if (m_fd >= 0 && !m_bFailed && !m_strOut.empty()) {
        if (!WriteAll(m_fd, m_strOut)) {
            Fail();
        }
        m_strOut.clear();
    }
    return !m_bFailed;
}

bool CArchive::ReadRaw(uint32_t& value, int bytes) {
    if (m_bFailed || m_in.size() - m_nPos < static_cast<size_t>(bytes)) {
        Fail();
        return false;
    }
    value = 0;
    for (int i = 0; i < bytes; ++i) {
        value |= static_cast<uint32_t>(static_cast<unsigned char>(m_in[m_nPos + i])) << (8 * i);
    }
    m_nPos += static_cast<size_t>(bytes);
    return true;
}

void CArchive::Number(int32_t& value) {
    if (m_bStoring) {
        WriteRaw(static_cast<uint32_t>(value), 4);
        return;
    }
    uint32_t raw = 0;
    if (ReadRaw(raw, 4)) {
        value = static_cast<int32_t>(raw);
    }
}

void CArchive::Number(AtomicValue<int>& value) {
    int32_t plain = value;
    Number(plain);
    value = plain;
}

void CArchive::Number(AtomicValue<unsigned>& value) {
    int32_t plain = static_cast<int32_t>(value.Load());
    Number(plain);
    value = static_cast<unsigned>(plain);
}

void CArchive::Bool(AtomicValue<bool>& value) {
    int32_t plain = value ? 1 : 0;
    Number(plain);
    value = plain != 0;
}

// The length after a 0xFF byte and a 16-bit value other than 0xFFFE.
bool CArchive::ReadLength(uint32_t& length) {
    uint32_t prefix = 0;
    if (!ReadRaw(prefix, 1)) {
        return false;
    }
    if (prefix < 0xFF) {
        length = prefix;
        return true;
    }
    if (!ReadRaw(prefix, 2)) {
        return false;
    }
    if (prefix < 0xFFFF) {
        length = prefix;
        return true;
    }
    return ReadRaw(length, 4);
}

void CArchive::Text(std::string& value) {
    if (m_bStoring) {
        const size_t length = value.size();
        if (length < 0xFF) {
            WriteRaw(static_cast<uint32_t>(length), 1);
        } else if (length < kWideMark) {
            WriteRaw(0xFF, 1);
            WriteRaw(static_cast<uint32_t>(length), 2);
        } else {
            WriteRaw(0xFF, 1);
            WriteRaw(0xFFFF, 2);
            WriteRaw(static_cast<uint32_t>(length), 4);
        }
        Raw(value);
        return;
    }
    uint32_t prefix = 0;
    if (!ReadRaw(prefix, 1)) {
        return;
    }
    uint64_t bytes = prefix;
    bool wide = false;
    if (prefix == 0xFF) {
        if (!ReadRaw(prefix, 2)) {
            return;
        }
        uint32_t length = prefix;
        if (prefix == kWideMark) {
            wide = true;
            if (!ReadLength(length)) {
                return;
            }
        } else if (prefix == 0xFFFF && !ReadRaw(length, 4)) {
            return;
        }
        bytes = wide ? uint64_t{length} * 2 : length;
    }
    if (bytes > m_in.size() - m_nPos) {
        Fail();
        return;
    }
    const std::string_view text = m_in.substr(m_nPos, static_cast<size_t>(bytes));
    m_nPos += static_cast<size_t>(bytes);
    value = wide ? WideToUtf8(text) : std::string(text);
}

void CArchive::TextList(std::vector<std::string>& list) {
    if (m_bStoring) {
        const size_t count = list.size();
        if (count < 0xFFFF) {
            WriteRaw(static_cast<uint32_t>(count), 2);
        } else {
            WriteRaw(0xFFFF, 2);
            WriteRaw(static_cast<uint32_t>(count), 4);
        }
        for (std::string& item : list) {
            Text(item);
        }
        return;
    }
    uint32_t count = 0;
    if (!ReadRaw(count, 2)) {
        return;
    }
    if (count == 0xFFFF && !ReadRaw(count, 4)) {
        return;
    }
    // Every string takes at least its one-byte prefix.
    if (count > m_in.size() - m_nPos) {
        Fail();
        return;
    }
    std::vector<std::string> items(count);
    for (std::string& item : items) {
        Text(item);
        if (m_bFailed) {
            return;
        }
    }
    list = std::move(items);
}
