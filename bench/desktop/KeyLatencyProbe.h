#pragma once

#include <QObject>

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "LatencySummary.h"
#include "XKeySender.h"

class QWidget;

// Measures how long a key press waits for the GUI thread while the desktop
// program crawls. A thread of its own presses a key every 50 ms, so a busy
// GUI thread cannot delay the pressing itself: a Down arrow posted to the
// thread list (QCoreApplication::postEvent), and, 25 ms after each, Shift
// through the X server when that was asked for. An application event filter
// takes the moment each press is delivered; the presses still pass on as usual.
class CKeyLatencyProbe : public QObject {
    Q_OBJECT
public:
    // pTarget receives the posted presses; it outlives the probe.
    explicit CKeyLatencyProbe(QWidget* pTarget, QObject* parent = nullptr);
    ~CKeyLatencyProbe() override;

    // Starts pressing; bThroughX adds the presses through the X server
    // (XError() says why, when they cannot be made).
    void Start(bool bThroughX);
    // Stops pressing, then delivers events (at most 5 s) until every press
    // sent has arrived. On the GUI thread.
    void Stop();

    CLatencySummary Posted() const;
    CLatencySummary ThroughX() const;
    const std::string& XError() const { return m_strXError; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Clock = std::chrono::steady_clock;

    void PressLoop();
    bool AllArrived() const;

    QWidget* m_pTarget;
    CXKeySender m_xKeys;
    bool m_bThroughX = false;
    std::string m_strXError;
    std::atomic<bool> m_bStop{false};
    std::thread m_hPresser;

    mutable std::mutex m_csPresses;             // everything below
    std::vector<Clock::time_point> m_postedAt;  // by sequence number
    std::vector<bool> m_arrived;                // by sequence number
    std::vector<double> m_postedDelaysMs;
    std::deque<Clock::time_point> m_xPending;  // sent through X, not yet delivered, oldest first
    size_t m_nXSent = 0;
    std::vector<double> m_xDelaysMs;
};
