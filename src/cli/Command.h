#pragma once

#include <memory>
#include <stdexcept>
#include <string>

namespace CLI {
class App;
}

// Exit statuses of quobrix-cli.
constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = 1;    // the work itself failed (a save, a run)
constexpr int EXIT_BAD_INPUT = 2;  // bad arguments, or a task file that cannot be read
constexpr int EXIT_FILE_ERROR = 3;  // a run paused because a file could not be written
constexpr int EXIT_PAUSED = 4;      // a run paused: interrupted, timed, after a site, an outage
constexpr int EXIT_NOTHING_RETRIEVED = 5;  // a run finished, but not one page was retrieved

// A failure to report on one line and end with the given status.
class CCliError : public std::runtime_error {
public:
    CCliError(const std::string& message, int status = EXIT_BAD_INPUT)
        : std::runtime_error(message), m_nStatus(status) {}
    [[nodiscard]] int Status() const { return m_nStatus; }

private:
    int m_nStatus;
};

// One sub-command of quobrix-cli: it adds itself to the parser, and runs
// when the parser chose it.
class ICliCommand {
public:
    virtual ~ICliCommand() = default;
    virtual int Run() = 0;
};

std::unique_ptr<ICliCommand> AddNewCommand(CLI::App& app);
std::unique_ptr<ICliCommand> AddShowCommand(CLI::App& app);
std::unique_ptr<ICliCommand> AddStatusCommand(CLI::App& app);
std::unique_ptr<ICliCommand> AddSetCommand(CLI::App& app);
std::unique_ptr<ICliCommand> AddOptionsCommand(CLI::App& app);
std::unique_ptr<ICliCommand> AddRunCommand(CLI::App& app);
std::unique_ptr<ICliCommand> AddDemoCommand(CLI::App& app);
std::unique_ptr<ICliCommand> AddServeCommand(CLI::App& app);

class ITask;
// Starts the task's local server and prints its root address as one line.
void StartServingOrFail(ITask& doc, int port);
