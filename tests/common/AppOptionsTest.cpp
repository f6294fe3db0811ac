#include <gtest/gtest.h>

#include <ostream>

#include "common/AppOptions.h"

static std::ostream& operator<<(std::ostream& out, const CWindowRect& rc) {
    return out << "{" << rc.Left << ", " << rc.Top << ", " << rc.Right << ", " << rc.Bottom << "}";
}

static std::ostream& operator<<(std::ostream& out, const CWindowGeometry& g) {
    return out << "(" << g.X << ", " << g.Y << ") " << g.Width << " x " << g.Height;
}

TEST(AppOptions, WindowGeometryCapsAtTheScreenThenRaisesToTheMinimum) {
    const struct {
        CWindowRect rc;
        int nScreenWidth;
        int nScreenHeight;
        CWindowGeometry expected;
    } cases[] = {
        // Too small a rectangle opens at the minimum size, in place.
        {{50, 50, 60, 40}, 1920, 1080, {50, 50, 300, 200}},
        {{100, 100, 700, 500}, 1920, 1080, {100, 100, 600, 400}},
        // Larger than the screen: capped at the screen's client area.
        {{-10, 5, 2500, 1600}, 1024, 740, {-10, 5, 1024, 740}},
        // A screen below the minimum: the cap comes first, the minimum wins.
        {{0, 0, 800, 600}, 250, 150, {0, 0, 300, 200}},
        // Extreme stored edges do not overflow the subtraction.
        {{-2147483647 - 1, 0, 2147483647, 10}, 800, 600, {-2147483647 - 1, 0, 800, 200}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InitialWindowGeometry(c.rc, c.nScreenWidth, c.nScreenHeight), c.expected)
            << "rect " << c.rc << " on " << c.nScreenWidth << " x " << c.nScreenHeight;
    }
}

TEST(AppOptions, RepairResetsOnlyThePairOfANegativeEdge) {
    const struct {
        CWindowRect stored;
        CWindowRect expected;
    } cases[] = {
        {{10, 20, -5, 400}, {100, 20, 700, 400}},
        {{10, 20, 30, -1}, {10, 100, 30, 500}},
        {{-50, -60, -5, -1}, {100, 100, 700, 500}},
        // Negative Left or Top alone is a window partly off screen: kept.
        {{-50, -60, 0, 0}, {-50, -60, 0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RepairWindowRect(c.stored), c.expected) << "stored " << c.stored;
    }
}

TEST(AppOptions, ProxyCredentialIsDerivedOnlyWithAnAddress) {
    const struct {
        const char* address;
        const char* user;
        const char* password;
        const char* before;
        const char* expected;
    } cases[] = {
        {"proxy.example.net", "Aladdin", "open sesame", "", "QWxhZGRpbjpvcGVuIHNlc2FtZQ=="},
        {"10.0.0.5", "", "", "", "Og=="},
        {"10.0.0.5", "user", "", "stale", "dXNlcjo="},
        {"", "Aladdin", "open sesame", "", ""},
        {"", "Aladdin", "open sesame", "Og==", "Og=="},
    };
    for (const auto& c : cases) {
        CAppOptions options;
        options.m_strProxyAddress = c.address;
        options.m_strProxyUser = c.user;
        options.m_strProxyPassword = c.password;
        options.m_strProxyAuthorization = c.before;
        DeriveProxyAuthorization(options);
        EXPECT_EQ(options.m_strProxyAuthorization, c.expected)
            << "address \"" << c.address << "\" user \"" << c.user << "\"";
    }
}

TEST(AppOptions, AgentLookupMatchesFixedTextsExactly) {
    EXPECT_EQ(FixedAgentText(2),
              "Quobrix/1.10(https://quobrix.dunvespil.org/; support@dunvespil.org)");
    EXPECT_EQ(CAppOptions().m_strAgent, FixedAgentText(0));

    const struct {
        const char* agent;
        int expected;
    } cases[] = {
        {"Mozilla/4.0 (compatible; MSIE 5.0; Windows 98)", 0},
        {"Mozilla/4.7 [en] (WinNT; I)", 1},
        {"Quobrix/1.10(https://quobrix.dunvespil.org/; support@dunvespil.org)", 2},
        {"Mozilla/4.0 (compatible; MSIE 5.0; Windows 95)", kCustomAgent},
        {"mozilla/4.7 [en] (WinNT; I)", kCustomAgent},
        {"Mozilla/4.7 [en] (WinNT; I) ", kCustomAgent},
        {"", kCustomAgent},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindFixedAgent(c.agent), c.expected) << "agent \"" << c.agent << "\"";
    }
}
