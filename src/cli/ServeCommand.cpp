#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "cli/Command.h"
#include "cli/Interrupts.h"
#include "cli/OptionChecks.h"
#include "cli/TaskFileAccess.h"
#include "task/Task.h"

void StartServingOrFail(ITask& doc, int port) {
    if (!doc.StartLocalServer(port)) {
        const int error = errno;
        if (error == EADDRINUSE && port != 0) {
            throw CCliError(
                "cannot serve on 127.0.0.1: port " + std::to_string(port) + " is already in use",
                EXIT_FAILED);
        }
        throw CCliError(
            "cannot listen on 127.0.0.1 port " + std::to_string(port) + ": " + std::strerror(error),
            EXIT_FAILED);
    }
    // The first line is the root address alone: scripts read it.
    std::cout << doc.LocalServerRoot() << std::endl;
}

namespace {
class CServeCommand : public ICliCommand {
public:
    explicit CServeCommand(CLI::App& app) {
        CLI::App* command = app.add_subcommand(
            "serve", "Serve a task's results and retrieved pages to any browser, until Ctrl+C");
        command->add_option("file", m_strFile, "The task file (FILE.qbx)")
            ->required()
            ->type_name("FILE");
        command
            ->add_option("--port", m_nPort,
                         "Port on 127.0.0.1, 1 to 65535 (default 0: one the system chooses)")
            ->type_name("N")
            ->check(WholeNumber(0, 65535));
    }

    int Run() override {
        const std::unique_ptr<ITask> pTask = OpenTaskRecordOrFail(AbsolutePath(m_strFile));
        ITask& doc = *pTask;
        // Without its folder a task has no results or pages: every request
        // would be "not found".
        const std::string folder = doc.GetTaskDir();
        std::error_code ec;
        if (!std::filesystem::is_directory(folder, ec)) {
            throw CCliError("the task folder " + folder + " is missing: there is nothing to serve");
        }
        CInterruptGuard interrupts;
        StartServingOrFail(doc, m_nPort);
        std::cerr << "Press Ctrl+C to stop." << std::endl;
        CInterruptGuard::WaitForInterrupt();
        doc.StopLocalServer();
        return EXIT_OK;
    }

private:
    std::string m_strFile;
    int m_nPort = 0;
};
}  // namespace

std::unique_ptr<ICliCommand> AddServeCommand(CLI::App& app) {
    return std::make_unique<CServeCommand>(app);
}
