#pragma once

#include <chrono>
#include <string>

#include "LatencySummary.h"

// One crawl by the desktop program, in this process: its application object
// started on the task file as "quobrix TASK" starts it, the main window
// shown, Run triggered as F6 triggers it.
struct CDesktopRun {
    bool m_bFinished = false;  // the task reached "Finished"
    bool m_bTimedOut = false;
    std::chrono::duration<double> m_crawlTime{};  // from Run to "Finished"
    std::string m_strError;                        // why it did not finish
    CLatencySummary m_keysPosted;                  // key presses during the crawl
    CLatencySummary m_keysThroughX;
    std::string m_strXError;                       // why no press went through X
};

// Runs the desktop program on the task until it is finished, aborting it
// past timeout, and closes it again. strStorePath is its settings file.
// bKeysThroughX: also press keys through the X server. On the GUI thread of
// a QApplication.
CDesktopRun RunDesktop(const std::string& strStorePath, const std::string& strTaskFile,
                       std::chrono::seconds timeout, bool bKeysThroughX);
