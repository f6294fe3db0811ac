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
// with the program's process id (to send it a signal, say). A program still
// running after limit is killed. closeOutputAfter, when given: the reader of
// the program's standard output goes away (as head(1) does) once what it
// read holds that text.
CliResult RunCli(const std::vector<std::string>& args, const std::string& configHome,
                 const std::function<void(pid_t)>& during = {},
                 std::chrono::seconds limit = std::chrono::seconds(60),
                 const std::string& closeOutputAfter = "");
