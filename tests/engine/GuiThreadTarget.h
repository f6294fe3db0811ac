#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "support/RecordingTarget.h"
#include "support/TestDoc.h"

// A receiver that behaves like the desktop's: every message is handled on a
// thread of its own, the GUI thread, which first takes the task locks that
// the desktop's GUI thread takes (a save's snapshot, the options, a start's
// address reset), and a Send waits until it has been handled. A Send that the
// GUI thread cannot handle within a few seconds would hang the desktop: it is
// counted and given up. The credential prompt is answered with an account.
class GuiThreadTarget : public RecordingTarget {
public:
    explicit GuiThreadTarget(CTestDoc& doc);
    // Gives the task its earlier receivers back, then handles what is left.
    ~GuiThreadTarget() override;

    int64_t Send(unsigned message, int64_t wParam, const NotifyParam& lParam) override;
    void Post(unsigned message, int64_t wParam, const NotifyParam& lParam) override;

    int Deadlocks() const;
    // Makes it the task's main frame, thread list and view. Only while no
    // worker runs.
    void Attach();

private:
    int64_t Handle(unsigned message, int64_t wParam, const NotifyParam& lParam, bool posted);
    void Run();

    CTestDoc& m_doc;
    INotifyTarget* m_pEarlier[3] = {};
    mutable std::mutex m_cs;
    std::condition_variable m_cvJobs;
    std::deque<std::function<void()>> m_jobs;
    bool m_bStopping = false;
    int m_nDeadlocks = 0;
    std::thread m_hThread;
};
