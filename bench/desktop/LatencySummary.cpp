#include "LatencySummary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
// The nearest-rank percentile of sorted values.
double Percentile(const std::vector<double>& sorted, double percent) {
    const auto rank = static_cast<size_t>(std::ceil(percent / 100.0 * static_cast<double>(sorted.size())));
    return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}
}  // namespace

CLatencySummary CLatencySummary::Of(std::vector<double> delaysMs, size_t nSent) {
    CLatencySummary summary;
    summary.m_nSent = nSent;
    summary.m_nDelivered = delaysMs.size();
    if (delaysMs.empty()) {
        return summary;
    }
    std::sort(delaysMs.begin(), delaysMs.end());
    summary.m_median = Percentile(delaysMs, 50);
    summary.m_p99 = Percentile(delaysMs, 99);
    summary.m_max = delaysMs.back();
    return summary;
}

std::string CLatencySummary::Text() const {
    if (m_nSent == 0) {
        return "-";
    }
    char text[96];
    if (m_nDelivered == 0) {
        std::snprintf(text, sizeof(text), "none of %zu arrived", m_nSent);
    } else if (m_nDelivered < m_nSent) {
        std::snprintf(text, sizeof(text), "%.1f / %.1f / %.1f (%zu of %zu)", m_median, m_p99,
                      m_max, m_nDelivered, m_nSent);
    } else {
        std::snprintf(text, sizeof(text), "%.1f / %.1f / %.1f (%zu)", m_median, m_p99, m_max,
                      m_nDelivered);
    }
    return text;
}
