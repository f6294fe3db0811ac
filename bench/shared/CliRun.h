#pragma once

#include <chrono>
#include <string>
#include <vector>

// One program the bench started and waited for.
struct CChildRun {
    bool m_bStarted = false;
    bool m_bTimedOut = false;
    int m_nStatus = 0;                           // as wait4 gave it
    std::chrono::duration<double> m_wallTime{};  // from its start to its end
    std::chrono::duration<double> m_cpuTime{};   // its user + system time
    std::string m_strError;                      // why it did not start

    // It started, was not stopped and exited with status 0.
    [[nodiscard]] bool Succeeded() const;
    // "ended with status 3", "was killed by signal 9", "timed out after 300 s"
    [[nodiscard]] std::string Failure(std::chrono::seconds timeout) const;
};

// Runs argv (argv[0] a path), stdin from /dev/null, stdout and stderr into
// strLogFile, in this process's environment, and times it. Past timeout it
// is interrupted (SIGINT: quobrix-cli pauses the task and saves it), and
// killed when it has not ended 10 s later.
CChildRun RunChild(const std::vector<std::string>& argv, const std::string& strLogFile,
                   std::chrono::seconds timeout);

// One crawl by quobrix-cli, as a user starts it: "quobrix-cli run TASK".
struct CCliRun {
    bool m_bFinished = false;  // exit status 0 and the task "Finished"
    bool m_bTimedOut = false;
    std::chrono::duration<double> m_wallTime{};  // from the start of the program to its end
    std::chrono::duration<double> m_cpuTime{};   // quobrix-cli's user + system time
    std::string m_strError;                      // why it did not finish
};

// Runs strCli on the task file, its output into strLogFile, and times it.
CCliRun RunCli(const std::string& strCli, const std::string& strTaskFile,
               const std::string& strLogFile, std::chrono::seconds timeout);
