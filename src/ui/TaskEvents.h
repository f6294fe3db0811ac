#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "common/NotifyTarget.h"

class QTimer;

// The task's notifications on their way into the window, decoded once into
// typed signals on the GUI thread.
//
// The task calls the three receivers from its worker threads and from the GUI
// thread. A worker never waits for the window here, except for the answer to
// the authorization prompt: the newest state, counters, thread lines and
// address to show are kept, and the window hears of them in signals, the
// thread lines and counters at most every kPaceMs (a person reads about ten
// updates a second), the rest as soon as the GUI thread is free. For one slot
// the lines keep their order: the signal carries the newest.
class CTaskEvents : public QObject {
    Q_OBJECT
public:
    static constexpr int kPaceMs = 100;
    static constexpr int kSlots = 15;  // worker slots, one thread row each

    explicit CTaskEvents(QObject* parent = nullptr);
    ~CTaskEvents() override;

    // The task's three receivers (ITask::SetReceivers). Any thread.
    INotifyTarget& FrameTarget();
    INotifyTarget& ThreadBarTarget();
    INotifyTarget& ViewTarget();

    // Asks the user for an account for url, on the GUI thread; true when one
    // was given. The worker that asked waits for the answer.
    void SetAuthorizeHandler(std::function<bool(const QString& url)> handler);

    // Signals at once whatever is waiting. GUI thread.
    void Flush();

signals:
    void StateChanged(const QString& text);
    void SitesLeftChanged(qint64 count);
    void LinksQueuedChanged(qint64 count);
    void LinksRequestedChanged(qint64 count);
    // slot 0..14, phase PHASE_ENDED..PHASE_PARSE.
    void ThreadStatusChanged(int slot, int phase, const QString& text);
    // Every thread row back to its idle line.
    void ThreadsReset();
    void FileErrorReported(int error, const QString& path);
    void NavigateRequested(const QString& address);
    // A page was not retrieved: the newest, at the pace of the counters.
    // reason is its text ("connection refused").
    void PageFailed(const QString& url, const QString& reason);
    // The task paused for an outage: the line that says so.
    void OutagePaused(const QString& text);
    // Something the run says once: certificates are not checked.
    void RunNotice(const QString& text);

private:
    class CReceiver;
    struct CThreadLine {
        int m_nPhase = 0;
        std::string m_strText;
    };
    // What waits for the next signals; under m_csPending.
    struct CPending {
        std::optional<std::string> m_strState;
        std::optional<int64_t> m_nSitesLeft;
        std::optional<int64_t> m_nLinksQueued;
        std::optional<int64_t> m_nLinksRequested;
        bool m_bThreadsReset = false;
        std::array<std::optional<CThreadLine>, kSlots> m_threadLines;
        std::optional<std::string> m_strNavigate;
        std::deque<std::pair<int, std::string>> m_fileErrors;
        std::optional<std::pair<int64_t, std::string>> m_pageFailed;  // wParam, URL
        std::optional<std::string> m_strOutage;
        std::optional<std::string> m_strNotice;
    };

    int64_t OnFrameMessage(unsigned message, int64_t wParam, const NotifyParam& lParam, bool send);
    int64_t OnThreadBarMessage(unsigned message, int64_t wParam, const NotifyParam& lParam);
    int64_t OnViewMessage(unsigned message, const NotifyParam& lParam, bool send);
    int64_t Authorize(const std::string& url);
    // A change that the window shows at once (soon) or at the next pace.
    // A Send on the GUI thread signals before it returns; a Post never does,
    // since its caller may hold a task lock that a signal's receiver takes.
    void Schedule(bool soon, bool signalNow);
    bool OnGuiThread() const;

    std::unique_ptr<CReceiver> m_pFrame;
    std::unique_ptr<CReceiver> m_pThreadBar;
    std::unique_ptr<CReceiver> m_pView;
    std::function<bool(const QString&)> m_authorize;
    QTimer* m_pPaceTimer = nullptr;

    std::mutex m_csPending;
    CPending m_pending;
    std::atomic<bool> m_bSoonQueued{false};
    std::atomic<bool> m_bPaceQueued{false};
};
