#include "analysis/PageText.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>

#include "analysis/TextSearch.h"
#include "common/Text.h"

namespace {

constexpr std::string_view kNbsp = "&nbsp;";
constexpr std::string_view kTwoSpaces = "  ";
constexpr std::string_view kHighlightOpen = "<font color=\"#FF0000\">";
constexpr std::string_view kHighlightClose = "</font>";

// Page positions between two questions to the stop predicate: often enough
// for a prompt pause, rarely enough to cost nothing.
constexpr size_t kStopCheckInterval = 4096;

// Largest highlighted abstract, in bytes; see HighlightKeywords.
constexpr size_t kMaxHighlightedLength = size_t{1} << 20;

// FindNoCase with size_t positions; npos when not found.
size_t Find(std::string_view text, std::string_view pattern, size_t from) {
    if (from > text.size() || from > static_cast<size_t>(INT_MAX)) {
        return std::string_view::npos;
    }
    const int hit = FindNoCase(text, pattern, static_cast<int>(from));
    return hit < 0 ? std::string_view::npos : static_cast<size_t>(hit);
}

// A script or style block: from its opening tag to its closing one. Each
// block's tags are searched for once, forward from the scan position, so the
// whole page is searched at most once per kind of block.
class CSkippedBlock {
public:
    // skip: from the closing tag's start to just after it and the ">" that
    // follows ("</script>" is 9).
    CSkippedBlock(std::string_view open, std::string_view close, size_t skip)
        : m_open(open), m_close(close), m_skip(skip) {}

    // The next block from position from on; inactive when either tag is missing.
    void FindFrom(std::string_view page, size_t from) {
        m_active = false;
        m_start = Find(page, m_open, from);
        if (m_start == std::string_view::npos) {
            return;
        }
        m_end = Find(page, m_close, m_start);
        m_active = m_end != std::string_view::npos;
    }

    // When position i lies within the block, the position after it (and the
    // next block is looked for from there); else i.
    size_t SkipAt(std::string_view page, size_t i) {
        if (!m_active || i < m_start || i > m_end) {
            return i;
        }
        const size_t after = m_end + m_skip;
        FindFrom(page, after);
        return after;
    }

    // The first position after i that lies within the block; npos when none.
    [[nodiscard]] size_t NextCovered(size_t i) const {
        if (!m_active || i >= m_end) {
            return std::string_view::npos;
        }
        return i < m_start ? m_start : i + 1;
    }

private:
    std::string_view m_open;
    std::string_view m_close;
    size_t m_skip;
    bool m_active = false;
    size_t m_start = 0;
    size_t m_end = 0;
};

// Bytes with a rule of their own in the scan; runs of any other bytes are
// copied whole.
constexpr std::array<bool, 256> kSpecialBytes = [] {
    std::array<bool, 256> special{};
    for (unsigned char ch : {'&', ' ', '<', '>', '\r', '\n', '\t'}) {
        special[ch] = true;
    }
    return special;
}();

bool IsSpecial(char ch) {
    return kSpecialBytes[static_cast<unsigned char>(ch)];
}

// Drops every pair of consecutive spaces, scanning from the left: an odd run
// of spaces becomes one space, an even one disappears.
void RemoveSpacePairs(std::string& text) {
    size_t out = 0;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == ' ' && i + 1 < text.size() && text[i + 1] == ' ') {
            i += 2;
            continue;
        }
        text[out++] = text[i++];
    }
    text.resize(out);
}

// Room for each output of the stripping, counted with a quick search for
// brackets: the tag text comes from inside "<" ... ">" (and from a ">" outside
// them), the plain text from outside them plus a space for each bracket.
// Script and style blocks count as well, so for ordinary pages these bound
// the outputs, which then never grow by copying; on an odd page one may still
// grow as usual.
struct COutputRoom {
    size_t m_nTag = 0;
    size_t m_nPlain = 0;
};

COutputRoom OutputRoom(std::string_view page) {
    size_t inside = 0;
    size_t spans = 0;
    size_t strays = 0;  // ">" outside the spans
    for (size_t from = 0; from < page.size();) {
        const size_t open = std::min(page.find('<', from), page.size());
        strays += static_cast<size_t>(std::count(page.begin() + from, page.begin() + open, '>'));
        if (open == page.size()) {
            break;
        }
        const size_t close = std::min(page.find('>', open + 1), page.size() - 1);
        inside += close + 1 - open;
        ++spans;
        from = close + 1;
    }
    return {inside + strays, page.size() - inside + 2 * spans};
}

bool IsContinuationByte(std::string_view text, size_t i) {
    return i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
}

}  // namespace

