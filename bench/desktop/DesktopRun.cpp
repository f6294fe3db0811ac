#include "DesktopRun.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>
#include <vector>

#include "KeyLatencyProbe.h"
#include "common/StringTable.h"
#include "task/DocumentPrompts.h"
#include "task/QuobrixDoc.h"
#include "ui/DesktopApp.h"
#include "ui/MainFrame.h"
#include "ui/ThreadList.h"

namespace {
using Clock = std::chrono::steady_clock;

constexpr int kShowMs = 30000;     // the window on screen
constexpr int kActiveMs = 10000;   // and given the keyboard
constexpr int kSettleMs = 1000;    // the browser engine's own start-up, before Run
constexpr int kPollMs = 10;        // how often the task's state is looked at
constexpr int kRunEndMs = 60000;   // the workers' leaving, after the end or an abort

// Answers the task's questions without a person: nothing is saved, and the
// messages are kept for the report.
class CBenchPrompts : public IDocumentPrompts {
public:
    void ShowMessage(const std::string& text, Icon) override { m_arrMessages.push_back(text); }
    Answer AskYesNoCancel(const std::string&) override { return Answer::No; }
    std::string AskSavePath() override { return {}; }

    std::vector<std::string> m_arrMessages;
};

// Delivers events until predicate holds or timeoutMs passed; its last value.
bool DeliverUntil(const std::function<bool()>& predicate, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!predicate()) {
        if (Clock::now() >= deadline) {
            return predicate();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// A message box (a file error, say) would wait for a person.
void CloseModalWindows() {
    while (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
        QCoreApplication::processEvents();
    }
}

// Waits, from Run on, until the task is finished, stops otherwise, or the
// time is up (then aborts it).
void WaitForTheEnd(CDesktopApp& app, Clock::time_point started, std::chrono::seconds timeout,
                   CDesktopRun& run) {
    CQuobrixDoc& doc = app.Doc();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        const unsigned state = doc.m_nState;
        if (state == IDS_STATE_FINISHED) {
            run.m_crawlTime = Clock::now() - started;
            run.m_bFinished = true;
            loop.quit();
        } else if (state != IDS_STATE_SEEKING) {
            run.m_crawlTime = Clock::now() - started;
            run.m_strError = "the task stopped as \"" + LoadString(state) + "\"";
            CloseModalWindows();
            loop.quit();
        } else if (Clock::now() - started >= timeout) {
            run.m_crawlTime = Clock::now() - started;
            run.m_bTimedOut = true;
            run.m_strError = "timed out after " + std::to_string(timeout.count()) + " s";
            CloseModalWindows();
            app.MainFrame()->OnTaskAbort();
            loop.quit();
        }
    });
    poll.start(kPollMs);
    loop.exec();
}
}  // namespace

CDesktopRun RunDesktop(const std::string& strStorePath, const std::string& strTaskFile,
                       std::chrono::seconds timeout, bool bKeysThroughX) {
    CDesktopRun run;
    CBenchPrompts prompts;
    auto pApp = std::make_unique<CDesktopApp>(strStorePath, strTaskFile);
    if (!pApp->Start()) {
        run.m_strError = "the desktop program did not start";
        return run;
    }
    // Start-up gives the frame the program's message boxes.
    pApp->SetPrompts(prompts);
    CMainFrame* pFrame = pApp->MainFrame();
    if (!DeliverUntil([pFrame] { return pFrame->windowHandle() != nullptr &&
                                        pFrame->windowHandle()->isExposed(); },
                      kShowMs)) {
        run.m_strError = "the main window was not shown";
        return run;
    }
    // The program shows itself maximised; a window manager would size it to
    // the screen, and Xvfb has none.
    if ((pFrame->windowState() & Qt::WindowMaximized) != 0 && pFrame->screen() != nullptr) {
        pFrame->setGeometry(pFrame->screen()->availableGeometry());
    }
    // Keys through the X server reach the window that has the focus.
    pFrame->activateWindow();
    const bool bActive = DeliverUntil([pFrame] { return pFrame->isActiveWindow(); }, kActiveMs);
    DeliverUntil([] { return false; }, kSettleMs);

    CQuobrixDoc& doc = pApp->Doc();
    CKeyLatencyProbe probe(pFrame->ThreadList());
    probe.Start(bKeysThroughX && bActive);
    const auto started = Clock::now();
    pFrame->Action(ID_TASK_RUN)->trigger();
    // A new task is Idle until Run starts it (a quick one may be over already).
    if (doc.m_nState == IDS_STATE_IDLE) {
        run.m_strError = "Run did not start the task";
    } else {
        WaitForTheEnd(*pApp, started, timeout, run);
    }
    probe.Stop();
    run.m_keysPosted = probe.Posted();
    run.m_keysThroughX = probe.ThroughX();
    run.m_strXError = bKeysThroughX && !bActive ? "the window did not get the focus"
                                                : probe.XError();

    if (!DeliverUntil([&doc] { return doc.IsRunEnded(); }, kRunEndMs) && run.m_strError.empty()) {
        run.m_strError = "the workers did not leave";
    }
    if (!prompts.m_arrMessages.empty() && run.m_strError.empty()) {
        run.m_strError = "the program said: " + prompts.m_arrMessages.front();
    }
    // Closed as a person closes it; the unsaved run is not saved.
    pFrame->close();
    pApp.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    return run;
}
