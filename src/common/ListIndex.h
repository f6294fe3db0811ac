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
    // When two texts are one entry.
    enum class Match {
        Exact,
        NoCase,  // ASCII letters without case: hosts
        // The same text once the bytes a request line cannot carry are
        // written as "%XX" (PercentEncodeUnsafe): URLs, so that "a b.html"
        // and "a%20b.html" are one. Hex digits written in a URL keep their
        // case: "%c3%a9" and "%C3%A9" stay two entries.
        SameRequest,
    };

    explicit CListIndex(Match match) : m_match(match) {}

    bool Contains(const std::vector<std::string>& list, std::string_view text);
    // Appends text to the list unless it holds it already; true when appended.
    // The list keeps text as written.
    bool AppendIfNew(std::vector<std::string>& list, std::string_view text);
    void Rebuild(const std::vector<std::string>& list);
    void Clear();

private:
    uint64_t Hash(std::string_view text) const;
    bool Equal(std::string_view a, std::string_view b) const;
    void CatchUp(const std::vector<std::string>& list);

    const Match m_match;
    std::unordered_multimap<uint64_t, uint32_t> m_positions;
    size_t m_nIndexed = 0;
};
