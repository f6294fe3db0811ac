#include "KeyLatencyProbe.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {
constexpr auto kHalfPeriod = std::chrono::milliseconds(25);  // a posted press, then one through X
constexpr int kDrainMs = 5000;
// Marks the posted presses: the native virtual key of no real keyboard.
constexpr quint32 kProbeMark = 0x51B0B0;

double MillisecondsSince(std::chrono::steady_clock::time_point sent) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sent)
        .count();
}
}  // namespace

CKeyLatencyProbe::CKeyLatencyProbe(QWidget* pTarget, QObject* parent)
    : QObject(parent), m_pTarget(pTarget) {}

CKeyLatencyProbe::~CKeyLatencyProbe() {
    m_bStop = true;
    if (m_hPresser.joinable()) {
        m_hPresser.join();
    }
    QCoreApplication::instance()->removeEventFilter(this);
}

void CKeyLatencyProbe::Start(bool bThroughX) {
    m_bThroughX = bThroughX && m_xKeys.Open(m_strXError);
    if (!bThroughX && m_strXError.empty()) {
        m_strXError = "not asked for";
    }
    // The last filter installed is asked first: the presses are timed
    // before any other filter sees them.
    QCoreApplication::instance()->installEventFilter(this);
    m_bStop = false;
    m_hPresser = std::thread([this] { PressLoop(); });
}

void CKeyLatencyProbe::Stop() {
    m_bStop = true;
    if (m_hPresser.joinable()) {
        m_hPresser.join();
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(kDrainMs);
    while (!AllArrived() && Clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QCoreApplication::instance()->removeEventFilter(this);
}

void CKeyLatencyProbe::PressLoop() {
    auto next = Clock::now();
    for (quint32 sequence = 0; !m_bStop; ++sequence) {
        {
            std::lock_guard lock(m_csPresses);
            m_postedAt.push_back(Clock::now());
            m_arrived.push_back(false);
        }
        // A Down arrow with the probe's mark; the sequence number rides in
        // the native modifiers.
        QCoreApplication::postEvent(
            m_pTarget, new QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier, 0,
                                     kProbeMark, sequence));
        next += kHalfPeriod;
        std::this_thread::sleep_until(next);
        if (m_bStop) {
            break;
        }
        if (m_bThroughX) {
            {
                std::lock_guard lock(m_csPresses);
                m_xPending.push_back(Clock::now());
                ++m_nXSent;
            }
            m_xKeys.Press();
        }
        next += kHalfPeriod;
        std::this_thread::sleep_until(next);
    }
}

bool CKeyLatencyProbe::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    std::lock_guard lock(m_csPresses);
    if (!event->spontaneous() && key->nativeVirtualKey() == kProbeMark) {
        // A press the list passes on to its parents comes by again: the first counts.
        const size_t sequence = key->nativeModifiers();
        if (sequence < m_arrived.size() && !m_arrived[sequence]) {
            m_arrived[sequence] = true;
            m_postedDelaysMs.push_back(MillisecondsSince(m_postedAt[sequence]));
        }
    } else if (event->spontaneous() && key->key() == Qt::Key_Shift && watched->isWindowType() &&
               !m_xPending.empty()) {
        // The window gets it first, then the widget with the focus.
        m_xDelaysMs.push_back(MillisecondsSince(m_xPending.front()));
        m_xPending.pop_front();
    }
    return false;
}

bool CKeyLatencyProbe::AllArrived() const {
    std::lock_guard lock(m_csPresses);
    return m_postedDelaysMs.size() == m_postedAt.size() && m_xPending.empty();
}

CLatencySummary CKeyLatencyProbe::Posted() const {
    std::lock_guard lock(m_csPresses);
    return CLatencySummary::Of(m_postedDelaysMs, m_postedAt.size());
}

CLatencySummary CKeyLatencyProbe::ThroughX() const {
    std::lock_guard lock(m_csPresses);
    return CLatencySummary::Of(m_xDelaysMs, m_nXSent);
}
