#include "ui/WindowTarget.h"

#include <QThread>
#include <utility>

CWindowTarget::CWindowTarget(Handler handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler)) {}

int64_t CWindowTarget::Send(unsigned message, int64_t wParam, const NotifyParam& lParam) {
    if (QThread::currentThread() == thread()) {
        return m_handler(message, wParam, lParam);
    }
    // The sender waits, so its lParam stays valid for the call.
    int64_t result = 0;
    QMetaObject::invokeMethod(
        this, [this, message, wParam, &lParam] { return m_handler(message, wParam, lParam); },
        Qt::BlockingQueuedConnection, &result);
    return result;
}

void CWindowTarget::Post(unsigned message, int64_t wParam, const NotifyParam& lParam) {
    QMetaObject::invokeMethod(
        this, [this, message, wParam, lParam] { m_handler(message, wParam, lParam); },
        Qt::QueuedConnection);
}
