#pragma once

#include <QObject>
#include <functional>

#include "common/NotifyTarget.h"

// Hands the task's notifications to a window on the GUI thread. Send from a
// worker thread waits (a blocking queued call) until the handler has run
// there and returns its result; Send on the GUI thread calls the handler at
// once; Post always queues. The handler runs on the GUI thread only, and
// takes no task lock beyond the record's documented getters.
class CWindowTarget : public QObject, public INotifyTarget {
    Q_OBJECT
public:
    using Handler = std::function<int64_t(unsigned message, int64_t wParam, const NotifyParam& lParam)>;

    explicit CWindowTarget(Handler handler, QObject* parent = nullptr);

    int64_t Send(unsigned message, int64_t wParam, const NotifyParam& lParam) override;
    void Post(unsigned message, int64_t wParam, const NotifyParam& lParam) override;

private:
    Handler m_handler;
};
