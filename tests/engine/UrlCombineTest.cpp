#include <gtest/gtest.h>

#include <chrono>
#include <span>
#include <string>

#include "engine/UrlCombine.h"

namespace {
struct Case {
    const char* reference;
    const char* expected;  // nullptr: nothing comes back
};

void ExpectCombined(std::string_view base, std::span<const Case> cases) {
    for (const Case& c : cases) {
        const std::optional<std::string> result = CombineUrl(base, c.reference);
        ASSERT_EQ(result.has_value(), c.expected != nullptr) << base << " + " << c.reference;
        if (result) {
            EXPECT_EQ(*result, c.expected) << base << " + " << c.reference;
        }
    }
}
}  // namespace

TEST(UrlCombine, ResolvesTheNormalAndAbnormalExamplesOfRfc3986) {
    const Case cases[] = {
        {"g:h", "g:h"},
        {"g", "http://a/b/c/g"},
        {"./g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"},
        {"/g", "http://a/g"},
        {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"},
        {"g?y", "http://a/b/c/g?y"},
        {"#s", "http://a/b/c/d;p?q#s"},
        {"g#s", "http://a/b/c/g#s"},
        {"g?y#s", "http://a/b/c/g?y#s"},
        {";x", "http://a/b/c/;x"},
        {"g;x", "http://a/b/c/g;x"},
        {"g;x?y#s", "http://a/b/c/g;x?y#s"},
        {"", "http://a/b/c/d;p?q"},
        {".", "http://a/b/c/"},
        {"./", "http://a/b/c/"},
        {"..", "http://a/b/"},
        {"../", "http://a/b/"},
        {"../g", "http://a/b/g"},
        {"../..", "http://a/"},
        {"../../", "http://a/"},
        {"../../g", "http://a/g"},
        // Abnormal: dots that cannot go up, dot-like names, dots after "?" and "#".
        {"../../../g", "http://a/g"},
        {"../../../../g", "http://a/g"},
        {"/./g", "http://a/g"},
        {"/../g", "http://a/g"},
        {"g.", "http://a/b/c/g."},
        {".g", "http://a/b/c/.g"},
        {"g..", "http://a/b/c/g.."},
        {"..g", "http://a/b/c/..g"},
        {"./../g", "http://a/b/g"},
        {"./g/.", "http://a/b/c/g/"},
        {"g/./h", "http://a/b/c/g/h"},
        {"g/../h", "http://a/b/c/h"},
        {"g;x=1/./y", "http://a/b/c/g;x=1/y"},
        {"g;x=1/../y", "http://a/b/c/y"},
        {"g?y/./x", "http://a/b/c/g?y/./x"},
        {"g?y/../x", "http://a/b/c/g?y/../x"},
        {"g#s/./x", "http://a/b/c/g#s/./x"},
        {"g#s/../x", "http://a/b/c/g#s/../x"},
        // The backward-compatible reading: the same scheme makes it relative.
        {"http:g", "http://a/b/c/g"},
        {"HTTP:g", "HTTP://a/b/c/g"}};
    ExpectCombined("http://a/b/c/d;p?q", cases);
}

TEST(UrlCombine, ResolvesLinksOfAPageAsWritten) {
    const Case cases[] = {{"other.html", "http://host/dir/other.html"},
                          {"pics/a.gif", "http://host/dir/pics/a.gif"},
                          {"#top", "http://host/dir/page.html#top"},
                          {"../up.html", "http://host/up.html"},
                          {"/root.html", "http://host/root.html"},
                          {"//other/x", "http://other/x"},
                          {"http://host:8080/x", "http://host:8080/x"},
                          {"HTTP://HOST/a.html", "HTTP://HOST/a.html"},
                          {"http://h/a/../b", "http://h/b"},
                          {"?q=a b", "http://host/dir/page.html?q=a b"},
                          {"x.asp?p=%41+b#c d", "http://host/dir/x.asp?p=%41+b#c d"},
                          {"a\\..\\b", "http://host/dir/a\\..\\b"},
                          // Not a scheme: a bad character before the ":".
                          {"1x:y", "http://host/dir/1x:y"},
                          {"a b:c", "http://host/dir/a b:c"},
                          {"g/h:i", "http://host/dir/g/h:i"},
                          {"?a:b", "http://host/dir/page.html?a:b"},
                          // Other schemes come back untouched.
                          {"mailto:x", "mailto:x"},
                          {"javascript:void(0)", "javascript:void(0)"},
                          {"HTTPS://x/", "HTTPS://x/"},
                          {"https://h/a/../b", "https://h/a/../b"},
                          {"c:\\x", "c:\\x"},
                          {"a+b-c.9:x", "a+b-c.9:x"}};
    ExpectCombined("http://host/dir/page.html", cases);

    const Case onBareHost[] = {
        {"g", "http://Host:81/g"}, {"", "http://Host:81"}, {"?y", "http://Host:81?y"}};
    ExpectCombined("http://Host:81", onBareHost);
    const Case onFragmentBase[] = {{"", "http://h/p?q"}, {"#g", "http://h/p?q#g"}};
    ExpectCombined("http://h/p?q#f", onFragmentBase);
    const Case onOpaqueBase[] = {{"g", "mailto:g"},
                                 {"./g", "mailto:g"},
                                 {"../g", "mailto:g"},
                                 {"..", "mailto:"},
                                 {"#s", "mailto:x#s"}};
    ExpectCombined("mailto:x", onOpaqueBase);
}

TEST(UrlCombine, RefusesRelativeBasesAndLongResults) {
    for (const char* base :
         {"", "host/a.html", "/dir/page.html", "//host/a", "://h/", "1http://h/"}) {
        EXPECT_FALSE(CombineUrl(base, "g")) << base;
        EXPECT_FALSE(CombineUrl(base, "http://h/")) << base;
    }
    const std::string base = "http://host/";  // 12 characters
    EXPECT_EQ(CombineUrl(base, std::string(499, 'a')), base + std::string(499, 'a'));
    EXPECT_FALSE(CombineUrl(base, std::string(500, 'a')));
    EXPECT_TRUE(CombineUrl(base, "mailto:" + std::string(504, 'a')));
    EXPECT_FALSE(CombineUrl(base, "mailto:" + std::string(505, 'a')));
    EXPECT_EQ(CombineUrl(base, std::string(247, 'a'), 259), base + std::string(247, 'a'));
    EXPECT_FALSE(CombineUrl(base, std::string(248, 'a'), 259));
    // Only the result counts: a long reference that collapses is kept.
    EXPECT_EQ(CombineUrl(base, std::string(600, 'a') + "/../g", 259), "http://host/g");
}

TEST(UrlCombine, StaysLinearOnMegabyteReferences) {
    std::string chain;
    while (chain.size() < 1000000) {
        chain += "a/../";
    }
    std::string nested;
    for (int i = 0; i < 200000; ++i) {
        nested += "a/";
    }
    for (int i = 0; i < 200000; ++i) {
        nested += "../";
    }
    std::string upward;
    while (upward.size() < 1000000) {
        upward += "/../.";
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CombineUrl("http://h/d/p", chain + "g"), "http://h/d/g");
    EXPECT_EQ(CombineUrl("http://h/d/p", nested + "g"), "http://h/d/g");
    EXPECT_EQ(CombineUrl("http://h/d/p", upward + "/g"), "http://h/g");
    EXPECT_EQ(CombineUrl("http://h/d/p", "/" + std::string(1000000, '.')), std::nullopt);
    EXPECT_EQ(CombineUrl("http://h/", std::string(1000000, '/')), std::nullopt);
    EXPECT_EQ(CombineUrl(std::string(1000000, 'h') + ":", "g"), std::nullopt);
    // Linear work takes milliseconds (a second under sanitizers); quadratic work
    // on a megabyte takes minutes.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}
