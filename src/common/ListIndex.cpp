#include "common/ListIndex.h"

#include "common/Text.h"

uint64_t CListIndex::Hash(std::string_view text) const {
    // FNV-1a, folding ASCII case when the list ignores it.
    uint64_t hash = 14695981039346656037ull;
    bool bUnsafe = false;
    for (char ch : text) {
        if (m_match == Match::NoCase && ch >= 'A' && ch <= 'Z') {
            ch = static_cast<char>(ch + ('a' - 'A'));
        }
        bUnsafe = bUnsafe || IsUnsafeUrlByte(ch);
        hash = (hash ^ static_cast<unsigned char>(ch)) * 1099511628211ull;
    }
    // A URL with bytes to encode hashes as its request form, which has none.
    if (bUnsafe && m_match == Match::SameRequest) {
        return Hash(PercentEncodeUnsafe(text));
    }
    return hash;
}

bool CListIndex::Equal(std::string_view a, std::string_view b) const {
    switch (m_match) {
        case Match::NoCase:
            return EqualsNoCase(a, b);
        case Match::SameRequest:
            // Most URLs have nothing to encode and compare as they are.
            return a == b || ((HasUnsafeUrlBytes(a) || HasUnsafeUrlBytes(b)) &&
                              PercentEncodeUnsafe(a) == PercentEncodeUnsafe(b));
        case Match::Exact:
            break;
    }
    return a == b;
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
