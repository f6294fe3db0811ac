#pragma once

#include <QDeadlineTimer>
#include <QSignalSpy>

#include <functional>

#include "ui/MainFrame.h"
#include "ui/StatusPanes.h"

// Waits until done() holds, looking again each time sender emits signal,
// for at most ms milliseconds in all; whether it came to hold.
template <typename Sender, typename Signal>
bool WaitForSignalUntil(const Sender* sender, Signal signal, const std::function<bool()>& done,
                        int ms = 5000) {
    QSignalSpy spy(sender, signal);
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        const int left = static_cast<int>(deadline.remainingTime());
        if (left <= 0 || !spy.wait(left)) {
            return done();
        }
    }
    return true;
}

// Waits until the frame's pane shows text, looking again at each change of a
// pane; whether it came to show it.
inline bool WaitForPane(const CMainFrame& frame, int pane, const QString& text, int ms = 5000) {
    return WaitForSignalUntil(
        frame.StatusPanes(), &CStatusPanes::TextChanged,
        [&frame, pane, &text] { return frame.PaneText(pane) == text; }, ms);
}
