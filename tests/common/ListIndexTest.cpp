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
