#include <CLI/CLI.hpp>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <iostream>

#include "app/QuobrixApp.h"
#include "cli/AbstractOptions.h"
#include "cli/Command.h"
#include "cli/DemoServer.h"
#include "cli/TaskFileAccess.h"
#include "cli/TaskRunner.h"
#include "common/FileUtil.h"
#include "task/QuobrixDoc.h"

namespace {
// The demo's web: beside the program, or in the source tree it was built from.
std::string DemoSiteFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error && std::filesystem::is_directory(program.parent_path() / "demo-site")) {
        return (program.parent_path() / "demo-site").string();
    }
    return QUOBRIX_SOURCE_DEMO_SITE;
}

// A new folder under the user's cache directory.
std::string DefaultDemoFolder() {
    const char* cache = getenv("XDG_CACHE_HOME");
    const char* home = getenv("HOME");
    const std::string base = cache != nullptr && cache[0] == '/' ? cache
                             : home != nullptr                  ? std::string(home) + "/.cache"
                                                                : "/tmp";
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
    return base + "/quobrix/demo-" + stamp + "-" + std::to_string(getpid());
}

class CDemoCommand : public ICliCommand {
public:
    explicit CDemoCommand(CLI::App& app) {
        CLI::App* command = app.add_subcommand(
            "demo", "Serve the demo web on loopback and crawl it with a new task");
        command->add_option("--dir", m_strDir, "Folder for the demo task (default: a new one "
                                               "under ~/.cache/quobrix)");
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
        const std::string site = DemoSiteFolder();
        CDemoServer site1(site + "/site1", "127.0.0.1");
        CDemoServer site2(site + "/site2", "127.0.0.2");
        if (!site1.IsListening() || !site2.IsListening()) {
            throw CCliError("cannot start the demo web servers on 127.0.0.1 and 127.0.0.2",
                            EXIT_FAILED);
        }
        site1.SetSites(site1.HostPort(), site2.HostPort());
        site2.SetSites(site1.HostPort(), site2.HostPort());

        const std::string folder = AbsolutePath(m_strDir.empty() ? DefaultDemoFolder() : m_strDir);
        const std::string path = folder + "/demo.qbx";
        MakeDirectoriesAlong(path);
        CNewTaskRecord record;
        record.m_strStartAddress = site1.HostPort() + "/";
        record.m_strEndAddress = record.m_strStartAddress;
        record.m_strKeywords = "cider+orchard";

        CQuobrixApp app;
        app.LoadOptions();
        app.m_bUseProxy = false;  // the demo web is on this machine
        CQuobrixDoc doc;
        doc.SetAppOptions(app);
        std::string error;
        if (!doc.CreateNewTask(record, path, app.m_crRetrievedLinks, error)) {
            throw CCliError(error, EXIT_FAILED);
        }
        m_abstract.ApplyTo(doc);
        if (m_bServe) {
            StartServingOrFail(doc, 0);
        }
        std::cout << "Demo web: http://" << site1.HostPort() << "/ and http://" << site2.HostPort()
                  << "/\nTask: " << path << " (keywords \"cider+orchard\")" << std::endl;

        CRunOptions options;
        options.m_verbosity =
            m_bQuiet ? CConsoleFrontEnd::Verbosity::Quiet : CConsoleFrontEnd::Verbosity::Normal;
        options.m_bServeAfter = m_bServe;
        const int status = RunTaskToEnd(doc, options);
        std::cout << "\nThe task file: " << path << "\nRetrieved pages and results: "
                  << doc.m_strTaskDir << "\nLook into it with: quobrix-cli show " << path
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
