#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "analysis/PageText.h"
#include "analysis/TextSearch.h"
#include "common/Text.h"
#include "task/QuobrixDoc.h"

namespace {

// The settings pages keep the abstract's length within these bounds; a task
// file is read without range checks, so they are enforced here too.
constexpr int kMinAbstractLength = 100;
constexpr int kMaxAbstractLength = 500;

// The first occurrence of keyword in text, or npos.
size_t FindKeyword(const std::string& text, const std::string& keyword, bool matchCase) {
    if (matchCase) {
        return text.find(keyword);
    }
    const int hit = FindNoCase(text, keyword, 0);
    return hit < 0 ? std::string::npos : static_cast<size_t>(hit);
}

}  // namespace

// Runs on the slot's worker thread, after StripPage. The slot's page and
// plain text are read without a lock (only this thread writes them); the
// results are stored under the slot-text lock, since a save may read them.
int CQuobrixDoc::CheckKeywords(int slot) {
    const std::string& plainText = m_strPlainText[slot];
    if (plainText.empty()) {
        return -1;
    }
    const std::optional<std::string> title = PageTitle(m_strPage[slot]);

    bool matched = false;
    bool matchCase = false;
    std::optional<size_t> centre;
    std::vector<std::string> keywords;
    {
        // Another slot may be rebuilding the list: search and copy under the lock.
        CLock lock(m_csKeywords);
        if (m_bKeywordsChanged) {
            m_arrKeywords = SplitKeywords(m_strKeywords);
        }
        matchCase = m_bMatchCase;
        matched = m_arrKeywords.empty();
        for (const std::string& keyword : m_arrKeywords) {
            const size_t hit = FindKeyword(plainText, keyword, matchCase);
            if (hit != std::string::npos) {
                matched = true;
                centre = hit;
                break;
            }
        }
        if (matched) {
            keywords = m_arrKeywords;
        }
    }
    m_bMatched[slot] = matched;

    const int maxLength =
        std::clamp<int>(m_nAbstractMaxLength, kMinAbstractLength, kMaxAbstractLength);
    const CAbstractWindow window = KeepUtf8Whole(
        plainText,
        AbstractWindow(plainText.size(), centre, maxLength, m_nAbstractStart, m_nAbstractOffset));
    // An empty window leaves the abstract as it was. The abstract goes into
    // the result page as HTML, so its page text may open no tag: the stripping
    // leaves no "<" in the plain text, and one that came some other way is
    // written "&lt;", before our own highlight markup is added.
    std::string abstract;
    if (window.start < window.end) {
        AppendReplacing(abstract,
                        std::string_view(plainText).substr(window.start, window.end - window.start),
                        '<', "&lt;");
    } else {
        abstract = m_strAbstract[slot];
    }
    if (matched) {
        abstract = HighlightKeywords(std::move(abstract), keywords, matchCase);
    }

    CLock lock(m_csSlotText[slot]);
    if (title) {
        m_strTitle[slot] = *title;
    }
    m_strAbstract[slot] = std::move(abstract);
    return 1;
}
