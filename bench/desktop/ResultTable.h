#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "BenchTask.h"
#include "CliRun.h"
#include "DesktopRun.h"
#include "StoredFiles.h"

// One round of one case: both crawls and what each stored.
struct CRoundResult {
    std::string m_strCase;  // "2,000-page site"
    int m_nRound = 0;
    CCliRun m_cli;
    CDesktopRun m_desktop;
    size_t m_nExpectedFiles = 0;
    std::vector<CStoredFile> m_cliFiles;
    std::vector<CStoredFile> m_desktopFiles;

    // Both crawls finished, quobrix-cli stored the whole site and the desktop
    // program stored the very same files, of the same sizes.
    bool Passed() const;
    // "ok", or what went wrong: "desktop: timed out after 300 s; desktop stored 1210 of 2200 files"
    std::string Verdict() const;
};

// The table of every round: seconds of each program, their ratio, the files
// each stored, and how long key presses waited while the desktop crawled.
void PrintResultTable(std::ostream& out, const std::vector<CRoundResult>& rounds);
