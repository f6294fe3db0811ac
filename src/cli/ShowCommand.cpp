#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/Command.h"
#include "cli/TaskFileAccess.h"
#include "cli/TaskJson.h"
#include "task/Task.h"

namespace {
class CShowCommand : public ICliCommand {
public:
    explicit CShowCommand(CLI::App& app) {
        CLI::App* command = app.add_subcommand(
            "show", "Open a task file and print its fields as one JSON object, for scripts");
        command->add_option("file", m_strFile, "The task file (FILE.qbx)")
            ->required()
            ->type_name("FILE");
    }

    int Run() override {
        const std::unique_ptr<ITask> pTask = OpenTaskRecordOrFail(AbsolutePath(m_strFile));
        ITask& doc = *pTask;
        std::cout << TaskToJson(doc.TakeSnapshot());
        return EXIT_OK;
    }

private:
    std::string m_strFile;
};
}  // namespace

std::unique_ptr<ICliCommand> AddShowCommand(CLI::App& app) {
    return std::make_unique<CShowCommand>(app);
}
