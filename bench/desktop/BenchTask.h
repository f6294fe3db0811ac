#pragma once

#include <cstddef>
#include <string>

// One case of the bench: where its crawl starts and what a complete crawl stores.
struct CBenchCase {
    std::string m_strName;       // "2,000 pages"
    std::string m_strStartPath;  // below the site's root: "" or "big.html"
    int m_nTextMaxK = 1024;      // the text files' size limit, 0 = none
    size_t m_nExpectedFiles = 0;
};

// The same new task in two folders, one for each program.
struct CBenchTasks {
    std::string m_strCliTask;      // ".../cli/bench.qbx"
    std::string m_strDesktopTask;  // ".../desktop/bench.qbx"
};

// Creates the case's task as "quobrix-cli new" does (site mode, keywords
// "apple+pear", 10 threads, the default filters but the case's text limit),
// in strFolder/new, then copies the task file with its folder to
// strFolder/cli and strFolder/desktop and removes the first. False, with
// strError, when that failed.
bool CreateBenchTasks(const CBenchCase& benchCase, const std::string& strHostPort,
                      const std::string& strFolder, CBenchTasks& tasks, std::string& strError);
