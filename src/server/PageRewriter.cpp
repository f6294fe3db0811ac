#include "server/PageRewriter.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <utility>

#include "analysis/LinkValue.h"
#include "analysis/TextSearch.h"
#include "common/Text.h"
#include "engine/PageStore.h"
#include "engine/UrlCombine.h"

namespace {
constexpr size_t kChunkBytes = 4096;     // read, rewritten and sent at a time
constexpr size_t kMaxCombinedUrl = 259;  // longer combined links are left alone
// Recolouring nested anchors makes a chunk grow with the square of its tags; past
// this size (far beyond what real pages reach from 4 KiB) the rest of the chunk
// goes out unchanged, which bounds both the work and what the browser receives.
constexpr size_t kMaxChunkText = 64 * 1024;

// "src" counts only after white space; the others anywhere.
const char* const kLinkKeywords[] = {"href", " src", "background", "\nsrc", "\rsrc", "\tsrc"};
constexpr int kLinkKeywordCount = 6;

constexpr std::string_view kFontEnd = "</font>";

bool IsSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}

// Position of the last occurrence of pattern (ignoring ASCII case), 0 when none.
size_t LastNoCase(std::string_view text, std::string_view pattern) {
    for (size_t at = text.size(); at >= pattern.size(); --at) {
        if (StartsWithNoCase(text.substr(at - pattern.size()), pattern)) {
            return at - pattern.size();
        }
    }
    return 0;
}

bool ContainsNoCase(std::string_view text, std::string_view pattern) {
    return FindNoCase(text, pattern, 0) >= 0;
}

// How much of a chunk is rewritten now; the rest is read again with the next chunk.
// A last anchor without its "</a" starts the next chunk, so that anchors stay whole
// with their text; so does a last "<" (unless it is all there is).
size_t CutLength(std::string_view chunk) {
    const size_t anchor = LastNoCase(chunk, "<a");
    const size_t anchorEnd = LastNoCase(chunk, "</a");
    if (anchorEnd < anchor) {
        return anchor;
    }
    size_t length = chunk.size();
    if (length > 1 && chunk.back() == '<') {
        --length;
    }
    return length;
}

// The next occurrence of a pattern at or after a position. The text after the
// scan position is page text or inserted colour tags, which never hold or split
// one of these patterns; so "none" stays true for the rest of the chunk, and a
// hit stays true until the text is changed.
class CNextMatch {
public:
    explicit CNextMatch(std::string_view pattern) : m_pattern(pattern) {}

    int Find(const std::string& text, size_t from) {
        if (m_nFound == kNone) {
            return -1;
        }
        if (m_nFound == kUnknown || static_cast<size_t>(m_nFound) < from) {
            m_nFound = FindNoCase(text, m_pattern, static_cast<int>(from));
            if (m_nFound < 0) {
                m_nFound = kNone;
                return -1;
            }
        }
        return m_nFound;
    }

    void Forget() {
        if (m_nFound != kNone) {
            m_nFound = kUnknown;
        }
    }

private:
    static constexpr int kNone = -1;
    static constexpr int kUnknown = -2;
    std::string_view m_pattern;
    int m_nFound = kUnknown;
};

// The link of an attribute's value text, unless it is empty or a "#" link.
std::optional<std::string> LinkToRewrite(std::string_view text) {
    std::string link = LinkOfValue(text);
    if (link.empty() || link[0] == '#') {
        return std::nullopt;
    }
    return link;
}

// The link as it goes into the attribute: the bytes that could end the value,
// quoted or not, as "%XX" ("a b's.html" -> "a%20b%27s.html"), which browsers and
// the server read as the same link. Other bytes, UTF-8 included, stay as they
// are: browsers encode them when they send the link.
std::string AttributeSafe(std::string_view link) {
    std::string safe;
    safe.reserve(link.size());
    for (const char ch : link) {
        if (ch == '"' || ch == '\'' || ch == '>' || IsSpace(ch)) {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", static_cast<unsigned char>(ch));
            safe += escape;
        } else {
            safe += ch;
        }
    }
    return safe;
}

