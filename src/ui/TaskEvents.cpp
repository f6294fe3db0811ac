#include "ui/TaskEvents.h"

#include <QThread>
#include <QTimer>

#include <utility>

#include "common/Messages.h"
#include "common/PageFailure.h"
#include "results/FailureRecord.h"

// One of the three receivers the task knows; every call lands in the events object.
class CTaskEvents::CReceiver : public INotifyTarget {
public:
    using Handler = std::function<int64_t(unsigned message, int64_t wParam,
                                          const NotifyParam& lParam, bool send)>;

    explicit CReceiver(Handler handler) : m_handler(std::move(handler)) {}

    int64_t Send(unsigned message, int64_t wParam, const NotifyParam& lParam) override {
        return m_handler(message, wParam, lParam, true);
    }
    void Post(unsigned message, int64_t wParam, const NotifyParam& lParam) override {
        m_handler(message, wParam, lParam, false);
    }

private:
    Handler m_handler;
};

namespace {
std::string TextOf(const NotifyParam& lParam) {
    const std::string* text = std::get_if<std::string>(&lParam);
    return text != nullptr ? *text : std::string();
}

int64_t NumberOf(const NotifyParam& lParam) {
    const int64_t* number = std::get_if<int64_t>(&lParam);
    return number != nullptr ? *number : 0;
}

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}
}  // namespace

CTaskEvents::CTaskEvents(QObject* parent) : QObject(parent) {
    m_pFrame = std::make_unique<CReceiver>(
        [this](unsigned message, int64_t wParam, const NotifyParam& lParam, bool send) {
            return OnFrameMessage(message, wParam, lParam, send);
        });
    m_pThreadBar = std::make_unique<CReceiver>(
        [this](unsigned message, int64_t wParam, const NotifyParam& lParam, bool) {
            return OnThreadBarMessage(message, wParam, lParam);
        });
    m_pView = std::make_unique<CReceiver>(
        [this](unsigned message, int64_t, const NotifyParam& lParam, bool send) {
            return OnViewMessage(message, lParam, send);
        });
    m_pPaceTimer = new QTimer(this);
    m_pPaceTimer->setSingleShot(true);
    m_pPaceTimer->setInterval(kPaceMs);
    connect(m_pPaceTimer, &QTimer::timeout, this, [this] {
        m_bPaceQueued = false;
        Flush();
    });
}

CTaskEvents::~CTaskEvents() = default;

INotifyTarget& CTaskEvents::FrameTarget() {
    return *m_pFrame;
}

INotifyTarget& CTaskEvents::ThreadBarTarget() {
    return *m_pThreadBar;
}

INotifyTarget& CTaskEvents::ViewTarget() {
    return *m_pView;
}

void CTaskEvents::SetAuthorizeHandler(std::function<bool(const QString& url)> handler) {
    m_authorize = std::move(handler);
}

bool CTaskEvents::OnGuiThread() const {
    return QThread::currentThread() == thread();
}

int64_t CTaskEvents::OnFrameMessage(unsigned message, int64_t wParam, const NotifyParam& lParam,
                                    bool send) {
    bool soon = true;
    {
        std::lock_guard lock(m_csPending);
        switch (message) {
            case WM_TASK_STATE:
                m_pending.m_strState = TextOf(lParam);
                break;
            case WM_SITES_LEFT:
                m_pending.m_nSitesLeft = NumberOf(lParam);
                soon = false;
                break;
            case WM_LINKS_QUEUED:
                m_pending.m_nLinksQueued = NumberOf(lParam);
                soon = false;
                break;
            case WM_LINKS_REQUESTED:
                m_pending.m_nLinksRequested = NumberOf(lParam);
                soon = false;
                break;
            case WM_FILE_ERROR:
                m_pending.m_fileErrors.emplace_back(static_cast<int>(wParam), TextOf(lParam));
                break;
            case WM_PAGE_FAILED:
                m_pending.m_pageFailed = std::make_pair(wParam, TextOf(lParam));
                soon = false;
                break;
            case WM_OUTAGE_PAUSED:
                m_pending.m_strOutage = FormatOutagePause(FailureOfParam(wParam), TextOf(lParam));
                break;
            case WM_CERTIFICATES_UNCHECKED:
                m_pending.m_strNotice = TextOf(lParam);
                break;
            case WM_AUTHORIZE:
                break;
            default:
                return 0;
        }
    }
    if (message == WM_AUTHORIZE) {
        return Authorize(TextOf(lParam));
    }
    Schedule(soon, send && OnGuiThread());
    return 0;
}

