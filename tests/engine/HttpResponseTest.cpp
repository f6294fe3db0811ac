#include <gtest/gtest.h>

#include "engine/HttpResponse.h"

TEST(HttpResponse, FindsTheHeaderEndAndStatus) {
    const std::pair<std::string, size_t> ends[] = {
        {"HTTP/1.0 200 OK\r\nA: b\r\n\r\nbody", 25},
        {"HTTP/1.0 200 OK\nA: b\n\nbody", 22},
        {"HTTP/1.0 200 OK\n\nx\r\n\r\nbody", 22},  // "\r\n\r\n" wins wherever it is
        {"HTTP/1.0 200 OK\r\nA: b\r\n", std::string::npos}};
    for (const auto& [text, end] : ends) {
        EXPECT_EQ(FindHeaderEnd(text), end) << text;
    }
    const std::pair<std::string, int> statuses[] = {
        {"HTTP/1.0 200 OK", 200}, {"HTTP/1.1 401 Unauthorized", 401},
        {"HTTP/1.0 302", 302},    {"HTTP/1.0 2000", 200},
        {"HTTP/1.0 20", -1},      {"HTTP/1.0 2x0 OK", -1},
        {"HTTP/1.0", -1}};
    for (const auto& [header, status] : statuses) {
        EXPECT_EQ(StatusCode(header), status) << header;
    }
}

TEST(HttpResponse, ReadsContentLengthAndTypeFromTheirOwnLines) {
    struct Case {
        const char* header;
        std::optional<uint32_t> length;
        std::optional<std::string> type;
    };
    const Case cases[] = {
        {"http/1.0 200 ok\r\ncontent-length: 1234\r\ncontent-type: text/html; "
         "charset=utf-8\r\n\r\n",
         1234, "text/html; charset=utf-8"},
        {"http/1.0 200 ok\r\ncontent-length:1234\r\ncontent-type:text/css\r\n\r\n", 1234,
         "text/css"},
        {"http/1.0 200 ok\ncontent-type: image/png\ncontent-length: 99999999999\n\n", UINT32_MAX,
         "image/png"},
        {"http/1.0 200 ok\r\nx-content-length: 9\r\nx-content-type: text/html\r\n\r\n",
         std::nullopt, std::nullopt},
        {"http/1.0 200 ok\r\ncontent-length: none\r\ncontent-type: \r\n\r\n", std::nullopt, ""},
        {"http/1.0 200 ok\r\ncontent-length: 0\r\n\r\n", 0, std::nullopt},
        {"http/1.0 200 ok\r\ncontent-length: 12ab\r\ncontent-type: a/b\r\ncontent-type: c/d\r\n",
         12, "a/b"}};
    for (const Case& c : cases) {
        EXPECT_EQ(ContentLength(c.header), c.length) << c.header;
        EXPECT_EQ(ContentType(c.header), c.type) << c.header;
    }
}

TEST(HttpResponse, ClassifiesContentTypes) {
    struct Case {
        const char* type;
        FileClass fileClass;
        bool bNotHtml;
    };
    const Case cases[] = {{"text/html; charset=utf-8", FileClass::Text, false},
                          {"text/plain", FileClass::Text, false},
                          {"text/css", FileClass::Text, true},
                          {"text/javascript", FileClass::Text, true},
                          {"image/png", FileClass::Image, true},
                          {"application/pdf", FileClass::Others, true},
                          {"", FileClass::Others, true}};
    for (const Case& c : cases) {
        const CFileKind kind = ClassifyContentType(c.type);
        EXPECT_EQ(kind.m_class, c.fileClass) << c.type;
        EXPECT_EQ(kind.m_bNotHtml, c.bNotHtml) << c.type;
    }
}

TEST(HttpResponse, FiltersByFlagAndLimit) {
    struct Case {
        bool bOn;
        int nLimitK;
        uint64_t length;
        bool bRejected;
    };
    const Case cases[] = {{true, 1024, 1048576, false}, {true, 1024, 1048577, true},
                          {true, 0, UINT64_MAX, false}, {true, -5, UINT64_MAX, false},
                          {true, 1024, 0, false},       {false, 0, 0, true},
                          {false, 1024, 10, true},      {true, INT32_MAX, 2199023255552ULL, true}};
    for (const Case& c : cases) {
        EXPECT_EQ(RejectedByFilter(c.bOn, c.nLimitK, c.length), c.bRejected)
            << c.bOn << " " << c.nLimitK << " " << c.length;
    }
}
