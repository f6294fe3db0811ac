#pragma once

#include <chrono>
#include <string>

// One crawl by quobrix-cli, as a user starts it: "quobrix-cli run TASK".
struct CCliRun {
    bool m_bFinished = false;  // exit status 0 and the task "Finished"
    bool m_bTimedOut = false;
    std::chrono::duration<double> m_wallTime{};  // from the start of the program to its end
    std::string m_strError;                       // why it did not finish
};

// Runs strCli on the task file, its output into strLogFile, and times it.
// Past timeout it is interrupted (SIGINT: it pauses the task and saves it),
// and killed when it has not ended 10 s later.
CCliRun RunCli(const std::string& strCli, const std::string& strTaskFile,
               const std::string& strLogFile, std::chrono::seconds timeout);
