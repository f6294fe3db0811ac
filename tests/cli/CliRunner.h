#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// Runs quobrix-cli as a user would, with its settings store in a folder of
// the test's choosing, and collects what it printed.
struct CliResult {
    int status = -1;    // exit status; -1 when it did not exit normally
    int signal = 0;     // the signal that ended it, if one did
    std::string out;
    std::string err;
};

// during, when given, runs on a thread of its own while the program runs,
// with the program's process id (to send it a signal, say). onOutput, when
// given, is called with the process id and all its standard output so far
// each time more arrives. closeOutputAfter, when given: the reader of the
// program's standard output goes away (as head(1) does) once what it read
// holds that text. A program still running after limit is killed.
CliResult RunCli(const std::vector<std::string>& args, const std::string& configHome,
                 const std::function<void(pid_t)>& during = {},
                 std::chrono::seconds limit = std::chrono::seconds(60),
                 const std::function<void(pid_t, const std::string&)>& onOutput = {},
                 const std::string& closeOutputAfter = "");
