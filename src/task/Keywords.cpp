#include "common/Text.h"
#include "task/QuobrixDoc.h"

std::vector<std::string> CQuobrixDoc::SplitKeywords(const std::string& text) {
    std::vector<std::string> keywords;
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t plus = text.find('+', begin);
        if (plus == std::string::npos) {
            plus = text.size();
        }
        std::string piece = Trim(std::string_view(text).substr(begin, plus - begin));
        if (!piece.empty()) {
            keywords.push_back(std::move(piece));
        }
        begin = plus + 1;
    }
    return keywords;
}

void CQuobrixDoc::SetKeywords(const std::string& text, bool bMatchCase) {
    CLock lock(m_csKeywords);
    m_strKeywords = Trim(text);
    m_bMatchCase = bMatchCase;
    m_bKeywordsChanged = true;
    m_arrKeywords = SplitKeywords(m_strKeywords);
}

void CQuobrixDoc::RebuildKeywords() {
    CLock lock(m_csKeywords);
    m_arrKeywords = SplitKeywords(m_strKeywords);
}

CTaskKeywords CQuobrixDoc::GetKeywords() const {
    CLock lock(m_csKeywords);
    return {m_strKeywords, m_bMatchCase};
}
