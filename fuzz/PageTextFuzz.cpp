// libFuzzer target for the text side of page analysis. Input: one byte giving
// the length of a keyword text ("+" between keywords), one byte of options,
// two bytes of offset, then the page.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/PageText.h"
#include "analysis/TextSearch.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

char Lower(char ch) {
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

// The plain definition of the search, to compare against.
int SlowFindNoCase(std::string_view text, std::string_view pattern, size_t start) {
    for (size_t at = start; at + pattern.size() <= text.size(); ++at) {
        size_t k = 0;
        while (k < pattern.size() && Lower(text[at + k]) == Lower(pattern[k])) {
            ++k;
        }
        if (k == pattern.size()) {
            return static_cast<int>(at);
        }
    }
    return -1;
}

// The scan as written, one position at a time, rescanning nothing; the fast
// version must give the same two texts.
void SlowStrip(std::string_view page, std::string& tagText, std::string& plainText) {
    const size_t n = page.size();
    auto find = [&](std::string_view pattern, size_t from) {
        return from > n ? -1 : SlowFindNoCase(page, pattern, from);
    };
    int bodyStart = find("<body", 0);
    if (bodyStart >= 0) {
        bodyStart = find(">", static_cast<size_t>(bodyStart) + 5);
    }
    int s1 = find("<script", 0), e1 = s1 < 0 ? -1 : find("</script", static_cast<size_t>(s1));
    int s2 = find("<style", 0), e2 = s2 < 0 ? -1 : find("</style", static_cast<size_t>(s2));
    bool inTag = false;
    std::string plain;
    for (size_t i = 0; i < n;) {
        const int at = static_cast<int>(i);
        if (s1 >= 0 && e1 >= 0 && s1 <= at && at <= e1) {
            i = static_cast<size_t>(e1) + 9;
            s1 = find("<script", i);
            e1 = s1 < 0 ? -1 : find("</script", static_cast<size_t>(s1));
        }
        const int at2 = static_cast<int>(i);
        if (s2 >= 0 && e2 >= 0 && s2 <= at2 && at2 <= e2) {
            i = static_cast<size_t>(e2) + 8;
            s2 = find("<style", i);
            e2 = s2 < 0 ? -1 : find("</style", static_cast<size_t>(s2));
        }
        if (i >= n) {
            break;
        }
        if (page.substr(i, 6) == "&nbsp;") {
            i += 6;
            continue;
        }
        if (page.substr(i, 2) == "  ") {
            i += 2;
            continue;
        }
        const char ch = page[i];
        if (ch == '>' || ch == '<') {
            tagText += ch;
            plain += ' ';
            inTag = ch == '<';
        } else if (inTag) {
            tagText += ch;
        } else if (static_cast<int>(i) > bodyStart && ch != '\r' && ch != '\n') {
            plain += ch == '\t' ? ' ' : ch;
        }
        ++i;
    }
    for (size_t j = 0; j < plain.size();) {
        if (plain.compare(j, 2, "  ") == 0) {
            j += 2;
        } else {
            plainText += plain[j++];
        }
    }
}

bool IsValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80           ? 1
                              : (lead >> 5) == 0x6  ? 2
                              : (lead >> 4) == 0xE  ? 3
                              : (lead >> 3) == 0x1E ? 4
                                                    : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) {
        return 0;
    }
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t keywordLength = std::min<size_t>(data[0] % 16, size - 4);
    const bool matchCase = data[1] & 1;
    const int startingPoint = (data[1] >> 1) % 4;
    const int maxLength = 100 + (data[1] >> 3) * 13;
    const int offset = static_cast<int16_t>(data[2] | data[3] << 8);
    const std::string_view keywordText = input.substr(4, keywordLength);
    const std::string_view page = input.substr(4 + keywordLength);

    std::vector<std::string> keywords;
    bool keywordsValid = true;
    for (size_t begin = 0; begin <= keywordText.size();) {
        size_t plus = keywordText.find('+', begin);
        if (plus == std::string_view::npos) {
            plus = keywordText.size();
        }
        keywords.emplace_back(keywordText.substr(begin, plus - begin));
        keywordsValid = keywordsValid && IsValidUtf8(keywords.back());
        begin = plus + 1;
    }

    std::string tagText, plainText;
    StripPageText(page, tagText, plainText);
    std::string slowTag, slowPlain;
    SlowStrip(page, slowTag, slowPlain);
    Check(tagText == slowTag && plainText == slowPlain);
    Check(plainText.find_first_of("\r\n") == std::string::npos);
    Check(plainText.find("  ") == std::string::npos);

    if (const auto title = PageTitle(page)) {
        Check(title->size() <= page.size());
    }

    const char* names[3];
    for (size_t k = 0; k < keywords.size(); ++k) {
        const int fast = FindNoCase(tagText, keywords[k], 0);
        Check(fast == SlowFindNoCase(tagText, keywords[k], 0));
        if (k < 3) {
            names[k] = keywords[k].c_str();
        }
    }
    // Names end at a zero byte, so the oracle compares what the search sees.
    const int count = static_cast<int>(std::min<size_t>(keywords.size(), 3));
    int first = -1;
    for (int k = 0; k < count; ++k) {
        const int hit = SlowFindNoCase(tagText, names[k], 0);
        if (hit >= 0 && (first < 0 || hit < first)) {
            first = hit;
        }
    }
    Check(FindAnyNoCase(tagText, names, count, 0) == first);

    std::optional<size_t> centre;
    for (const std::string& keyword : keywords) {
        const int hit = keyword.empty() ? -1 : FindNoCase(plainText, keyword, 0);
        if (hit >= 0) {
            centre = static_cast<size_t>(hit);
            break;
        }
    }
    const CAbstractWindow window = KeepUtf8Whole(
        plainText, AbstractWindow(plainText.size(), centre, maxLength, startingPoint, offset));
    Check(window.start <= window.end && window.end <= plainText.size());
    Check(window.end - window.start <= static_cast<size_t>(maxLength));
    const std::string abstract = HighlightKeywords(
        plainText.substr(window.start, window.end - window.start), keywords, matchCase);
    if (IsValidUtf8(plainText) && keywordsValid) {
        Check(IsValidUtf8(abstract));
    }
    return 0;
}
