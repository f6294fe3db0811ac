#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "common/NotifyTarget.h"
#include "task/TaskFields.h"

class ITask;

// The headless front end: receives the task's notifications (as main frame,
// thread list and browser view at once) and prints them on the terminal.
// Called from worker threads; it takes no task lock and answers at once,
// except for the credential prompt, which waits for the user's typing (or
// for a pause or abort of the task) without holding up anything else.
class CConsoleFrontEnd : public INotifyTarget {
public:
    enum class Verbosity { Quiet, Normal, Verbose };

    CConsoleFrontEnd(ITask& doc, Verbosity verbosity);

    // Receives everything the task reports.
    void Attach();
    void Detach();

    int64_t Send(unsigned message, int64_t wParam, const NotifyParam& lParam) override;
    void Post(unsigned message, int64_t wParam, const NotifyParam& lParam) override;

    // Prints the counters if they changed since the last line (also called
    // once a second by the run, so quick changes are shown in the end).
    void FlushCounters();

    // The first file error of the run: its code and path (0 when none).
    int FileError() const;
    std::string FileErrorPath() const;
    // Standard output could not be written (a pipe whose reader went away):
    // nothing more is printed there.
    bool OutputClosed() const;
    // The task paused for an outage.
    bool PausedForOutage() const;

private:
    void OnThreadStatus(int slot, int phase, const std::string& text);
    void OnCounter(unsigned message, int64_t value);
    int64_t OnAuthorize(const std::string& url);
    void Prompt(const std::string& text);
    void OnFileError(int error, const std::string& path);
    void OnPageFailed(int64_t wParam, const std::string& url);
    void OnOutagePaused(int64_t wParam, const std::string& where);
    void PrintCountersLocked();
    // One line on standard output; notes when it could not be written.
    void PrintLocked(const std::string& line);

    ITask& m_doc;
    const Verbosity m_verbosity;
    std::mutex m_csPrompt;      // one credential prompt at a time; taken before m_lock
    mutable std::mutex m_lock;  // output and the fields below
    int64_t m_nSitesLeft = 0;
    int64_t m_nLinksQueued = 0;
    int64_t m_nLinksRequested = 0;
    std::string m_strLastCounters;
    std::chrono::steady_clock::time_point m_lastCounterLine{};
    SlotArray<std::chrono::steady_clock::time_point> m_lastThreadLine{};
    int m_nFileError = 0;
    std::string m_strFileErrorPath;
    bool m_bOutputClosed = false;
    bool m_bOutagePause = false;
};
