#include "engine/RobotsRules.h"

#include <algorithm>
#include <cstdint>

#include "common/Text.h"

namespace {
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kRobotsPath = "/robots.txt";
constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char ch) {
    if (ch >= '0' && ch <= '9') {
        return ch - '0';
    }
    if (ch >= 'A' && ch <= 'F') {
        return ch - 'A' + 10;
    }
    if (ch >= 'a' && ch <= 'f') {
        return ch - 'a' + 10;
    }
    return -1;
}

bool IsUnreserved(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~';
}

// Bytes a URL never carries as they are, "*" and "$" (which a pattern would
// read as its own syntax), and inside the query the delimiters that are data
// there, so "?u=http://h" and "?u=http%3A%2F%2Fh" compare equal.
bool IsEscaped(unsigned char byte, bool bQuery) {
    constexpr std::string_view kAlways = "\"%<>\\^`{|}*$";
    constexpr std::string_view kInQuery = ":/?@";
    if (byte <= 0x20 || byte >= 0x7F) {
        return true;
    }
    const char ch = static_cast<char>(byte);
    return kAlways.find(ch) != std::string_view::npos ||
           (bQuery && kInQuery.find(ch) != std::string_view::npos);
}

void AppendEscape(std::string& out, unsigned char byte) {
    out += '%';
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0xF];
}

// The one form in which patterns and paths are compared. In a pattern "*"
// stays a wildcard and a final "$" the end anchor.
std::string MatchForm(std::string_view text, bool bPattern) {
    std::string out;
    out.reserve(text.size());
    bool bQuery = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            const auto decoded =
                static_cast<unsigned char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
            if (IsUnreserved(decoded)) {
                out += static_cast<char>(decoded);
            } else {
                AppendEscape(out, decoded);
            }
        } else if (bPattern && (byte == '*' || (byte == '$' && i + 1 == text.size()))) {
            out += static_cast<char>(byte);
        } else if (byte == '?' && !bQuery) {
            bQuery = true;
            out += '?';
        } else if (IsEscaped(byte, bQuery)) {
            AppendEscape(out, byte);
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

// Pieces between stars are placed left to right at their first occurrence:
// the earliest place leaves the most room for the pieces after it, so no
// choice is ever taken back. Each piece is searched for once, which bounds
// the work by pattern length times path length.
bool PatternMatches(std::string_view pattern, std::string_view path) {
    const bool bAnchored = !pattern.empty() && pattern.back() == '$';
    if (bAnchored) {
        pattern.remove_suffix(1);
    }
    size_t star = pattern.find('*');
    const std::string_view head = pattern.substr(0, star);
    if (!path.starts_with(head)) {
        return false;
    }
    if (star == std::string_view::npos) {
        return !bAnchored || path.size() == head.size();
    }
    size_t pos = head.size();
    pattern.remove_prefix(star + 1);
    while ((star = pattern.find('*')) != std::string_view::npos) {
        const std::string_view piece = pattern.substr(0, star);
        const size_t found = path.find(piece, pos);
        if (found == std::string_view::npos) {
            return false;
        }
        pos = found + piece.size();
        pattern.remove_prefix(star + 1);
    }
    if (!bAnchored) {
        return path.find(pattern, pos) != std::string_view::npos;
    }
    return path.size() - pos >= pattern.size() && path.ends_with(pattern);
}

// Whole seconds with an optional fraction ("10", "0.5", ".25"); milliseconds
// past the third decimal are dropped.
std::optional<int> ParseCrawlDelayMs(std::string_view text) {
    constexpr int64_t kMaxSeconds = kRobotsCrawlDelayMaxMs / 1000;
    int64_t ms = 0;
    bool bDigit = false;
    size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        ms = ms * 10 + (text[i] - '0');
        bDigit = true;
        if (ms > kMaxSeconds) {
            return std::nullopt;  // before the number can overflow
        }
    }
    ms *= 1000;
    if (i < text.size() && text[i] == '.') {
        int scale = 100;
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            ms += (text[i] - '0') * scale;
            scale /= 10;
            bDigit = true;
        }
    }
    if (!bDigit || i != text.size() || ms > kRobotsCrawlDelayMaxMs) {
        return std::nullopt;
    }
    return static_cast<int>(ms);
}

// The rules and delay gathered for one side of the choice: the groups naming
// the agent, or the "*" groups.
struct CCollected {
    bool m_bFound = false;  // some group named it, even one without rules
    std::vector<std::string> m_arrAllow;
    std::vector<std::string> m_arrDisallow;
    std::optional<int> m_nCrawlDelayMs;

    void AddRule(bool bAllow, std::string_view value) {
        std::vector<std::string>& rules = bAllow ? m_arrAllow : m_arrDisallow;
        // An empty pattern matches nothing.
        if (value.empty() || value.size() > kRobotsPatternMax ||
            m_arrAllow.size() + m_arrDisallow.size() >= kRobotsRulesMax) {
            return;
        }
        rules.push_back(MatchForm(value, true));
    }

    void AddCrawlDelay(std::string_view value) {
        const std::optional<int> delay = ParseCrawlDelayMs(value);
        if (delay && (!m_nCrawlDelayMs || *delay > *m_nCrawlDelayMs)) {
            m_nCrawlDelayMs = delay;
        }
    }
};

enum class LineKey { UserAgent, Allow, Disallow, CrawlDelay, Other };

