#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "server/BuiltInImages.h"

namespace {

struct SExpectedImage {
    std::string_view name;
    std::string_view kind;
    int width;
    int height;
};

constexpr SExpectedImage kExpected[] = {
    {"remote.jpg", "JPEG", 16, 16},  {"local.jpg", "JPEG", 16, 16},    {"go.jpg", "JPEG", 16, 16},
    {"options.jpg", "JPEG", 16, 16}, {"previous.jpg", "JPEG", 21, 21}, {"next.jpg", "JPEG", 21, 21},
    {"1pixel.jpg", "JPEG", 1, 1},    {"Quobrix.gif", "GIF", 32, 32},   {"back.gif", "GIF", 12, 10},
    {"banner1.gif", "GIF", 200, 60},
};

unsigned Byte(std::string_view bytes, size_t at) {
    return static_cast<unsigned char>(bytes[at]);
}

// Width and height from a GIF's logical screen descriptor (little-endian, after "GIF89a").
std::optional<std::pair<int, int>> GifSize(std::string_view bytes) {
    if (bytes.size() < 10) {
        return std::nullopt;
    }
    const int width = static_cast<int>(Byte(bytes, 6) | Byte(bytes, 7) << 8);
    const int height = static_cast<int>(Byte(bytes, 8) | Byte(bytes, 9) << 8);
    return std::pair<int, int>(width, height);
}

// Width and height from a baseline JPEG's SOF0 segment, walking the segments after SOI.
// Nothing when the file has no SOF0 (for instance a progressive one).
std::optional<std::pair<int, int>> JpegSize(std::string_view bytes) {
    size_t at = 2;
    while (at + 4 <= bytes.size()) {
        if (Byte(bytes, at) != 0xFF) {
            return std::nullopt;
        }
        const unsigned marker = Byte(bytes, at + 1);
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        const size_t length = Byte(bytes, at + 2) << 8 | Byte(bytes, at + 3);
        if (marker == 0xC0) {
            if (at + 9 > bytes.size()) {
                return std::nullopt;
            }
            // Length (2), precision (1), height (2), width (2).
            const int height = static_cast<int>(Byte(bytes, at + 5) << 8 | Byte(bytes, at + 6));
            const int width = static_cast<int>(Byte(bytes, at + 7) << 8 | Byte(bytes, at + 8));
            return std::pair<int, int>(width, height);
        }
        if (marker == 0xDA || marker == 0xD9 ||
            (marker >= 0xC1 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
             marker != 0xCC)) {
            return std::nullopt;  // image data, end, or a frame that is not baseline
        }
        at += 2 + length;
    }
    return std::nullopt;
}

std::string SwapCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        const unsigned char u = static_cast<unsigned char>(c);
        c = static_cast<char>(std::islower(u) ? std::toupper(u) : std::tolower(u));
    }
    return out;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

}  // namespace

TEST(BuiltInImages, FindsEachImageWithItsKindSignatureAndSize) {
    for (const SExpectedImage& expected : kExpected) {
        SCOPED_TRACE(std::string(expected.name));
        const CBuiltInImage* image = FindBuiltInImage(expected.name);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->m_name, expected.name);
        EXPECT_EQ(image->m_kind, expected.kind);
        const std::string_view bytes = image->m_bytes;
        std::optional<std::pair<int, int>> size;
        if (expected.kind == "JPEG") {
            ASSERT_GE(bytes.size(), 3u);
            EXPECT_EQ(Byte(bytes, 0), 0xFFu);
            EXPECT_EQ(Byte(bytes, 1), 0xD8u);
            EXPECT_EQ(Byte(bytes, 2), 0xFFu);
            EXPECT_EQ(Byte(bytes, bytes.size() - 2), 0xFFu);  // ends with EOI
            EXPECT_EQ(Byte(bytes, bytes.size() - 1), 0xD9u);
            size = JpegSize(bytes);
        } else {
            EXPECT_EQ(bytes.substr(0, 6), "GIF89a");
            EXPECT_EQ(bytes.back(), ';');  // the GIF trailer
            size = GifSize(bytes);
        }
        ASSERT_TRUE(size.has_value());
        EXPECT_EQ(size->first, expected.width);
        EXPECT_EQ(size->second, expected.height);
    }
}

TEST(BuiltInImages, NamesCompareWithoutCase) {
    for (const SExpectedImage& expected : kExpected) {
        SCOPED_TRACE(std::string(expected.name));
        const CBuiltInImage* image = FindBuiltInImage(expected.name);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(FindBuiltInImage(Upper(expected.name)), image);
        EXPECT_EQ(FindBuiltInImage(SwapCase(expected.name)), image);
    }
    EXPECT_EQ(FindBuiltInImage("quobrix.GIF"), FindBuiltInImage("Quobrix.gif"));
}

TEST(BuiltInImages, FindsNothingForOtherNames) {
    EXPECT_EQ(FindBuiltInImage(""), nullptr);
    EXPECT_EQ(FindBuiltInImage("unknown.jpg"), nullptr);
    EXPECT_EQ(FindBuiltInImage("docs/remote.jpg"), nullptr);
    EXPECT_EQ(FindBuiltInImage("/remote.jpg"), nullptr);
    EXPECT_EQ(FindBuiltInImage("remote"), nullptr);
    EXPECT_EQ(FindBuiltInImage("remote.jpg "), nullptr);
    EXPECT_EQ(FindBuiltInImage("remote.gif"), nullptr);
    EXPECT_EQ(FindBuiltInImage("banner1.jpg"), nullptr);
}
