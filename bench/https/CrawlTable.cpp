#include "CrawlTable.h"

#include <cstdio>

#include "TextTable.h"

namespace {
std::string Number(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof(text), format, value);
    return text;
}

double CpuMsPerPage(const CSchemeCrawl& crawl) {
    return crawl.m_files.empty()
               ? 0
               : 1000.0 * crawl.m_run.m_cpuTime.count() / static_cast<double>(crawl.m_files.size());
}

std::vector<std::string> Row(const CSchemeCrawl& crawl, const CSchemeCrawl& other,
                             size_t nExpected) {
    return {crawl.m_strScheme,
            std::to_string(crawl.m_nRound),
            std::to_string(crawl.m_files.size()),
            Number("%.2f", crawl.m_run.m_wallTime.count()),
            Number("%.1f", crawl.PagesPerSecond()),
            Number("%.2f", crawl.m_run.m_cpuTime.count()),
            Number("%.2f", CpuMsPerPage(crawl)),
            Verdict(crawl, other, nExpected)};
}

struct CMeans {
    double m_dPagesPerSecond = 0;
    double m_dCpuMsPerPage = 0;
};

template <typename Pick>
CMeans Means(const std::vector<CBenchRound>& rounds, size_t nExpected, Pick pick) {
    CMeans means;
    int count = 0;
    for (const CBenchRound& round : rounds) {
        if (round.Passed(nExpected)) {
            means.m_dPagesPerSecond += pick(round).PagesPerSecond();
            means.m_dCpuMsPerPage += CpuMsPerPage(pick(round));
            ++count;
        }
    }
    if (count > 0) {
        means.m_dPagesPerSecond /= count;
        means.m_dCpuMsPerPage /= count;
    }
    return means;
}
}  // namespace

bool CBenchRound::Passed(size_t nExpected) const {
    return Verdict(m_http, m_https, nExpected) == "ok" &&
           Verdict(m_https, m_http, nExpected) == "ok";
}

std::string Verdict(const CSchemeCrawl& crawl, const CSchemeCrawl& other, size_t nExpected) {
    std::string text;
    const auto add = [&text](const std::string& fault) {
        text += (text.empty() ? "" : "; ") + fault;
    };
    if (!crawl.m_run.m_bFinished) {
        add(crawl.m_run.m_strError);
    }
    if (crawl.m_files.size() != nExpected) {
        add("stored " + std::to_string(crawl.m_files.size()) + " of " + std::to_string(nExpected) +
            " files");
    } else if (other.m_files.size() == nExpected && crawl.m_files != other.m_files) {
        add("stored other files or sizes than " + other.m_strScheme);
    }
    return text.empty() ? "ok" : text;
}

void PrintCrawlTable(std::ostream& out, const std::vector<CBenchRound>& rounds, size_t nExpected) {
    std::vector<std::vector<std::string>> rows = {{"scheme", "round", "pages stored", "wall s",
                                                   "pages/s", "CPU s (user+sys)", "CPU ms/page",
                                                   "result"}};
    for (const CBenchRound& round : rounds) {
        rows.push_back(Row(round.m_http, round.m_https, nExpected));
        rows.push_back(Row(round.m_https, round.m_http, nExpected));
    }
    PrintTextTable(out, rows);
}

std::string Comparison(const std::vector<CBenchRound>& rounds, size_t nExpected) {
    const CMeans http = Means(rounds, nExpected,
                              [](const CBenchRound& r) -> const CSchemeCrawl& { return r.m_http; });
    const CMeans https = Means(
        rounds, nExpected, [](const CBenchRound& r) -> const CSchemeCrawl& { return r.m_https; });
    if (http.m_dPagesPerSecond <= 0) {
        return "No round passed: nothing to compare.";
    }
    const double share = https.m_dPagesPerSecond / http.m_dPagesPerSecond;
    return "Means of the rounds that passed: HTTPS " + Number("%.1f", https.m_dPagesPerSecond) +
           " pages/s, HTTP " + Number("%.1f", http.m_dPagesPerSecond) + " pages/s; HTTPS reaches " +
           Number("%.0f", 100 * share) + "% of HTTP's pages/s (" +
           (share >= 0.5 ? "at least" : "below") + " half). CPU per page: HTTPS " +
           Number("%.2f", https.m_dCpuMsPerPage) + " ms, HTTP " +
           Number("%.2f", http.m_dCpuMsPerPage) + " ms.";
}
