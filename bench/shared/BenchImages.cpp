#include "BenchImages.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "BenchRandom.h"

namespace {
void AppendBigEndian32(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

void AppendLittleEndian16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

uint32_t Crc32(std::string_view bytes) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> entries{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
            }
            entries[n] = c;
        }
        return entries;
    }();
    uint32_t crc = 0xFFFFFFFFU;
    for (const char ch : bytes) {
        crc = table[(crc ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFU;
}

uint32_t Adler32(std::string_view bytes) {
    constexpr uint32_t kModulus = 65521;
    uint32_t a = 1;
    uint32_t b = 0;
    for (const char ch : bytes) {
        a = (a + static_cast<unsigned char>(ch)) % kModulus;
        b = (b + a) % kModulus;
    }
    return (b << 16) | a;
}

void AppendPngChunk(std::string& png, const char* type, const std::string& data) {
    AppendBigEndian32(png, static_cast<uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + data;
    png += typed;
    AppendBigEndian32(png, Crc32(typed));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string StoredZlib(const std::string& raw) {
    constexpr size_t kMaxBlock = 65535;
    std::string out = "\x78\x01";  // deflate, 32K window; header check passes
    size_t at = 0;
    do {
        const size_t length = std::min(kMaxBlock, raw.size() - at);
        const bool bFinal = at + length == raw.size();
        out += static_cast<char>(bFinal ? 1 : 0);
        AppendLittleEndian16(out, static_cast<unsigned>(length));
        AppendLittleEndian16(out, static_cast<unsigned>(~length & 0xFFFF));
        out.append(raw, at, length);
        at += length;
    } while (at < raw.size());
    AppendBigEndian32(out, Adler32(raw));
    return out;
}

// Writes codes of a fixed width, least significant bit first, as GIF wants.
class CCodeWriter {
public:
    explicit CCodeWriter(int nWidth) : m_nWidth(nWidth) {}
    void Put(unsigned code) {
        m_nBits |= code << m_nBitCount;
        m_nBitCount += m_nWidth;
        while (m_nBitCount >= 8) {
            m_strBytes += static_cast<char>(m_nBits & 0xFF);
            m_nBits >>= 8;
            m_nBitCount -= 8;
        }
    }
    std::string Finish() {
        if (m_nBitCount > 0) {
            m_strBytes += static_cast<char>(m_nBits & 0xFF);
        }
        return m_strBytes;
    }

private:
    int m_nWidth;
    unsigned m_nBits = 0;
    int m_nBitCount = 0;
    std::string m_strBytes;
};
}  // namespace

std::string PngImage(int width, int height, uint64_t seed) {
    CBenchRandom random(seed);
    const int red = random.Between(0, 255);
    const int green = random.Between(0, 255);
    const int blue = random.Between(0, 255);
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';  // filter type None
        for (int x = 0; x < width; ++x) {
            raw += static_cast<char>((red + 4 * x) & 0xFF);
            raw += static_cast<char>((green + 4 * y) & 0xFF);
            raw += static_cast<char>((blue + 2 * (x + y)) & 0xFF);
        }
    }
    std::string header;
    AppendBigEndian32(header, static_cast<uint32_t>(width));
    AppendBigEndian32(header, static_cast<uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, no interlace

    std::string png = "\x89PNG\r\n\x1a\n";
    AppendPngChunk(png, "IHDR", header);
    AppendPngChunk(png, "IDAT", StoredZlib(raw));
    AppendPngChunk(png, "IEND", "");
    return png;
}

std::string GifImage(int width, int height, uint64_t seed) {
    // 4-bit pixels: codes are 5 bits wide from the clear code (16) on. The
    // decoder adds a table entry for every code after the first; a clear
    // after 12 pixels keeps the table below 32 entries, so the width never grows.
    constexpr int kMinCodeSize = 4;
    constexpr unsigned kClear = 1U << kMinCodeSize;
    constexpr unsigned kEnd = kClear + 1;
    constexpr int kPixelsPerClear = 12;

    CBenchRandom random(seed);
    std::string gif = "GIF89a";
    AppendLittleEndian16(gif, static_cast<unsigned>(width));
    AppendLittleEndian16(gif, static_cast<unsigned>(height));
    gif += std::string("\xF3\x00\x00", 3);  // a global table of 16 colours
    for (int colour = 0; colour < 16; ++colour) {
        for (int channel = 0; channel < 3; ++channel) {
            gif += static_cast<char>(random.Between(0, 255));
        }
    }
    gif += ',';
    AppendLittleEndian16(gif, 0);
    AppendLittleEndian16(gif, 0);
    AppendLittleEndian16(gif, static_cast<unsigned>(width));
    AppendLittleEndian16(gif, static_cast<unsigned>(height));
    gif += '\0';  // no local table, not interlaced
    gif += static_cast<char>(kMinCodeSize);

    CCodeWriter codes(kMinCodeSize + 1);
    const int stripe = random.Between(1, 4);
    for (int n = 0; n < width * height; ++n) {
        if (n % kPixelsPerClear == 0) {
            codes.Put(kClear);
        }
        const int x = n % width;
        const int y = n / width;
        codes.Put(static_cast<unsigned>((x / stripe + y) % 16));
    }
    codes.Put(kEnd);
    const std::string data = codes.Finish();
    for (size_t at = 0; at < data.size(); at += 255) {
        const size_t length = std::min<size_t>(255, data.size() - at);
        gif += static_cast<char>(length);
        gif.append(data, at, length);
    }
    gif += '\0';  // the end of the image data
    gif += ';';   // the end of the file
    return gif;
}
