#pragma once

#include <cstddef>
#include <string>
#include <vector>

// How long key presses waited, in milliseconds, from being sent to being
// delivered by the GUI thread.
struct CLatencySummary {
    size_t m_nSent = 0;
    size_t m_nDelivered = 0;
    double m_median = 0;
    double m_p99 = 0;
    double m_max = 0;

    // The delays of the presses delivered, of nSent sent.
    static CLatencySummary Of(std::vector<double> delaysMs, size_t nSent);
    // "12 / 180 / 450 (1062)": median / 99th percentile / maximum (presses);
    // "-" when nothing was sent, and a note when some never arrived.
    std::string Text() const;
};
