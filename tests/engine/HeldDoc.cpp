#include "HeldDoc.h"

HeldDoc::~HeldDoc() {
    // The workers call back into this class: they end before it does.
    Release();
    ShutDownWorkers();
}

bool HeldDoc::WaitUntilHeld(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_cs);
    return m_cvChanged.wait_for(lock, timeout, [this] { return m_bHeld; });
}

bool HeldDoc::WaitUntilReached(RunStep step, std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_cs);
    return m_cvChanged.wait_for(lock, timeout, [&] { return m_reached.count(step) > 0; });
}

void HeldDoc::Release() {
    std::lock_guard lock(m_cs);
    m_bReleased = true;
    m_cvChanged.notify_all();
}

void HeldDoc::AtRunStep(RunStep step, int) {
    std::unique_lock lock(m_cs);
    m_reached.insert(step);
    m_cvChanged.notify_all();
    if (step != m_hold || m_bHeld) {
        return;  // only the first arrival is held
    }
    m_bHeld = true;
    // Bounded, so that a test that fails never hangs.
    m_cvChanged.wait_for(lock, std::chrono::seconds(20), [this] { return m_bReleased; });
}
