#include "cli/TaskRunner.h"

#include <signal.h>

#include <atomic>
#include <chrono>
#include <iostream>
#include <thread>

#include "cli/Command.h"
#include "cli/TaskFileAccess.h"
#include "common/StringTable.h"
#include "task/QuobrixDoc.h"

namespace {
std::atomic<bool> g_bInterrupted{false};

void OnInterrupt(int) {
    g_bInterrupted = true;
}

// SIGINT and SIGTERM pause the task instead of ending the program.
class CInterruptGuard {
public:
    CInterruptGuard() {
        g_bInterrupted = false;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_oldInt);
        sigaction(SIGTERM, &action, &m_oldTerm);
    }
    ~CInterruptGuard() {
        sigaction(SIGINT, &m_oldInt, nullptr);
        sigaction(SIGTERM, &m_oldTerm, nullptr);
    }

private:
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
};

bool Ended(CQuobrixDoc& doc) {
    return !doc.IsRunning() && !doc.IsStopping() && !doc.HasActiveWorkers();
}

// The desktop's one-second auto-save rule: a running task is saved every
// interval, a stopped one only when it has unsaved changes.
class CAutoSave {
public:
    void Tick(CQuobrixDoc& doc) {
        const int minutes = doc.m_nAutoSaveMinutes;
        if (minutes == 0) {
            return;
        }
        ++m_nSeconds;
        if (minutes < 0 || m_nSeconds / 60 < static_cast<unsigned>(minutes)) {
            return;
        }
        m_nSeconds = 0;
        if (doc.IsModified()) {
            std::string error;
            if (!doc.OnSaveDocument(doc.GetPathName(), error)) {
                std::cerr << "quobrix-cli: " << error << std::endl;
            }
            if (doc.IsRunning()) {
                doc.SetModifiedFlag();
            }
        }
    }

private:
    unsigned m_nSeconds = 0;
};
}  // namespace

int RunTaskToEnd(CQuobrixDoc& doc, const CRunOptions& options) {
    using Clock = std::chrono::steady_clock;
    CConsoleFrontEnd console(doc, options.m_verbosity);
    console.Attach();
    CInterruptGuard interrupts;
    CAutoSave autoSave;

    const auto started = Clock::now();
    auto nextTick = started + std::chrono::seconds(1);
    bool pauseAsked = false;
    doc.OnTaskRun();
    while (!Ended(doc)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const bool overTime = options.m_nMaxSeconds > 0 &&
                              Clock::now() - started >= std::chrono::seconds(options.m_nMaxSeconds);
        if ((g_bInterrupted || overTime) && !pauseAsked) {
            pauseAsked = true;
            if (doc.IsRunning() && !doc.IsStopping()) {
                doc.OnTaskPause();
            }
        }
        if (Clock::now() >= nextTick) {
            nextTick += std::chrono::seconds(1);
            autoSave.Tick(doc);
            console.FlushCounters();
        }
    }
    doc.JoinWorkers();
    console.FlushCounters();
    console.Detach();

    SaveTaskOrFail(doc, doc.GetPathName());
    if (options.m_verbosity != CConsoleFrontEnd::Verbosity::Quiet || console.FileError() != 0) {
        std::cout << "Task " << LoadString(doc.m_nState) << ": " << doc.LinksRequested()
                  << " links requested; saved to " << doc.GetPathName() << "; results in "
                  << doc.m_strTaskDir << std::endl;
    }
    return console.FileError() != 0 ? EXIT_FILE_ERROR : EXIT_OK;
}