LineKey KeyOf(std::string_view key) {
    if (EqualsNoCase(key, "user-agent")) {
        return LineKey::UserAgent;
    }
    if (EqualsNoCase(key, "allow")) {
        return LineKey::Allow;
    }
    if (EqualsNoCase(key, "disallow")) {
        return LineKey::Disallow;
    }
    if (EqualsNoCase(key, "crawl-delay")) {
        return LineKey::CrawlDelay;
    }
    return LineKey::Other;
}

// Reads the lines in order, handing each member of a group to the sides the
// group's user-agent lines chose.
class CGroupReader {
public:
    explicit CGroupReader(std::string_view productToken) : m_strToken(productToken) {}

    void ReadLine(std::string_view line) {
        const size_t hash = line.find('#');
        if (hash != std::string_view::npos) {
            line = line.substr(0, hash);
        }
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            return;
        }
        const LineKey key = KeyOf(Trim(line.substr(0, colon)));
        const std::string value = Trim(line.substr(colon + 1));
        if (key == LineKey::Other) {
            return;  // sitemap and the like belong to no group and end none
        }
        if (key == LineKey::UserAgent) {
            ReadUserAgent(value);
            return;
        }
        m_bInAgents = false;
        for (CCollected* side : {m_pAgentSide, m_pStarSide}) {
            if (side == nullptr) {
                continue;
            }
            if (key == LineKey::CrawlDelay) {
                side->AddCrawlDelay(value);
            } else {
                side->AddRule(key == LineKey::Allow, value);
            }
        }
    }

    // The groups naming the agent when there are any, else the "*" groups.
    [[nodiscard]] const CCollected& Chosen() const { return m_agent.m_bFound ? m_agent : m_star; }

private:
    void ReadUserAgent(std::string_view value) {
        if (!m_bInAgents) {
            // A user-agent line after a group's members starts the next group.
            m_bInAgents = true;
            m_pAgentSide = nullptr;
            m_pStarSide = nullptr;
        }
        if (value == "*") {
            m_pStarSide = &m_star;
            m_star.m_bFound = true;
        } else if (!m_strToken.empty() && EqualsNoCase(RobotsProductToken(value), m_strToken)) {
            m_pAgentSide = &m_agent;
            m_agent.m_bFound = true;
        }
    }

    std::string m_strToken;
    CCollected m_agent;
    CCollected m_star;
    bool m_bInAgents = false;
    // Where the current group's members go; both null before the first
    // user-agent line and for a group naming neither.
    CCollected* m_pAgentSide = nullptr;
    CCollected* m_pStarSide = nullptr;
};

// The text up to the parse limit, without a line the limit cuts in two.
std::string_view ParsedPart(std::string_view text) {
    if (text.size() <= kRobotsParseMax) {
        return text;
    }
    const char next = text[kRobotsParseMax];
    text = text.substr(0, kRobotsParseMax);
    if (next == '\r' || next == '\n') {
        return text;
    }
    const size_t lastBreak = text.find_last_of("\r\n");
    return lastBreak == std::string_view::npos ? std::string_view() : text.substr(0, lastBreak);
}
}  // namespace

std::string RobotsProductToken(std::string_view agent) {
    return Trim(agent.substr(0, agent.find('/')));
}

CRobotsRules CRobotsRules::AllowAll() {
    return {};
}

CRobotsRules CRobotsRules::DisallowAll() {
    CRobotsRules rules;
    rules.m_arrRules.push_back({"/", false});
    return rules;
}

CRobotsRules CRobotsRules::Parse(std::string_view text, std::string_view productToken) {
    text = ParsedPart(text);
    if (text.starts_with(kUtf8Bom)) {
        text.remove_prefix(kUtf8Bom.size());
    }
    CGroupReader reader(RobotsProductToken(productToken));
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        reader.ReadLine(text.substr(pos, end - pos));
        pos = end;
        // CR LF, LF and CR each end one line.
        if (pos < text.size() && text[pos] == '\r') {
            ++pos;
        }
        if (pos < text.size() && text[pos] == '\n') {
            ++pos;
        }
    }
    const CCollected& chosen = reader.Chosen();
    CRobotsRules rules;
    rules.m_nCrawlDelayMs = chosen.m_nCrawlDelayMs;
    for (const std::string& pattern : chosen.m_arrAllow) {
        rules.m_arrRules.push_back({pattern, true});
    }
    for (const std::string& pattern : chosen.m_arrDisallow) {
        rules.m_arrRules.push_back({pattern, false});
    }
    std::stable_sort(rules.m_arrRules.begin(), rules.m_arrRules.end(),
                     [](const CRule& a, const CRule& b) {
                         if (a.m_strPattern.size() != b.m_strPattern.size()) {
                             return a.m_strPattern.size() > b.m_strPattern.size();
                         }
                         return a.m_bAllow && !b.m_bAllow;
                     });
    return rules;
}

bool CRobotsRules::Allows(std::string_view pathAndQuery) const {
    pathAndQuery = pathAndQuery.substr(0, pathAndQuery.find('#'));
    const std::string path =
        pathAndQuery.empty() ? std::string("/") : MatchForm(pathAndQuery, false);
    if (path.starts_with(kRobotsPath) &&
        (path.size() == kRobotsPath.size() || path[kRobotsPath.size()] == '?')) {
        return true;
    }
    for (const CRule& rule : m_arrRules) {
        if (PatternMatches(rule.m_strPattern, path)) {
            return rule.m_bAllow;
        }
    }
    return true;
}