// Puts newLink in place of the value of the tag's first "href" (or, without one,
// its first "src"): between its quotes, or over an unquoted value up to white
// space; an unquoted value running to the tag's end gets quotes and closes the
// tag. False when the tag has no such attribute or its value cannot be found.
bool ReplaceLinkValue(std::string& tag, const std::string& newLink) {
    std::string lower(tag);
    for (char& ch : lower) {
        ch = ToLowerAscii(ch);
    }
    size_t name = lower.find("href");
    size_t nameLength = 4;
    if (name == std::string::npos) {
        name = lower.find("src");
        nameLength = 3;
    }
    if (name == std::string::npos) {
        return false;
    }
    size_t m = lower.find('=', name + nameLength);
    if (m == std::string::npos) {
        return false;
    }
    for (char& ch : lower) {
        if (ch == '\r' || ch == '\n' || ch == '\t') {
            ch = ' ';
        }
    }
    ++m;
    while (m < lower.size() && lower[m] == ' ') {
        ++m;
    }
    if (m < lower.size() && (lower[m] == '"' || lower[m] == '\'')) {
        const size_t close = ClosingQuote(lower, m);
        if (close == std::string::npos) {
            return false;
        }
        tag.replace(m + 1, close - m - 1, newLink);
        return true;
    }
    const size_t space = lower.find(' ', m);
    if (space == std::string::npos) {
        tag.resize(m);
        tag += '"';
        tag += newLink;
        tag += "\">";
    } else {
        tag.replace(m, space - m, newLink);
    }
    return true;
}

bool HasNonSpace(std::string_view text) {
    for (const char ch : text) {
        if (!IsSpace(ch)) {
            return true;
        }
    }
    return false;
}

// Wraps every text run of an anchor's content in the colour tag, so that fonts
// coloured inside the anchor do not override the link colour. A run is what lies
// between a ">" and the next "<"; a ">" at the very start does not count (its
// position, 0, means "none seen yet").
std::string ColorRuns(std::string_view inner, const std::string& colorTag) {
    std::string out;
    out.reserve(inner.size() + inner.size() / 2);
    size_t lastClose = 0;  // position of the last ">" in out, 0 while none
    size_t from = 0;
    while (from < inner.size()) {
        // Bytes other than "<" and ">" are copied in one piece.
        size_t mark = from;
        while (mark < inner.size() && inner[mark] != '<' && inner[mark] != '>') {
            ++mark;
        }
        out.append(inner.substr(from, mark - from));
        if (mark == inner.size()) {
            break;
        }
        if (inner[mark] == '<' && lastClose != 0 &&
            HasNonSpace(std::string_view(out).substr(lastClose + 1))) {
            out.insert(lastClose + 1, colorTag);
            out += kFontEnd;
            lastClose = out.size() - 1;
        }
        if (inner[mark] == '>') {
            lastClose = out.size();
        }
        out += inner[mark];
        from = mark + 1;
    }
    return out;
}

ssize_t ReadAt(int file, char* buffer, size_t length, off_t offset) {
    ssize_t got;
    do {
        got = pread(file, buffer, length, offset);
    } while (got < 0 && errno == EINTR);
    return got;
}
}  // namespace

CPageRewriter::CPageRewriter(CRewriteSettings settings, std::string requestPath)
    : m_settings(std::move(settings)) {
    // The "/" that ends the host: without it the path names no stored page.
    m_bValid = requestPath.size() > 1 && requestPath.find('/', 1) != std::string::npos;
    m_strBase = (m_settings.m_bHttpsPage ? "https:/" : "http:/") + requestPath;
    const uint32_t color = m_settings.m_crLinkColor;
    char hex[8];
    std::snprintf(hex, sizeof hex, "%02X%02X%02X", static_cast<unsigned>(color & 0xFF),
                  static_cast<unsigned>((color >> 8) & 0xFF),
                  static_cast<unsigned>((color >> 16) & 0xFF));
    m_strColorTag = std::string("<font color=\"#") + hex + "\">";
}

bool CPageRewriter::IsValid() const {
    return m_bValid;
}

std::string CPageRewriter::RewriteChunk(std::string_view chunk, size_t& consumed) const {
    consumed = CutLength(chunk);
    std::string text(chunk.substr(0, consumed));
    RewriteText(text, consumed);
    return text;
}

// Which link replaces a combined address in its tag; newLink is set for all but Skip.
CPageRewriter::ELink CPageRewriter::NewLinkOf(const std::string& combined,
                                              std::string& newLink) const {
    const bool bWeb = StartsWithNoCase(combined, "http://") ||
                      (m_settings.m_bHttpsLinks && StartsWithNoCase(combined, "https://"));
    if (!bWeb) {
        // Of the other schemes only window-closing links are touched. The test for
        // "javastript" is deliberate: "javascript:window.close()" gets through it.
        if (StartsWithNoCase(combined, "javastript") ||
            combined.find("window.close()") == std::string::npos) {
            return ELink::Skip;
        }
        newLink.clear();
        return ELink::Disarmed;
    }
    const std::string& taskDir = m_settings.m_strTaskDir;
    const std::string stored = UrlToLocalPath(taskDir, combined);
    // In a task stored before sites on other ports had folders of their own,
    // the copy may lie in the host's folder; the link names the site all the
    // same, so the page it leads to keeps its port for its own links.
    const std::string found =
        m_settings.m_fnExists ? FindLocalPath(taskDir, combined, m_settings.m_fnExists) : "";
    // The "#" is looked for below the task directory, whose own name may hold one.
    const size_t hash = found.find('#', std::min(taskDir.size(), found.size()));
    if (stored.empty() || found.empty() || !m_settings.m_fnExists(found.substr(0, hash))) {
        newLink = combined;
        return ELink::Remote;
    }
    // Below the task directory, from the "/" that ends it: "/host/docs/a.html#part"
    // or "/host:8080/docs/a.html" (root-relative: "host:8080" must not read as a scheme).
    // A backslash in a stored name goes as "%5C": browsers read a bare one as "/".
    newLink.clear();
    AppendReplacing(newLink, std::string_view(stored).substr(taskDir.empty() ? 0 : taskDir.size() - 1),
                    '\\', "%5C");
    return ELink::Local;
}

