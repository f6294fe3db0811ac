#include <CLI/CLI.hpp>

#include <iostream>

#include "app/QuobrixApp.h"
#include "cli/Command.h"
#include "cli/PropertyOptions.h"
#include "cli/TaskFileAccess.h"
#include "common/DeferredSignals.h"
#include "common/FileUtil.h"
#include "common/StringTable.h"
#include "common/Text.h"
#include "task/Task.h"

namespace {
class CNewCommand : public ICliCommand {
public:
    explicit CNewCommand(CLI::App& app) {
        CLI::App* command = app.add_subcommand(
            "new", "Create a search task, as the new task wizard does, and save it");
        command
            ->add_option("file", m_strFile,
                         "The task file to create; \".qbx\" is added to a name without one")
            ->required()
            ->type_name("FILE");
        CLI::Option* site = command
                                ->add_option("--site", m_strSite,
                                             "Search this web site and the web sites linked to "
                                             "it:\nhost[:port][/path], with or without http://, or\n"
                                             "https://host[:port][/path] for an HTTPS site")
                                ->type_name("ADDRESS");
        CLI::Option* range =
            command
                ->add_option("--range", m_arrRange,
                             "Search the web servers of an IPv4 address range, such as\n"
                             "10.0.0.1 10.0.0.254 (either order)")
                ->expected(2)
                ->type_name("FIRST LAST");
        site->excludes(range);
        command->add_option("--keywords", m_strKeywords, KEYWORDS_HELP)->type_name("TEXT");
        command->add_flag("--match-case", m_bMatchCase,
                          "Match the keywords in their case (default: any case)");
        command->add_option("--account", m_strAccount, "Account for the web site (default: none)")
            ->type_name("NAME");
        command->add_option("--password", m_strPassword, "Password for the web site")
            ->type_name("TEXT");
        command->add_flag("--force", m_bForce, "Replace an existing task file");
        command->footer(KEYWORDS_FOOTER);
        m_properties.Register(*command);
        m_pSite = site;
        m_pRange = range;
        m_pPassword = command->get_option("--password");
        m_pAccount = command->get_option("--account");
    }

    int Run() override {
        const std::string path = AbsolutePath(TaskFileName());
        CNewTaskRecord record = Record();
        std::string error;
        if (!m_properties.Validate(error)) {
            throw CCliError(error);
        }
        if (PathExists(path) && !m_bForce) {
            throw CCliError(path + " exists; give --force to replace it");
        }
        const CTaskLock taskLock = LockTaskOrFail(path, "new");

        CQuobrixApp options;
        options.LoadOptions();
        const std::unique_ptr<ITask> pTask = CreateTaskRecord();
        ITask& doc = *pTask;
        // The whole task in memory, then one save: a failure leaves nothing
        // behind that would block the next "new".
        doc.BuildNewTask(record, path, options.m_crRetrievedLinks);
        CTaskProperties properties = doc.GetProperties();
        m_properties.ApplyTo(properties);
        doc.StoreProperties(properties);
        {
            // Nothing else runs on another thread here, so an interrupt waits
            // until the temporary file is renamed or removed.
            CDeferredSignals deferred;
            if (!doc.SaveNewTask(error)) {
                throw CCliError(error, EXIT_FAILED);
            }
        }
        std::cout << "Created " << path << "; results in " << doc.GetTaskDir() << "\n";
        return EXIT_OK;
    }

private:
    // The task file's name as given, with ".qbx" added when it has no
    // extension: a file "shop" would need a folder "shop" beside it.
    [[nodiscard]] std::string TaskFileName() const {
        if (m_strFile.empty()) {
            throw CCliError("give the name of the task file to create, such as shop.qbx");
        }
        const std::string name = FileNameOf(m_strFile);
        if (name.empty() || name == "." || name == "..") {
            throw CCliError(m_strFile +
                            " names a folder; give the name of the task file to create, such as " +
                            (name.empty() ? m_strFile : m_strFile + "/") + "shop.qbx");
        }
        return WithTaskExtension(m_strFile);
    }

    [[nodiscard]] CNewTaskRecord Record() const {
        if (m_pSite->count() == 0 && m_pRange->count() == 0) {
            throw CCliError("give --site ADDRESS or --range FIRST LAST");
        }
        if (m_pPassword->count() > 0 && m_pAccount->count() == 0) {
            throw CCliError("--password needs --account");
        }
        CNewTaskRecord record;
        record.m_bSiteMode = m_pSite->count() > 0;
        if (record.m_bSiteMode) {
            const std::optional<std::string> address = NormalizeInternetAddress(m_strSite);
            if (!address) {
                throw CCliError(LoadString(IDS_ADDRESS_REQUIRED));
            }
            const std::string problem = CrawlAddressProblem(m_strSite);
            if (!problem.empty()) {
                throw CCliError("--site: " + problem);
            }
            record.m_strStartAddress = *address;
            record.m_strEndAddress = *address;
        } else {
            const std::optional<CAddressRange> range = OrderAddressRange(m_arrRange[0], m_arrRange[1]);
            if (!range) {
                throw CCliError("--range: give two IPv4 addresses such as 10.0.0.1 10.0.0.20");
            }
            record.m_strStartAddress = range->m_strStart;
            record.m_strEndAddress = range->m_strEnd;
        }
        record.m_strKeywords = m_strKeywords;
        record.m_bMatchCase = m_bMatchCase;
        record.m_strAccount = m_strAccount;
        record.m_strPassword = m_strPassword;
        return record;
    }

    std::string m_strFile;
    std::string m_strSite;
    std::vector<std::string> m_arrRange;
    std::string m_strKeywords;
    bool m_bMatchCase = false;
    std::string m_strAccount;
    std::string m_strPassword;
    bool m_bForce = false;
    CPropertyOptions m_properties;
    CLI::Option* m_pSite = nullptr;
    CLI::Option* m_pRange = nullptr;
    CLI::Option* m_pAccount = nullptr;
    CLI::Option* m_pPassword = nullptr;
};
}  // namespace

std::unique_ptr<ICliCommand> AddNewCommand(CLI::App& app) {
    return std::make_unique<CNewCommand>(app);
}
