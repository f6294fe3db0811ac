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

struct CMeans {
    double m_dPagesPerSecond = 0;
    double m_dCpuMsPerPage = 0;
};

// The means of the crawls at index nCrawl of the rounds that passed.
CMeans Means(const std::vector<CBenchRound>& rounds, size_t nCrawl, size_t nExpected) {
    CMeans means;
    int count = 0;
    for (const CBenchRound& round : rounds) {
        if (round.Passed(nExpected)) {
            means.m_dPagesPerSecond += round.m_crawls[nCrawl].PagesPerSecond();
            means.m_dCpuMsPerPage += CpuMsPerPage(round.m_crawls[nCrawl]);
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
    for (const CSchemeCrawl& crawl : m_crawls) {
        if (Verdict(crawl, m_crawls.front(), nExpected) != "ok") {
            return false;
        }
    }
    return !m_crawls.empty();
}

std::string Verdict(const CSchemeCrawl& crawl, const CSchemeCrawl& reference, size_t nExpected) {
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
    } else if (reference.m_files.size() == nExpected && crawl.m_files != reference.m_files) {
        add("stored other files or sizes than " + reference.m_strScheme);
    }
    return text.empty() ? "ok" : text;
}

void PrintCrawlTable(std::ostream& out, const std::vector<CBenchRound>& rounds, size_t nExpected) {
    std::vector<std::vector<std::string>> rows = {{"scheme", "round", "pages stored", "wall s",
                                                   "pages/s", "CPU s (user+sys)", "CPU ms/page",
                                                   "result"}};
    for (const CBenchRound& round : rounds) {
        for (const CSchemeCrawl& crawl : round.m_crawls) {
            rows.push_back({crawl.m_strScheme, std::to_string(round.m_nRound),
                            std::to_string(crawl.m_files.size()),
                            Number("%.2f", crawl.m_run.m_wallTime.count()),
                            Number("%.1f", crawl.PagesPerSecond()),
                            Number("%.2f", crawl.m_run.m_cpuTime.count()),
                            Number("%.2f", CpuMsPerPage(crawl)),
                            Verdict(crawl, round.m_crawls.front(), nExpected)});
        }
    }
    PrintTextTable(out, rows);
}

std::string Comparison(const std::vector<CBenchRound>& rounds, size_t nExpected) {
    const CMeans http = rounds.empty() ? CMeans{} : Means(rounds, 0, nExpected);
    if (http.m_dPagesPerSecond <= 0) {
        return "No round passed: nothing to compare.\n";
    }
    std::string text =
        "Means of the rounds that passed: " + rounds.front().m_crawls[0].m_strScheme + " " +
        Number("%.1f", http.m_dPagesPerSecond) + " pages/s, CPU " +
        Number("%.2f", http.m_dCpuMsPerPage) + " ms a page.\n";
    for (size_t nCrawl = 1; nCrawl < rounds.front().m_crawls.size(); ++nCrawl) {
        const CMeans https = Means(rounds, nCrawl, nExpected);
        const double share = https.m_dPagesPerSecond / http.m_dPagesPerSecond;
        text += rounds.front().m_crawls[nCrawl].m_strScheme + ": " +
                Number("%.1f", https.m_dPagesPerSecond) + " pages/s, " +
                Number("%.0f", 100 * share) + "% of HTTP's (" +
                (share >= 0.5 ? "at least" : "below") + " half), CPU " +
                Number("%.2f", https.m_dCpuMsPerPage) + " ms a page.\n";
    }
    return text;
}
