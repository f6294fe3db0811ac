#include "common/ListIndex.h"

#include "common/Text.h"

std::string_view CListIndex::Key(std::string_view text, std::string& buffer) const {
    // Most URLs hold nothing to encode: they are their own key, unallocated.
    if (m_match != Match::SameRequest || !HasUnsafeUrlBytes(text)) {
        return text;
    }
    buffer = PercentEncodeUnsafe(text);
    return buffer;
}

uint64_t CListIndex::Hash(std::string_view text) const {
    // FNV-1a over the key, folding ASCII case when the list ignores it.
    std::string buffer;
    uint64_t hash = 14695981039346656037ull;
    for (char ch : Key(text, buffer)) {
        if (m_match == Match::NoCase && ch >= 'A' && ch <= 'Z') {
            ch = static_cast<char>(ch + ('a' - 'A'));
        }
        hash = (hash ^ static_cast<unsigned char>(ch)) * 1099511628211ull;
    }
    return hash;
}

bool CListIndex::Equal(std::string_view a, std::string_view b) const {
    if (m_match == Match::NoCase) {
        return EqualsNoCase(a, b);
    }
    std::string bufferA;
    std::string bufferB;
    return Key(a, bufferA) == Key(b, bufferB);
}

void CListIndex::CatchUp(const std::vector<std::string>& list) {
    if (m_nIndexed > list.size()) {
        Rebuild(list);  // the list was shortened behind the index's back
        return;
    }
    for (; m_nIndexed < list.size(); ++m_nIndexed) {
        m_positions.emplace(Hash(list[m_nIndexed]), static_cast<uint32_t>(m_nIndexed));
    }
}

bool CListIndex::Contains(const std::vector<std::string>& list, std::string_view text) {
    CatchUp(list);
    const auto [first, last] = m_positions.equal_range(Hash(text));
    for (auto it = first; it != last; ++it) {
        if (it->second < list.size() && Equal(list[it->second], text)) {
            return true;
        }
    }
    return false;
}

bool CListIndex::AppendIfNew(std::vector<std::string>& list, std::string_view text) {
    if (Contains(list, text)) {
        return false;
    }
    list.emplace_back(text);
    CatchUp(list);
    return true;
}

void CListIndex::Rebuild(const std::vector<std::string>& list) {
    Clear();
    m_positions.reserve(list.size());
    CatchUp(list);
}

void CListIndex::Clear() {
    m_positions.clear();
    m_nIndexed = 0;
}
