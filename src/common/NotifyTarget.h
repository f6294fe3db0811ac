#pragma once

#include <cstdint>
#include <string>
#include <variant>

// The lParam of a notification: a count, or a text (status line, URL, path).
using NotifyParam = std::variant<int64_t, std::string>;

// A receiver of the task's notifications (main frame, thread list, browser
// view). The desktop front end delivers them on its GUI thread; the headless
// one prints them; tests record them.
//
// Send is called from worker threads and from the thread that runs the
// commands, and returns only when the receiver has handled the message, with
// its result. Post queues the message and returns at once.
//
// A receiver never takes a task lock, and the task never sends while it holds
// one of the locks that a receiver's thread may wait for (the snapshot locks
// of CQuobrixDoc), so a Send cannot deadlock.
class INotifyTarget {
public:
    virtual ~INotifyTarget() = default;
    virtual int64_t Send(unsigned message, int64_t wParam, const NotifyParam& lParam) = 0;
    virtual void Post(unsigned message, int64_t wParam, const NotifyParam& lParam) = 0;
};
