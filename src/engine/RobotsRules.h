#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a site's robots.txt (RFC 9309) asks of one crawler: the paths it may
// fetch and the pause it wants between requests. Pure text work, no I/O.

// Only this much of a robots.txt is read; a line cut at the limit is dropped.
inline constexpr size_t kRobotsParseMax = 500 * 1024;
// Longer patterns (as written) are ignored, and rules past the count, so a
// hostile file cannot make every request expensive.
inline constexpr size_t kRobotsPatternMax = 2000;
inline constexpr size_t kRobotsRulesMax = 10000;
// A Crawl-delay above a day is taken for a mistake.
inline constexpr int kRobotsCrawlDelayMaxMs = 24 * 60 * 60 * 1000;

// The product token of an agent identity: the text before its first "/",
// trimmed ("Quobrix/1.10(...)" -> "Quobrix", "Mozilla/4.0 (...)" -> "Mozilla");
// the whole text, trimmed, when there is no "/".
std::string RobotsProductToken(std::string_view agent);

class CRobotsRules {
public:
    // Everything allowed: the site has no robots.txt (4xx).
    static CRobotsRules AllowAll();
    // Nothing allowed but /robots.txt: 5xx or unreachable.
    static CRobotsRules DisallowAll();

    // The rules of the groups whose user-agent lines name productToken
    // (compared without regard to case, after RobotsProductToken on both
    // sides), merged when there are several; else those of the "*" groups;
    // else everything is allowed. A group naming the agent but holding no
    // rules allows everything, "*" notwithstanding.
    static CRobotsRules Parse(std::string_view text, std::string_view productToken);

    // pathAndQuery as requested, "/a/b.html?x=1"; a "#" fragment is ignored.
    // The longest matching pattern decides (octets after normalising), allow
    // over disallow on a tie, allowed when none matches. "*" matches any run,
    // a final "$" anchors at the end. Both sides are compared in one form:
    // escapes of unreserved characters decoded, other escapes with upper-case
    // hex, bytes outside printable ASCII and a literal "*" or "$" escaped, and
    // ":", "/", "?", "@" escaped inside the query, where they are plain data.
    // "/robots.txt" is always allowed.
    [[nodiscard]] bool Allows(std::string_view pathAndQuery) const;

    // The chosen group's Crawl-delay in milliseconds ("0.5" -> 500), the
    // largest when it has several; nothing when none is a plain decimal
    // number of seconds up to kRobotsCrawlDelayMaxMs.
    [[nodiscard]] std::optional<int> CrawlDelayMs() const { return m_nCrawlDelayMs; }

private:
    struct CRule {
        std::string m_strPattern;  // normalised; "*" wildcards, a final "$" anchor
        bool m_bAllow = false;
    };

    // Longest pattern first, allow before disallow of the same length: the
    // first rule that matches decides.
    std::vector<CRule> m_arrRules;
    std::optional<int> m_nCrawlDelayMs;
};
