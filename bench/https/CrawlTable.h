#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "SchemeCrawl.h"

// One round: the same site crawled over HTTP, then (in the bench's order,
// whichever ran first) over each way of HTTPS.
struct CBenchRound {
    int m_nRound = 0;
    std::vector<CSchemeCrawl> m_crawls;  // HTTP first

    // Every crawl finished, stored all nExpected files, and the same files
    // of the same sizes as over HTTP.
    [[nodiscard]] bool Passed(size_t nExpected) const;
};

// "ok", or what went wrong with crawl, reference being the round's crawl
// over HTTP: "timed out after 300 s; stored 1210 of 2200 files".
std::string Verdict(const CSchemeCrawl& crawl, const CSchemeCrawl& reference, size_t nExpected);

// A row a crawl: the files stored, wall seconds, pages a second, CPU seconds
// of quobrix-cli (user + system) and per page, and the verdict.
void PrintCrawlTable(std::ostream& out, const std::vector<CBenchRound>& rounds, size_t nExpected);

// A line for each way of HTTPS: its mean pages a second and CPU per page
// over the rounds that passed, against HTTP's, and whether it reaches half
// of HTTP's pages a second; one line that says so when no round passed.
std::string Comparison(const std::vector<CBenchRound>& rounds, size_t nExpected);
