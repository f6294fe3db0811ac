#include <CLI/CLI.hpp>

#include <climits>

#include "app/QuobrixApp.h"
#include "cli/AbstractOptions.h"
#include "cli/Command.h"
#include "cli/OptionChecks.h"
#include "cli/TaskFileAccess.h"
#include "cli/TaskRunner.h"
#include "task/Task.h"

namespace {
class CRunCommand : public ICliCommand {
public:
    explicit CRunCommand(CLI::App& app) {
        CLI::App* command = app.add_subcommand(
            "run", "Start or resume a task and crawl until it is finished or paused");
        command->footer(
            "Exit status: 0 finished; 4 paused (Ctrl+C, --max-seconds, after a site, an outage,\n"
            "the output closed); 5 finished, but no page could be retrieved; 3 paused because a\n"
            "file could not be written; 2 bad arguments, an unreadable task or a task in use;\n"
            "1 the work failed. Every run ends with a line on the pages not retrieved.");
        command->add_option("file", m_strFile, "The task file (FILE.qbx)")
            ->required()
            ->type_name("FILE");
        command
            ->add_option("--max-seconds", m_nMaxSeconds,
                         "Pause the task after this many seconds and save it;\n"
                         "0 = no limit (default 0)")
            ->type_name("SECONDS")
            ->check(WholeNumber(0, INT_MAX));
        CLI::Option* quiet = command->add_flag("--quiet", m_bQuiet, "Print only errors");
        CLI::Option* verbose =
            command->add_flag("--verbose", m_bVerbose, "Print every progress line of every thread");
        quiet->excludes(verbose);
        m_abstract.Register(*command);
        command->add_flag("--serve", m_bServe,
                          "Serve the results while crawling (first line: their address) and "
                          "after, until Ctrl+C");
    }

    int Run() override {
        std::string error;
        if (!m_abstract.Validate(error)) {
            throw CCliError(error);
        }
        const std::string path = AbsolutePath(m_strFile);
        const CTaskLock taskLock = LockTaskOrFail(path, "run");
        CQuobrixApp app;
        app.LoadOptions();
        const std::unique_ptr<ITask> pTask = CreateTaskRecord();
        ITask& doc = *pTask;
        doc.SetAppOptions(app);
        OpenTaskOrFail(doc, path);
        m_abstract.ApplyTo(doc);  // after opening, which resets them

        CRunOptions options;
        options.m_nMaxSeconds = m_nMaxSeconds;
        options.m_verbosity = m_bQuiet     ? CConsoleFrontEnd::Verbosity::Quiet
                              : m_bVerbose ? CConsoleFrontEnd::Verbosity::Verbose
                                           : CConsoleFrontEnd::Verbosity::Normal;
        options.m_bServeAfter = m_bServe;
        if (m_bServe) {
            StartServingOrFail(doc, 0);
        }
        return RunTaskToEnd(doc, options);
    }

private:
    std::string m_strFile;
    int m_nMaxSeconds = 0;
    bool m_bQuiet = false;
    bool m_bVerbose = false;
    CAbstractOptions m_abstract;
    bool m_bServe = false;
};
}  // namespace

std::unique_ptr<ICliCommand> AddRunCommand(CLI::App& app) {
    return std::make_unique<CRunCommand>(app);
}
