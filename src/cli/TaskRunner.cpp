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
#include "task/QuobrixDoc.h"

int RunTaskToEnd(CQuobrixDoc& doc, const CRunOptions& options) {
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
        if (CInterruptGuard::Interrupted() || overTime) {
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
    if (options.m_verbosity != CConsoleFrontEnd::Verbosity::Quiet || console.FileError() != 0) {
        std::cout << "Task " << LoadString(doc.m_nState) << ": " << doc.LinksRequested()
                  << " links requested; saved to " << doc.GetPathName() << "; results in "
                  << doc.m_strTaskDir << std::endl;
    }
    if (options.m_bServeAfter && !CInterruptGuard::Interrupted() && console.FileError() == 0) {
        CInterruptGuard::WaitForInterrupt();
    }
    return console.FileError() != 0 ? EXIT_FILE_ERROR : EXIT_OK;
}
