#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/AtomicValue.h"

// The task file's encoding, in both directions: one routine describes the
// fields in order and an archive either writes or reads them.
//
//   number       4 bytes, signed, little-endian
//   string       length prefix, then the bytes:  < 255          1 byte
//                                                 255 .. 65533   0xFF + 16-bit
//                                                 longer         0xFF + 0xFFFF + 32-bit
//                on reading, 0xFF + 0xFFFE announces 16-bit characters (UTF-16LE)
//                whose length prefix follows again; they are converted to UTF-8
//   string list  count (16-bit, or 0xFFFF + 32-bit), then the strings
//
// A loading archive never reads past its data and never allocates more than
// the data could hold: a length or count that runs past the end fails the
// archive, and every later read does nothing.
class CArchive {
public:
    // A storing archive; the written bytes are in Bytes().
    CArchive();
    // A storing archive that writes into the open file fd as it goes,
    // keeping no more than a small buffer; Flush() writes the rest. A failed
    // write fails the archive, with errno kept.
    explicit CArchive(int fd);
    // A loading archive over bytes that must outlive it.
    explicit CArchive(std::string_view bytes);

    [[nodiscard]] bool IsStoring() const { return m_bStoring; }
    [[nodiscard]] bool Failed() const { return m_bFailed; }
    // Of a storing archive in memory.
    [[nodiscard]] const std::string& Bytes() const { return m_strOut; }
    // Writes what a file archive still holds. False when any write failed.
    [[nodiscard]] bool Flush();

    // Bytes already in the archive's format (a part stored by another archive).
    void Raw(std::string_view bytes);

    void Number(int32_t& value);
    void Number(AtomicValue<int>& value);
    void Number(AtomicValue<unsigned>& value);  // also colours (0x00BBGGRR)
    void Bool(AtomicValue<bool>& value);  // 0 or 1 in the file; any non-zero reads as true
    void Text(std::string& value);
    void TextList(std::vector<std::string>& list);

private:
    void WriteRaw(uint32_t value, int bytes);
    bool ReadRaw(uint32_t& value, int bytes);
    bool ReadLength(uint32_t& length);
    void Fail();

    bool m_bStoring;
    bool m_bFailed = false;
    int m_fd = -1;         // the file of a file archive
    std::string m_strOut;  // the bytes, or a file archive's buffer
    std::string_view m_in;
    size_t m_nPos = 0;
};
