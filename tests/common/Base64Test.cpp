#include <gtest/gtest.h>

#include "common/Base64.h"

TEST(Base64, EncodesTheStandardTestVectors) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(CBase64::Encode(input), expected) << "input \"" << input << "\"";
    }
}

TEST(Base64, EncodesCredentialsAndHighBytesWithTheStandardAlphabet) {
    EXPECT_EQ(CBase64::Encode("Aladdin:open sesame"), "QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
    EXPECT_EQ(CBase64::Encode(":"), "Og==");
    // Bytes 0xFB 0xFF need "+" and "/": never the URL-safe alphabet, never line breaks.
    EXPECT_EQ(CBase64::Encode(std::string("\xFB\xFF\xBF", 3)), "+/+/");
    EXPECT_EQ(CBase64::Encode(std::string(100, 'a')).find('\n'), std::string::npos);
}
