#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/Command.h"
#include "cli/PropertyOptions.h"
#include "cli/TaskFileAccess.h"
#include "common/DeferredSignals.h"
#include "common/Text.h"
#include "task/Task.h"

namespace {
// "keywords: \"old\" -> \"new\"": quoted, so that empty keywords and spaces show.
std::string QuotedChange(const char* name, const std::string& before, const std::string& after) {
    return std::string(name) + ": \"" + before + "\" -> \"" + after + "\"";
}

class CSetCommand : public ICliCommand {
public:
    explicit CSetCommand(CLI::App& app) {
        CLI::App* command = app.add_subcommand(
            "set",
            "Change a task's keywords and properties, as the Task options sheet does, and\n"
            "print each change; what is not given keeps its value");
        command->add_option("file", m_strFile, "The task file (FILE.qbx)")
            ->required()
            ->type_name("FILE");
        m_pKeywords =
            command->add_option("--keywords", m_strKeywords, KEYWORDS_HELP)->type_name("TEXT");
        m_pMatchCase =
            command->add_flag("--match-case", m_bMatchCase, "Match the keywords in their case");
        m_pNoMatchCase = command->add_flag("--no-match-case", m_bNoMatchCase,
                                           "Match the keywords in any case (the default)");
        m_pMatchCase->excludes(m_pNoMatchCase);
        m_properties.Register(*command);
        command->footer(KEYWORDS_FOOTER);
    }

    int Run() override {
        std::string error;
        if (!m_properties.Validate(error)) {
            throw CCliError(error);
        }
        const std::string path = AbsolutePath(m_strFile);
        const CTaskLock taskLock = LockTaskOrFail(path, "set");
        const std::unique_ptr<ITask> pTask = OpenTaskRecordOrFail(path);
        ITask& doc = *pTask;

        // Like the sheet's OK: the keywords are stored again and marked
        // changed whether or not they changed.
        CTaskProperties properties = doc.GetProperties();
        const std::string oldKeywords = properties.m_keywords.m_strText;
        const std::string keywords = m_pKeywords->count() > 0 ? Trim(m_strKeywords) : oldKeywords;
        const bool oldMatchCase = properties.m_keywords.m_bMatchCase;
        bool matchCase = oldMatchCase;
        if (m_pMatchCase->count() > 0) {
            matchCase = true;
        } else if (m_pNoMatchCase->count() > 0) {
            matchCase = false;
        }
        std::vector<std::string> changes;
        if (keywords != oldKeywords) {
            changes.push_back(QuotedChange("keywords", oldKeywords, keywords));
        }
        if (matchCase != oldMatchCase) {
            changes.push_back(std::string("match-case: ") + (oldMatchCase ? "1" : "0") + " -> " +
                              (matchCase ? "1" : "0"));
        }
        properties.m_keywords = {keywords, matchCase};
        m_properties.ApplyTo(properties, &changes);
        doc.SetProperties(properties);
        if (changes.empty()) {
            // Nothing is saved: the file stays exactly as it was.
            const bool given = m_properties.AnyGiven() || m_pKeywords->count() > 0 ||
                               m_pMatchCase->count() > 0 || m_pNoMatchCase->count() > 0;
            throw CCliError(given ? "nothing changed: the task already has these values"
                                  : "nothing to change: give the keywords or properties to set "
                                    "(quobrix-cli set --help)");
        }
        {
            // No other thread runs here: an interrupt waits for the save to end.
            CDeferredSignals deferred;
            SaveTaskOrFail(doc, path);
        }
        for (const std::string& change : changes) {
            std::cout << change << "\n";
        }
        return EXIT_OK;
    }

private:
    std::string m_strFile;
    std::string m_strKeywords;
    bool m_bMatchCase = false;
    bool m_bNoMatchCase = false;
    CLI::Option* m_pKeywords = nullptr;
    CLI::Option* m_pMatchCase = nullptr;
    CLI::Option* m_pNoMatchCase = nullptr;
    CPropertyOptions m_properties;
};
}  // namespace

std::unique_ptr<ICliCommand> AddSetCommand(CLI::App& app) {
    return std::make_unique<CSetCommand>(app);
}
