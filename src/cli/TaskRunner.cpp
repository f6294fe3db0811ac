#include "cli/TaskRunner.h"

#include <atomic>
#include <chrono>
#include <iostream>
#include <thread>

#include "app/AutoSave.h"
#include "cli/Command.h"
#include "cli/Interrupts.h"
#include "cli/TaskFileAccess.h"
#include "common/StringTable.h"
#include "task/Task.h"

namespace {
// Finished (0), finished without one page retrieved (5), paused (4), or
// paused by a file that could not be written (3).
int RunStatus(const ITask& doc, const CConsoleFrontEnd& console) {
    if (console.FileError() != 0) {
        return EXIT_FILE_ERROR;
    }
    if (doc.GetState() == IDS_STATE_PAUSED) {
        return EXIT_PAUSED;
    }
    const int requested = doc.LinksRequested();
    if (doc.GetState() == IDS_STATE_FINISHED && requested > 0 && doc.FailureCount() >= requested) {
        return EXIT_NOTHING_RETRIEVED;
    }
    return EXIT_OK;
}
}  // namespace

int RunTaskToEnd(ITask& doc, const CRunOptions& options) {
    // With a server running, the program keeps serving after the crawl,
    // until a signal; a signal during the crawl pauses it and ends.
    CInterruptGuard interrupts;
    using Clock = std::chrono::steady_clock;
    CConsoleFrontEnd console(doc, options.m_verbosity);
    console.Attach();
    CAutoSave autoSave;

    const auto started = Clock::now();
    auto nextTick = started + std::chrono::seconds(1);
    doc.OnTaskRun();
    while (!doc.IsRunEnded()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const bool overTime = options.m_nMaxSeconds > 0 &&
                              Clock::now() - started >= std::chrono::seconds(options.m_nMaxSeconds);
        // A closed output (the reader of a pipe went away) pauses the run
        // as Ctrl+C does, so the crawl is saved and resumes.
        if (CInterruptGuard::Interrupted() || overTime || console.OutputClosed()) {
            // Asked again while it runs: a skip that goes on to the next
            // site is paused there too. It never resumes a paused task.
            doc.PauseWorkers();
        }
        if (Clock::now() >= nextTick) {
            nextTick += std::chrono::seconds(1);
            autoSave.Tick(doc, [&doc] {
                std::string error;
                if (!doc.OnSaveDocument(doc.GetPathName(), error)) {
                    std::cerr << "quobrix-cli: " << error << std::endl;
                }
            });
            console.FlushCounters();
        }
    }
    doc.JoinWorkers();
    console.FlushCounters();
    console.Detach();

    std::string saveError;
    if (!doc.OnSaveDocument(doc.GetPathName(), saveError)) {
        std::cerr << "quobrix-cli: " << saveError << std::endl;
        // A full disk that stopped the run usually fails its save too: the
        // stop is what the status tells.
        return console.FileError() != 0 ? EXIT_FILE_ERROR : EXIT_FAILED;
    }
    const int status = RunStatus(doc, console);
    const std::string summary = doc.FailureSummary();
    if (console.OutputClosed()) {
        std::cerr << "quobrix-cli: the output was closed; the task is "
                  << LoadString(doc.GetState()) << " and saved to " << doc.GetPathName()
                  << std::endl;
    } else if (options.m_verbosity != CConsoleFrontEnd::Verbosity::Quiet ||
               console.FileError() != 0) {
        std::cout << summary << std::endl;
        std::cout << "Task " << LoadString(doc.GetState()) << ": " << doc.LinksRequested()
                  << " links requested; saved to " << doc.GetPathName() << "; results in "
                  << doc.GetTaskDir() << std::endl;
    }
    if (status == EXIT_NOTHING_RETRIEVED &&
        options.m_verbosity == CConsoleFrontEnd::Verbosity::Quiet) {
        std::cerr << "quobrix-cli: " << summary << std::endl;  // quiet, but this is a failure
    }
    if (options.m_bServeAfter && !CInterruptGuard::Interrupted() && console.FileError() == 0 &&
        !console.OutputClosed()) {
        CInterruptGuard::WaitForInterrupt();
    }
    return status;
}