// Rewrites the link attributes of one chunk's text in place. Each round moves the
// scan past at least one byte of the page, so there are at most pageBytes rounds.
void CPageRewriter::RewriteText(std::string& text, size_t pageBytes) const {
    CNextMatch scriptStart("<script");
    CNextMatch scriptEnd("</script");
    CNextMatch anchorEnd("</a");
    size_t p = 0;
    for (size_t round = 0; round <= pageBytes && text.size() <= kMaxChunkText; ++round) {
        const int keyword =
            FindAnyNoCase(text, kLinkKeywords, kLinkKeywordCount, static_cast<int>(p));
        if (keyword < 0) {
            break;
        }
        const size_t p1 = static_cast<size_t>(keyword) + 1;
        // Links written by scripts stay as they are.
        const int end = scriptEnd.Find(text, p1);
        if (end >= 0) {
            const int start = scriptStart.Find(text, p1);
            if (start < 0 || start > end) {
                p = static_cast<size_t>(end) + 8;
                continue;
            }
        }
        const size_t q = text.find('=', p1);
        const size_t g = text.find('>', p1);
        if (q == std::string::npos || g == std::string::npos) {
            break;
        }
        const std::optional<std::string> link = LinkToRewrite(
            q < g ? std::string_view(text).substr(q + 1, g - q - 1) : std::string_view());
        const std::optional<std::string> combined =
            link ? CombineUrl(m_strBase, *link, kMaxCombinedUrl) : std::nullopt;
        std::string newLink;
        const ELink kind = combined ? NewLinkOf(*combined, newLink) : ELink::Skip;
        if (kind == ELink::Skip) {
            p = p1;
            continue;
        }

        // The whole tag that holds the link, from its "<" to its ">".
        const size_t lt = text.rfind('<', g);
        const size_t t = lt == std::string::npos ? 0 : lt;
        std::string tag = text.substr(t, g - t + 1);
        const int blank = FindNoCase(tag, "_blank", 0);
        if (blank >= 0) {
            tag.replace(static_cast<size_t>(blank), 6, "_self");
        }
        if (!ReplaceLinkValue(tag, AttributeSafe(newLink))) {
            p = p1;
            continue;
        }
        if (kind == ELink::Disarmed) {
            tag = "<a>";
        }
        const bool recolor =
            m_settings.m_bRecolorLinks && kind != ELink::Remote && StartsWithNoCase(tag, "<a");
        const int close = recolor ? anchorEnd.Find(text, g + 1) : -1;
        if (close >= 0) {
            const size_t innerStart = g + 1;
            const size_t innerLength = static_cast<size_t>(close) - innerStart;
            const std::string_view inner = std::string_view(text).substr(innerStart, innerLength);
            std::string colored = m_strColorTag;
            if (ContainsNoCase(inner, "<font") && ContainsNoCase(inner, "color")) {
                colored += ColorRuns(inner, m_strColorTag);
            } else {
                colored += inner;
            }
            colored += kFontEnd;
            text.replace(innerStart, innerLength, colored);
        }
        text.replace(t, g - t + 1, tag);
        p = t + tag.size();
        scriptStart.Forget();
        scriptEnd.Forget();
        anchorEnd.Forget();
    }
}

void SendRewrittenPage(const SendFunction& send, int file, const std::string& requestPath,
                       const CRewriteSettings& settings) {
    const CPageRewriter rewriter(settings, requestPath);
    if (!rewriter.IsValid()) {
        return;
    }
    std::array<char, kChunkBytes> buffer;
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ReadAt(file, buffer.data(), buffer.size(), offset);
        if (got <= 0) {
            return;
        }
        size_t consumed = 0;
        const std::string text = rewriter.RewriteChunk(
            std::string_view(buffer.data(), static_cast<size_t>(got)), consumed);
        if (!text.empty() && !send(text)) {
            return;
        }
        offset += static_cast<off_t>(consumed);
    }
}
