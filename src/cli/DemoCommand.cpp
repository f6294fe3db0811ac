#include <CLI/CLI.hpp>

#include <iostream>

#include "app/DemoWeb.h"
#include "app/QuobrixApp.h"
#include "cli/AbstractOptions.h"
#include "cli/Command.h"
#include "cli/TaskFileAccess.h"
#include "cli/TaskRunner.h"
#include "common/FileUtil.h"
#include "task/Task.h"

namespace {
class CDemoCommand : public ICliCommand {
public:
    explicit CDemoCommand(CLI::App& app) {
        CLI::App* command = app.add_subcommand(
            "demo", "Serve the demo web on loopback and crawl it with a new task");
        command
            ->add_option("--dir", m_strDir,
                         "Folder for the demo task (default: a new one under ~/.cache/quobrix)")
            ->type_name("DIR");
        command->add_flag("--quiet", m_bQuiet, "Print only errors and where the results are");
        m_abstract.Register(*command);
        command->add_flag("--serve", m_bServe,
                          "Serve the results while crawling (first line: their address) and "
                          "after, until Ctrl+C");
    }

    int Run() override {
        std::string abstractError;
        if (!m_abstract.Validate(abstractError)) {
            throw CCliError(abstractError);
        }
        const CDemoWeb web;
        if (!web.IsListening()) {
            throw CCliError("cannot start the demo web servers on 127.0.0.1 and 127.0.0.2",
                            EXIT_FAILED);
        }

        const std::string folder = AbsolutePath(m_strDir.empty() ? DefaultDemoFolder() : m_strDir);
        const std::string path = folder + "/demo.qbx";
        MakeDirectoriesAlong(path);
        const CTaskLock taskLock = LockTaskOrFail(path, "demo");
        const CNewTaskRecord record = web.TaskRecord();

        CQuobrixApp app;
        app.LoadOptions();
        app.m_bUseProxy = false;  // the demo web is on this machine
        const std::unique_ptr<ITask> pTask = CreateTaskRecord();
        ITask& doc = *pTask;
        doc.SetAppOptions(app);
        std::string error;
        if (!doc.CreateNewTask(record, path, app.m_crRetrievedLinks, error)) {
            throw CCliError(error, EXIT_FAILED);
        }
        m_abstract.ApplyTo(doc);
        if (m_bServe) {
            StartServingOrFail(doc, 0);
        }
        std::cout << "Demo web: http://" << web.Site1() << "/ and http://" << web.Site2()
                  << "/\nTask: " << path << " (keywords \"" << CDemoWeb::kKeywords << "\")"
                  << std::endl;

        CRunOptions options;
        options.m_verbosity =
            m_bQuiet ? CConsoleFrontEnd::Verbosity::Quiet : CConsoleFrontEnd::Verbosity::Normal;
        options.m_bServeAfter = m_bServe;
        const int status = RunTaskToEnd(doc, options);
        std::cout << "\nThe task file: " << path
                  << "\nRetrieved pages and results: " << doc.GetTaskDir()
                  << "\nLook into it with: quobrix-cli show " << path
                  << "\nBrowse the results and the retrieved pages offline with: quobrix-cli serve "
                  << path << std::endl;
        return status;
    }

private:
    std::string m_strDir;
    bool m_bQuiet = false;
    CAbstractOptions m_abstract;
    bool m_bServe = false;
};
}  // namespace

std::unique_ptr<ICliCommand> AddDemoCommand(CLI::App& app) {
    return std::make_unique<CDemoCommand>(app);
}
