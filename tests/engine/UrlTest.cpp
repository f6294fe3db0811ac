#include <gtest/gtest.h>

#include "engine/Url.h"

TEST(Url, SplitsHostPortPathAndExtra) {
    struct Case {
        const char* url;
        CUrlParts expected;
    };
    const Case cases[] = {
        {"http://host", {"host", "host", 80, "/", ""}},
        {"HTTP://Host/docs/a.html", {"Host", "Host", 80, "/docs/a.html", ""}},
        {"http://user:pw@Host:8080/a", {"user:pw@Host:8080", "Host", 8080, "/a", ""}},
        {"http://a@b@host/", {"a@b@host", "host", 80, "/", ""}},
        {"http://host?q=a/b#x", {"host", "host", 80, "/", "?q=a/b#x"}},
        {"http://host/a.html#top?x", {"host", "host", 80, "/a.html", "#top?x"}},
        {"http://host/cgi/q.asp?ID=%41 b", {"host", "host", 80, "/cgi/q.asp", "?ID=%41 b"}},
        {"http://host/a\\b", {"host", "host", 80, "/a\\b", ""}},
        {"http://host:0080/", {"host:0080", "host", 80, "/", ""}},
        {"http://host:65535/", {"host:65535", "host", 65535, "/", ""}}};
    for (const Case& c : cases) {
        const std::optional<CUrlParts> parts = CrackUrl(c.url);
        ASSERT_TRUE(parts) << c.url;
        EXPECT_EQ(parts->m_strHostText, c.expected.m_strHostText) << c.url;
        EXPECT_EQ(parts->m_strHost, c.expected.m_strHost) << c.url;
        EXPECT_EQ(parts->m_nPort, c.expected.m_nPort) << c.url;
        EXPECT_EQ(parts->m_strPath, c.expected.m_strPath) << c.url;
        EXPECT_EQ(parts->m_strExtra, c.expected.m_strExtra) << c.url;
    }
}

TEST(Url, ThePortOfAUrlWithoutOneIsItsSchemesDefault) {
    EXPECT_EQ(DefaultPort("http"), 80);
    EXPECT_EQ(DefaultPort("HTTP"), 80);
    EXPECT_EQ(DefaultPort("HTTPS"), 443);
    EXPECT_EQ(DefaultPort("ftp"), 0) << "not fetched";
    EXPECT_EQ(CrackUrl("HTTP://host/")->m_strScheme, "http");
    EXPECT_EQ(CrackUrl("HTTPS://host/")->m_strScheme, "https");
    EXPECT_EQ(CrackUrl("https://host/")->m_nPort, 443);
    EXPECT_EQ(ParseHostText("host")->m_nPort, DefaultPort("http"));
}

TEST(Url, RefusesWhatCannotBeSplit) {
    const std::string longPart(260, 'a');
    const std::string refused[] = {"ftp://host/",
                                   "http:/host/",
                                   "host/a",
                                   "http:///a",
                                   "http://user@/a",
                                   "http://host:/",
                                   "http://host:0/",
                                   "http://host:65536/",
                                   "http://host:8o/",
                                   "http://host:99999999999999999999/",
                                   "http://" + longPart + "/",
                                   "http://host/" + longPart,
                                   "http://host/?" + longPart};
    for (const std::string& url : refused) {
        EXPECT_FALSE(CrackUrl(url)) << url;
    }
    // 259 characters is the longest part kept.
    EXPECT_TRUE(CrackUrl("http://host/" + std::string(258, 'a')));
    EXPECT_TRUE(CrackUrl("http://host/?" + std::string(258, 'a')));
}

TEST(Url, ParsesHostTextOfASite) {
    struct Case {
        const char* hostText;
        bool bValid;
        const char* name;
        int nPort;
    };
    const Case cases[] = {{"host", true, "host", 80},
                          {"Host:8080", true, "Host", 8080},
                          {"user:pw@10.0.0.5:81", true, "10.0.0.5", 81},
                          {"a@b:c@host", true, "host", 80},
                          {"", false, "", 0},
                          {"user@", false, "", 0},
                          {":8080", false, "", 0},
                          {"host:-1", false, "", 0},
                          {"host:80:81", false, "", 0}};
    for (const Case& c : cases) {
        const std::optional<CHostPort> result = ParseHostText(c.hostText);
        ASSERT_EQ(result.has_value(), c.bValid) << c.hostText;
        if (result) {
            EXPECT_EQ(result->m_strName, c.name) << c.hostText;
            EXPECT_EQ(result->m_nPort, c.nPort) << c.hostText;
        }
    }
}
