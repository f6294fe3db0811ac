#include "analysis/TextSearch.h"

#include <climits>
#include <cstring>

namespace {

unsigned char Lower(unsigned char ch) {
    return ch >= 'A' && ch <= 'Z' ? static_cast<unsigned char>(ch - 'A' + 'a') : ch;
}

unsigned char Upper(unsigned char ch) {
    return ch >= 'a' && ch <= 'z' ? static_cast<unsigned char>(ch - 'a' + 'A') : ch;
}

// text[at, at + pattern.size()) equals pattern, ignoring ASCII case; the
// caller has checked that it fits.
bool EqualNoCase(const char* at, std::string_view pattern) {
    for (size_t k = 0; k < pattern.size(); ++k) {
        if (Lower(static_cast<unsigned char>(at[k])) !=
            Lower(static_cast<unsigned char>(pattern[k]))) {
            return false;
        }
    }
    return true;
}

// Results are ints; a hit past INT_MAX cannot be reported, so it is no hit.
int ToIndex(size_t index) {
    return index > static_cast<size_t>(INT_MAX) ? -1 : static_cast<int>(index);
}

// Position of the next byte equal to a or b in [from, end), or end. Keeps the
// last answer for each byte so a run of failed candidates stays linear.
class CPairScan {
public:
    CPairScan(const char* end, unsigned char a, unsigned char b) : m_end(end), m_a(a), m_b(b) {}

    const char* Next(const char* from) {
        if (m_nextA == nullptr || m_nextA < from) {
            m_nextA = Find(from, m_a);
        }
        if (m_a == m_b) {
            return m_nextA;
        }
        if (m_nextB == nullptr || m_nextB < from) {
            m_nextB = Find(from, m_b);
        }
        return m_nextA < m_nextB ? m_nextA : m_nextB;
    }

private:
    const char* Find(const char* from, unsigned char ch) const {
        const void* hit = std::memchr(from, ch, static_cast<size_t>(m_end - from));
        return hit != nullptr ? static_cast<const char*>(hit) : m_end;
    }

    const char* m_end;
    unsigned char m_a;
    unsigned char m_b;
    const char* m_nextA = nullptr;  // null until first searched
    const char* m_nextB = nullptr;
};

}  // namespace

int FindNoCase(std::string_view text, std::string_view pattern, int start) {
    const size_t from = start < 0 ? 0 : static_cast<size_t>(start);
    if (from > text.size()) {
        return -1;
    }
    if (pattern.empty()) {
        return ToIndex(from);
    }
    if (pattern.size() > text.size() - from) {
        return -1;
    }
    // Candidates are the bytes that can begin the pattern; only they are
    // compared in full.
    const char* const begin = text.data();
    const char* const last = begin + (text.size() - pattern.size()) + 1;  // one past the last start
    const unsigned char first = static_cast<unsigned char>(pattern[0]);
    CPairScan scan(last, Lower(first), Upper(first));
    for (const char* at = scan.Next(begin + from); at < last; at = scan.Next(at + 1)) {
        if (EqualNoCase(at, pattern)) {
            return ToIndex(static_cast<size_t>(at - begin));
        }
    }
    return -1;
}

int FindAnyNoCase(std::string_view text, const char* const* names, int count, int start) {
    const size_t from = start < 0 ? 0 : static_cast<size_t>(start);
    if (from > text.size() || names == nullptr || count <= 0) {
        return -1;
    }
    // Which bytes can begin a name: the scan compares names only there.
    bool firsts[256] = {};
    int distinct = 0;
    unsigned char only = 0;
    for (int k = 0; k < count; ++k) {
        if (names[k] == nullptr) {
            continue;
        }
        if (names[k][0] == '\0') {
            return ToIndex(from);  // an empty name begins everywhere
        }
        const unsigned char ch = static_cast<unsigned char>(names[k][0]);
        for (unsigned char variant : {Lower(ch), Upper(ch)}) {
            if (!firsts[variant]) {
                firsts[variant] = true;
                only = variant;
                ++distinct;
            }
        }
    }
    if (distinct == 0) {
        return -1;
    }
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    for (const char* at = begin + from; at < end; ++at) {
        if (distinct == 1) {
            // The usual case ("<a", "<img", ...): jump from one candidate to the next.
            const void* hit = std::memchr(at, only, static_cast<size_t>(end - at));
            if (hit == nullptr) {
                return -1;
            }
            at = static_cast<const char*>(hit);
        } else if (!firsts[static_cast<unsigned char>(*at)]) {
            continue;
        }
        const size_t left = static_cast<size_t>(end - at);
        for (int k = 0; k < count; ++k) {
            if (names[k] == nullptr) {
                continue;
            }
            const std::string_view name(names[k]);
            if (name.size() <= left && EqualNoCase(at, name)) {
                return ToIndex(static_cast<size_t>(at - begin));
            }
        }
    }
    return -1;
}