int64_t CTaskEvents::OnThreadBarMessage(unsigned message, int64_t wParam,
                                        const NotifyParam& lParam) {
    {
        std::lock_guard lock(m_csPending);
        if (message == WM_THREAD_STATUS) {
            const int slot = static_cast<int>((wParam >> 8) & 0xFF);  // only the low 8 bits count
            if (slot >= kSlots) {
                return 0;
            }
            m_pending.m_threadLines[static_cast<size_t>(slot)] =
                CThreadLine{static_cast<int>(wParam & 0xFF), TextOf(lParam)};
        } else if (message == WM_THREADS_RESET) {
            // Lines sent before the reset are gone with it; later ones follow it.
            m_pending.m_bThreadsReset = true;
            m_pending.m_threadLines = {};
        } else {
            return 0;
        }
    }
    Schedule(false, false);
    return 0;
}

int64_t CTaskEvents::OnViewMessage(unsigned message, const NotifyParam& lParam, bool send) {
    if (message != WM_NAVIGATE_VIEW) {
        return 0;
    }
    {
        std::lock_guard lock(m_csPending);
        m_pending.m_strNavigate = TextOf(lParam);
    }
    Schedule(true, send && OnGuiThread());
    return 0;
}

int64_t CTaskEvents::Authorize(const std::string& url) {
    // What the worker said before it asked shows behind the prompt.
    const auto ask = [this, &url]() -> int64_t {
        Flush();
        return m_authorize && m_authorize(ToQString(url)) ? 1 : 0;
    };
    if (OnGuiThread()) {
        return ask();
    }
    int64_t result = 0;
    QMetaObject::invokeMethod(this, ask, Qt::BlockingQueuedConnection, &result);
    return result;
}

void CTaskEvents::Schedule(bool soon, bool signalNow) {
    if (signalNow) {
        Flush();
    } else if (soon) {
        if (!m_bSoonQueued.exchange(true)) {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_bSoonQueued = false;
                    Flush();
                },
                Qt::QueuedConnection);
        }
    } else if (!m_bPaceQueued.exchange(true)) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!m_pPaceTimer->isActive()) {
                    m_pPaceTimer->start();
                }
            },
            Qt::QueuedConnection);
    }
}

void CTaskEvents::Flush() {
    CPending pending;
    {
        std::lock_guard lock(m_csPending);
        std::swap(pending, m_pending);
    }
    if (pending.m_pageFailed) {
        CPageFailure failure = FailureOfParam(pending.m_pageFailed->first);
        const std::string url = UrlOfFailedParam(pending.m_pageFailed->second, failure);
        emit PageFailed(ToQString(url), ToQString(FailureText(failure)));
    }
    if (pending.m_strState) {
        emit StateChanged(ToQString(*pending.m_strState));
    }
    if (pending.m_strOutage) {
        emit OutagePaused(ToQString(*pending.m_strOutage));
    }
    if (pending.m_strNotice) {
        emit RunNotice(ToQString(*pending.m_strNotice));
    }
    if (pending.m_nSitesLeft) {
        emit SitesLeftChanged(*pending.m_nSitesLeft);
    }
    if (pending.m_nLinksQueued) {
        emit LinksQueuedChanged(*pending.m_nLinksQueued);
    }
    if (pending.m_nLinksRequested) {
        emit LinksRequestedChanged(*pending.m_nLinksRequested);
    }
    if (pending.m_bThreadsReset) {
        emit ThreadsReset();
    }
    for (int slot = 0; slot < kSlots; ++slot) {
        if (const auto& line = pending.m_threadLines[static_cast<size_t>(slot)]) {
            emit ThreadStatusChanged(slot, line->m_nPhase, ToQString(line->m_strText));
        }
    }
    if (pending.m_strNavigate) {
        emit NavigateRequested(ToQString(*pending.m_strNavigate));
    }
    // Last: a receiver may show a message box, whose event loop runs further flushes.
    for (const auto& [error, path] : pending.m_fileErrors) {
        emit FileErrorReported(error, ToQString(path));
    }
}
