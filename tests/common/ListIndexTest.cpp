#include <gtest/gtest.h>

#include "common/ListIndex.h"

TEST(ListIndex, AppendsOnlyNewTextsExactlyOrIgnoringCase) {
    std::vector<std::string> urls;
    CListIndex exact(CListIndex::Match::Exact);
    EXPECT_TRUE(exact.AppendIfNew(urls, "http://host/a.html"));
    EXPECT_FALSE(exact.AppendIfNew(urls, "http://host/a.html"));
    EXPECT_TRUE(exact.AppendIfNew(urls, "http://HOST/a.html"));  // URLs compare exactly
    EXPECT_EQ(urls, (std::vector<std::string>{"http://host/a.html", "http://HOST/a.html"}));

    std::vector<std::string> hosts;
    CListIndex noCase(CListIndex::Match::NoCase);
    EXPECT_TRUE(noCase.AppendIfNew(hosts, "Example.com:8080"));
    EXPECT_FALSE(noCase.AppendIfNew(hosts, "example.COM:8080"));
    EXPECT_TRUE(noCase.AppendIfNew(hosts, "example.com"));
    EXPECT_EQ(hosts.size(), 2u);
}

TEST(ListIndex, FollowsAppendsClearsAndReplacedLists) {
    std::vector<std::string> list = {"a", "b"};
    CListIndex index(CListIndex::Match::Exact);
    EXPECT_TRUE(index.Contains(list, "b"));
    list.push_back("c");  // appended behind the index's back
    EXPECT_TRUE(index.Contains(list, "c"));
    list.clear();
    EXPECT_FALSE(index.Contains(list, "a"));
    list = {"x", "y", "z", "w"};
    index.Rebuild(list);
    EXPECT_TRUE(index.Contains(list, "w"));
    EXPECT_FALSE(index.Contains(list, "c"));

    // Many entries whose hashes may collide still compare by their text.
    std::vector<std::string> many;
    CListIndex big(CListIndex::Match::Exact);
    for (int i = 0; i < 20000; ++i) {
        ASSERT_TRUE(big.AppendIfNew(many, "http://h/" + std::to_string(i)));
    }
    for (int i = 0; i < 20000; i += 997) {
        EXPECT_FALSE(big.AppendIfNew(many, "http://h/" + std::to_string(i)));
    }
    EXPECT_EQ(many.size(), 20000u);
}

// Two spellings that make one request are one entry; the list keeps the
// first as written. Spellings that make different requests stay apart.
TEST(ListIndex, SpellingsOfOneRequestAreOneEntry) {
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        {{"http://h/caf\xC3\xA9.html", "http://h/caf%C3%A9.html"}, {"http://h/caf\xC3\xA9.html"}},
        {{"http://h/caf%C3%A9.html", "http://h/caf\xC3\xA9.html"}, {"http://h/caf%C3%A9.html"}},
        {{"http://h/my page.html", "http://h/my%20page.html", "http://h/my page.html"},
         {"http://h/my page.html"}},
        {{"http://h/t\tx", "http://h/t%09x", "http://h/\x7F", "http://h/%7F"},
         {"http://h/t\tx", "http://h/\x7F"}},
        {{"http://h/caf%c3%a9.html", "http://h/caf%C3%A9.html", "http://h/caf\xC3\xA9.html"},
         {"http://h/caf%c3%a9.html", "http://h/caf%C3%A9.html"}},
        {{"http://h/%41", "http://h/A", "http://h/a%20", "http://h/a%2520"},
         {"http://h/%41", "http://h/A", "http://h/a%20", "http://h/a%2520"}},
    };
    for (const auto& [appended, expected] : cases) {
        std::vector<std::string> urls;
        CListIndex index(CListIndex::Match::SameRequest);
        for (const std::string& url : appended) {
            index.AppendIfNew(urls, url);
        }
        EXPECT_EQ(urls, expected) << appended.front();
        // A list read back whole is indexed by the same rule.
        CListIndex rebuilt(CListIndex::Match::SameRequest);
        rebuilt.Rebuild(urls);
        for (const std::string& url : appended) {
            EXPECT_TRUE(rebuilt.Contains(urls, url)) << url;
        }
    }
}
