#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/Command.h"
#include "cli/PropertyOptions.h"
#include "cli/TaskFileAccess.h"
#include "common/DeferredSignals.h"
#include "task/QuobrixDoc.h"

namespace {
class CSetCommand : public ICliCommand {
public:
    explicit CSetCommand(CLI::App& app) {
        CLI::App* command = app.add_subcommand(
            "set", "Change a task's keywords and properties, as the Task options sheet does");
        command->add_option("file", m_strFile, "The task file (FILE.qbx)")->required();
        m_pKeywords =
            command->add_option("--keywords", m_strKeywords, "Keywords separated by \"+\"");
        m_pMatchCase = command->add_flag("--match-case", m_bMatchCase, "Match case");
        m_pNoMatchCase = command->add_flag("--no-match-case", m_bNoMatchCase, "Do not match case");
        m_pMatchCase->excludes(m_pNoMatchCase);
        m_properties.Register(*command);
    }

    int Run() override {
        std::string error;
        if (!m_properties.Validate(error)) {
            throw CCliError(error);
        }
        const std::string path = AbsolutePath(m_strFile);
        const CTaskLock taskLock = LockTaskOrFail(path, "set");
        CQuobrixDoc doc;
        OpenTaskOrFail(doc, path);

        // Like the sheet's OK: the keywords are stored again and marked
        // changed whether or not they changed.
        std::string keywords;
        {
            std::lock_guard lock(doc.m_csKeywords);
            keywords = doc.m_strKeywords;
        }
        if (m_pKeywords->count() > 0) {
            keywords = m_strKeywords;
        }
        bool matchCase = doc.m_bMatchCase;
        if (m_pMatchCase->count() > 0) {
            matchCase = true;
        } else if (m_pNoMatchCase->count() > 0) {
            matchCase = false;
        }
        doc.SetKeywords(keywords, matchCase);
        m_properties.ApplyTo(doc);
        // No other thread runs here: an interrupt waits for the save to end.
        CDeferredSignals deferred;
        SaveTaskOrFail(doc, path);
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
