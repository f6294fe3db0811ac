#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>

#include "cli/Command.h"
#include "cli/TaskFileAccess.h"
#include "common/FileUtil.h"
#include "common/StringTable.h"
#include "results/FailureRecord.h"
#include "results/ResultRow.h"
#include "task/Task.h"

namespace {
namespace fs = std::filesystem;

constexpr std::string_view HEADER_SUFFIX = ".Quobrix";  // a stored file's response header

// The state's text and what the next run does with it.
std::string StateInWords(unsigned state) {
    const std::string text = LoadString(state);
    switch (state) {
        case IDS_STATE_IDLE:
            return text + " (not run yet)";
        case IDS_STATE_PAUSED:
            return text + " (the next run resumes it)";
        case IDS_STATE_ABORTED:
        case IDS_STATE_FINISHED:
            return text + " (the next run starts it afresh)";
        default:
            return text.empty() ? "unknown (" + std::to_string(state) + ")" : text;
    }
}

// Retrieved files kept in the site folders of the task folder (one folder
// per host, any depth), their header files not counted.
int StoredPages(const std::string& taskDir) {
    int pages = 0;
    std::error_code ec;
    for (fs::directory_iterator site(taskDir, ec), end; !ec && site != end; site.increment(ec)) {
        std::error_code siteError;
        if (!site->is_directory(siteError) || site->is_symlink(siteError)) {
            continue;
        }
        for (fs::recursive_directory_iterator
                 file(site->path(), fs::directory_options::skip_permission_denied, siteError),
             last;
             !siteError && file != last; file.increment(siteError)) {
            std::error_code fileError;
            const std::string name = file->path().filename().string();
            if (file->is_regular_file(fileError) && !name.ends_with(HEADER_SUFFIX)) {
                ++pages;
            }
        }
    }
    return pages;
}

// Rows of the result pages "ResultPage0.html", ... up to the first missing one.
int ResultRows(const std::string& taskDir) {
    int rows = 0;
    std::string bytes;
    for (int page = 0;
         ReadWholeFile(taskDir + "ResultPage" + std::to_string(page) + ".html", bytes); ++page) {
        rows += ResultRowCount(bytes);
    }
    return rows;
}

class CStatusCommand : public ICliCommand {
public:
    explicit CStatusCommand(CLI::App& app) {
        CLI::App* command = app.add_subcommand(
            "status",
            "Print a summary of a task for people: its state, counters, pages and results\n"
            "(it changes nothing; 'show' prints the whole task for scripts)");
        command->add_option("file", m_strFile, "The task file (FILE.qbx)")
            ->required()
            ->type_name("FILE");
    }

    int Run() override {
        const std::unique_ptr<ITask> pTask = OpenTaskRecordOrFail(AbsolutePath(m_strFile));
        ITask& doc = *pTask;
        const std::string folder = doc.GetTaskDir();
        std::error_code ec;
        const bool hasFolder = fs::is_directory(folder, ec);

        const CTaskKeywords taskKeywords = doc.GetKeywords();
        const std::string& keywords = taskKeywords.m_strText;
        std::cout << "Task: " << doc.GetPathName() << "\n";
        if (doc.IsSiteMode()) {
            std::cout << "Search: the web site " << doc.GetStartAddress()
                      << " and the web sites linked to it\n";
        } else {
            std::cout << "Search: the web servers of " << doc.GetStartAddress() << " to "
                      << doc.GetEndAddress() << "\n";
        }
        std::cout << "Keywords: "
                  << (keywords.empty()
                          ? "none (every page matches)"
                          : keywords + (taskKeywords.m_bMatchCase ? " (match case)" : ""))
                  << "\n";
        std::cout << LoadString(IDS_PANE_STATE) << ": " << StateInWords(doc.GetState()) << "\n";
        std::cout << LoadString(IDS_PANE_SITES_LEFT) << ": " << doc.SitesLeft() << "\n";
        std::cout << LoadString(IDS_PANE_LINKS_QUEUED) << ": " << doc.LinksQueued() << "\n";
        std::cout << LoadString(IDS_PANE_LINKS_REQUESTED) << ": " << doc.LinksRequested() << "\n";
        std::cout << "Task folder: " << folder << (hasFolder ? "" : " (missing)") << "\n";
        std::cout << "Pages stored: " << (hasFolder ? StoredPages(folder) : 0) << "\n";
        std::cout << "Result rows: " << (hasFolder ? ResultRows(folder) : 0) << "\n";
        // Since the task's fresh start, as the run's summary counts them:
        // "12 pages not retrieved: 10 connection refused, 2 HTTP 404".
        std::cout << FormatFailureSummary(TallyFailures(ReadFailureRecord(folder)),
                                          doc.LinksRequested())
                  << "\n";
        return EXIT_OK;
    }

private:
    std::string m_strFile;
};
}  // namespace

std::unique_ptr<ICliCommand> AddStatusCommand(CLI::App& app) {
    return std::make_unique<CStatusCommand>(app);
}
