#pragma once

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

CliResult RunCli(const std::vector<std::string>& args, const std::string& configHome);
