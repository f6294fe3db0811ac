#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/Command.h"
#include "cli/Interrupts.h"
#include "cli/TaskFileAccess.h"
#include "task/QuobrixDoc.h"

void StartServingOrFail(CQuobrixDoc& doc, int port) {
    if (!doc.StartLocalServer(port)) {
        throw CCliError("cannot listen on 127.0.0.1 port " + std::to_string(port), EXIT_FAILED);
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
        command->add_option("file", m_strFile, "The task file (FILE.qbx)")->required();
        command->add_option("--port", m_nPort, "Port on 127.0.0.1 (default: one the system chooses)")
            ->check(CLI::Range(0, 65535));
    }

    int Run() override {
        CQuobrixDoc doc;
        OpenTaskOrFail(doc, AbsolutePath(m_strFile));
        CInterruptGuard interrupts;
        StartServingOrFail(doc, m_nPort);
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