void StripPageText(std::string_view page, std::string& tagText, std::string& plainText,
                   const std::function<bool()>& stopped) {
    const size_t n = page.size();
    const COutputRoom room = OutputRoom(page);
    tagText.clear();
    plainText.clear();
    tagText.reserve(room.m_nTag);
    plainText.reserve(room.m_nPlain);

    // Text outside tags counts from the ">" closing the first "<body" on; a
    // page without one is body throughout.
    bool bodyFound = false;
    size_t bodyStart = 0;
    const size_t body = Find(page, "<body", 0);
    if (body != std::string_view::npos) {
        bodyStart = Find(page, ">", body + 5);
        bodyFound = bodyStart != std::string_view::npos;
    }

    CSkippedBlock script("<script", "</script", 9);
    CSkippedBlock style("<style", "</style", 8);
    script.FindFrom(page, 0);
    style.FindFrom(page, 0);

    bool inTag = false;
    size_t nextStopCheck = 0;
    size_t i = 0;
    while (i < n) {
        if (stopped && i >= nextStopCheck) {
            if (stopped()) {
                break;
            }
            nextStopCheck = i + kStopCheckInterval;
        }
        // One check of each kind per position: a block right after a
        // skipped one is caught at the next position.
        i = script.SkipAt(page, i);
        i = style.SkipAt(page, i);
        if (i >= n) {
            break;
        }
        const bool afterBodyStart = !bodyFound || i > bodyStart;
        if (!IsSpecial(page[i])) {
            // A run of ordinary bytes up to the next special one or block.
            // It cannot hold the body start, which is a ">".
            const size_t limit = std::min({n, script.NextCovered(i), style.NextCovered(i)});
            size_t runEnd = i + 1;
            while (runEnd < limit && !IsSpecial(page[runEnd])) {
                ++runEnd;
            }
            if (inTag) {
                tagText.append(page, i, runEnd - i);
            } else if (afterBodyStart) {
                plainText.append(page, i, runEnd - i);
            }
            i = runEnd;
            continue;
        }
        const std::string_view rest = page.substr(i);
        if (rest.starts_with(kNbsp)) {
            i += kNbsp.size();
            continue;
        }
        if (rest.starts_with(kTwoSpaces)) {
            i += kTwoSpaces.size();
            continue;
        }
        const char ch = page[i];
        if (ch == '>') {
            tagText += '>';
            plainText += ' ';
            inTag = false;
        } else if (ch == '<') {
            tagText += '<';
            plainText += ' ';
            inTag = true;
        } else if (inTag) {
            tagText += ch;
        } else if (afterBodyStart) {
            if (ch == '\t') {
                plainText += ' ';
            } else if (ch != '\r' && ch != '\n') {
                plainText += ch;
            }
        }
        ++i;
    }
    RemoveSpacePairs(plainText);
}

std::optional<std::string> PageTitle(std::string_view page) {
    const size_t open = Find(page, "<title", 0);
    const size_t close = Find(page, "</title", 0);
    if (open == std::string_view::npos || close == std::string_view::npos) {
        return std::nullopt;
    }
    // Skips "<title>"; attributes of the tag leave their tail in the title.
    const size_t from = open + 7;
    if (close <= from) {
        return std::string();
    }
    return Trim(page.substr(from, close - from));
}

CAbstractWindow AbstractWindow(size_t n, std::optional<size_t> centre, int maxLength,
                               int startingPoint, int offset) {
    const int64_t length = static_cast<int64_t>(n);
    const int64_t longest = maxLength;
    int64_t start = 0;
    int64_t end = 0;
    if (centre) {
        const int64_t halfDown = longest >= 0 ? longest / 2 : -((1 - longest) / 2);
        start = std::max<int64_t>(static_cast<int64_t>(std::min(*centre, n)) - halfDown, 0);
        end = std::min(start + longest, length);
    } else {
        const int64_t signedOffset = offset;
        const int64_t magnitude = signedOffset < 0 ? -signedOffset : signedOffset;
        if (startingPoint == 0) {
            start = magnitude;
        } else if (startingPoint == 1) {
            start = signedOffset + length / 2;
        } else {
            start = length - magnitude;
        }
        start = std::clamp<int64_t>(start, 0, length);
        if (start + longest > length) {
            start = std::max<int64_t>(length - longest, 0);
            end = length;
        } else {
            end = start + longest;
        }
    }
    // A negative length gives no abstract; the window never leaves the text.
    start = std::clamp<int64_t>(start, 0, length);
    end = std::clamp<int64_t>(end, start, length);
    return {static_cast<size_t>(start), static_cast<size_t>(end)};
}

CAbstractWindow KeepUtf8Whole(std::string_view text, CAbstractWindow window) {
    size_t start = std::min(window.start, text.size());
    size_t end = std::clamp(window.end, start, text.size());
    // A UTF-8 character has at most three continuation bytes; on invalid
    // text the ends move no further than that.
    for (int moves = 0; moves < 3 && start < end && IsContinuationByte(text, start); ++moves) {
        ++start;
    }
    for (int moves = 0; moves < 3 && end > start && IsContinuationByte(text, end); ++moves) {
        --end;
    }
    return {start, end};
}

std::string HighlightKeywords(std::string abstract, const std::vector<std::string>& keywords,
                              bool matchCase) {
    for (const std::string& keyword : keywords) {
        if (keyword.empty()) {
            continue;
        }
        // One pass per keyword into a new string; the search goes on after
        // the hit, in the text as it was before this keyword.
        std::string marked;
        size_t pos = 0;
        for (;;) {
            const size_t hit =
                matchCase ? abstract.find(keyword, pos) : Find(abstract, keyword, pos);
            if (hit == std::string::npos ||
                marked.size() + (abstract.size() - pos) > kMaxHighlightedLength) {
                break;
            }
            if (marked.empty()) {
                marked.reserve(abstract.size() * 2);
            }
            marked.append(abstract, pos, hit - pos);
            marked += kHighlightOpen;
            marked.append(abstract, hit, keyword.size());  // the hit's own letters
            marked += kHighlightClose;
            pos = hit + keyword.size();
        }
        if (pos > 0) {
            marked.append(abstract, pos);
            abstract = std::move(marked);
        }
    }
    return abstract;
}
