#pragma once

#include <sys/types.h>

#include <string>

// A private X server (Xvfb) for a test that needs a real display. It takes
// the first free display number (Xvfb's -displayfd), listens on no TCP port,
// and is ended when the object goes.
class XvfbDisplay {
public:
    XvfbDisplay() = default;
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    // Starts the server and waits, at most timeoutMs, until it accepts
    // clients. False when Xvfb is missing or did not come up (then Error()
    // says why).
    bool Start(int timeoutMs = 15000);

    // ":93"; empty until started.
    const std::string& Display() const { return m_strDisplay; }
    const std::string& Error() const { return m_strError; }

private:
    void Stop();

    pid_t m_pid = -1;
    std::string m_strDisplay;
    std::string m_strError;
};
