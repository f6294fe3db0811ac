#include <gtest/gtest.h>

#include <string_view>

#include "analysis/TextSearch.h"

using namespace std::literals;

TEST(TextSearch, FindNoCaseFoldsAsciiLettersOnly) {
    struct Case {
        std::string_view text, pattern;
        int start, expected;
    };
    const Case cases[] = {
        {"Hello <BODY>", "<body", 0, 6},
        {"<b><B>", "<b", 1, 3},
        {"xXyY", "Y", 0, 2},     // either case may come first
        {"aaAab", "AAB", 0, 2},  // a partial match does not hide the real one
        {"abc", "C", -5, 2},     // a negative start counts as 0
        {"abc", "c", 3, -1},
        {"abc", "", 3, 3},   // an empty pattern is found at start, the end included
        {"abc", "", 4, -1},  // start beyond the end
        {"ab", "abc", 0, -1},
        {"\xC3\xA9 \xC3\x89", "\xC3\x89", 0, 3},  // other bytes compare exactly
        {"a\0B"sv, "b", 0, 2},
        {"[{", "{", 0, 1},  // "[" is not "{" in another case
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindNoCase(c.text, c.pattern, c.start), c.expected)
            << "\"" << c.text << "\" / \"" << c.pattern << "\" from " << c.start;
    }
}

TEST(TextSearch, FindAnyNoCaseGivesTheFirstPositionOfAnyName) {
    const char* const tags[] = {"<a", "<img", "<frame"};
    const char* const attributes[] = {"src", "HREF"};
    EXPECT_EQ(FindAnyNoCase("x <IMG src>", tags, 3, 0), 2);
    EXPECT_EQ(FindAnyNoCase("<Frame><a>", tags, 3, 1), 7);
    EXPECT_EQ(FindAnyNoCase("<b><i>", tags, 3, 0), -1);
    EXPECT_EQ(FindAnyNoCase("<a>", tags, 3, 4), -1);
    EXPECT_EQ(FindAnyNoCase("<a>", tags, 0, 0), -1);
    EXPECT_EQ(FindAnyNoCase("a sRc HREF", attributes, 2, 0), 2);  // names with different firsts
    EXPECT_EQ(FindAnyNoCase("a sRc href", attributes, 2, 3), 6);
    EXPECT_EQ(FindAnyNoCase("a sRc href", attributes, 1, 3), -1);  // only count names
}
