#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>

#include "support/TestDoc.h"

// A task record that holds the first thread to reach a chosen step of a run
// until the test lets it go, and tells which steps have been reached. Tests
// use it to place one thread between the moves of another, without sleeps.
class HeldDoc : public CTestDoc {
public:
    using CTestDoc::RunStep;

    explicit HeldDoc(RunStep hold) : m_hold(hold) {}
    ~HeldDoc() override;

    // False when no thread arrived within the time limit.
    bool WaitUntilHeld(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    bool WaitUntilReached(RunStep step, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    void Release();

protected:
    void AtRunStep(RunStep step, int slot) override;

private:
    const RunStep m_hold;
    std::mutex m_cs;
    std::condition_variable m_cvChanged;
    std::set<RunStep> m_reached;
    bool m_bHeld = false;
    bool m_bReleased = false;
};
