#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "SchemeCrawl.h"

// One round: the same site crawled over HTTP and over HTTPS.
struct CBenchRound {
    int m_nRound = 0;
    CSchemeCrawl m_http;
    CSchemeCrawl m_https;

    // Both finished, stored all nExpected files, and the same files of the
    // same sizes.
    [[nodiscard]] bool Passed(size_t nExpected) const;
};

// "ok", or what went wrong with crawl, other being the round's crawl over
// the other scheme: "timed out after 300 s; stored 1210 of 2200 files".
std::string Verdict(const CSchemeCrawl& crawl, const CSchemeCrawl& other, size_t nExpected);

// A row a crawl: the files stored, wall seconds, pages a second, CPU seconds
// of quobrix-cli (user + system) and per page, and the verdict.
void PrintCrawlTable(std::ostream& out, const std::vector<CBenchRound>& rounds, size_t nExpected);

// Both schemes' mean pages a second and CPU per page over the rounds that
// passed, and how HTTPS's pages a second compare with half of HTTP's; a
// line that says so when no round passed.
std::string Comparison(const std::vector<CBenchRound>& rounds, size_t nExpected);
