#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A hash index beside a list of texts (the URL list, the site list), so that
// "is it queued already?" does not scan the list. The list keeps its order
// and stays the record; the index holds only hashes and positions. It
// catches up with entries appended to the list since its last use, and is
// rebuilt when the list was replaced (Rebuild) or cleared (Clear).
// Not thread-safe: the list's own lock guards it.
class CListIndex {
public:
    explicit CListIndex(bool bIgnoreCase) : m_bIgnoreCase(bIgnoreCase) {}

    bool Contains(const std::vector<std::string>& list, std::string_view text);
    // Appends text to the list unless it holds it already; true when appended.
    bool AppendIfNew(std::vector<std::string>& list, std::string_view text);
    void Rebuild(const std::vector<std::string>& list);
    void Clear();

private:
    uint64_t Hash(std::string_view text) const;
    bool Equal(std::string_view a, std::string_view b) const;
    void CatchUp(const std::vector<std::string>& list);

    const bool m_bIgnoreCase;  // hosts compare without case, URLs exactly
    std::unordered_multimap<uint64_t, uint32_t> m_positions;
    size_t m_nIndexed = 0;
};
