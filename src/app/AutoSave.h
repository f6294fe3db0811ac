#pragma once

#include <functional>

class ITask;

// The task's auto-save, driven by a one-second tick on the thread that runs
// the commands. Seconds are counted only while the task has an interval;
// when the counted whole minutes reach it, counting starts again and the
// task is saved if it has unsaved changes. A running task is then marked
// changed again at once, so it is saved at every interval; a stopped one
// without changes is not saved, and its next save waits a whole interval.
class CAutoSave {
public:
    // One second passed. save writes the task (as the Save command does).
    void Tick(ITask& doc, const std::function<void()>& save);

private:
    unsigned m_nSeconds = 0;
};
