// The desktop program as a person uses it, on a private X server with the
// real browser engine: a task against a small site on loopback is run from
// the keyboard, its result rows appear in the view, it is paused, saved and
// closed, opened again and resumed to the end.
#include <QApplication>
#include <QSignalSpy>
#include <QWebEnginePage>
#include <QtTest>

#include <memory>

#include "ScriptedPrompts.h"
#include "SignalWait.h"
#include "support/FixtureServer.h"
#include "support/TempDir.h"
#include "support/XvfbDisplay.h"
#include "task/DocumentPrompts.h"
#include "task/NewTaskRecord.h"
#include "task/QuobrixDoc.h"
#include "ui/DesktopApp.h"
#include "ui/MainFrame.h"
#include "ui/QuobrixView.h"

namespace {

constexpr int kWaitMs = 60000;  // generous: a loaded machine is slow, never stuck

std::string Page(const std::string& strTitle, const std::string& strLinks) {
    return "<html><head><title>" + strTitle + "</title></head><body>An apple a day. " + strLinks +
           "</body></html>";
}

// The page's result rows, as the addresses their remote links name, sorted.
// Empty while the view has no document to ask.
QStringList ResultRows(CQuobrixView* pView) {
    struct Answer {
        bool bDone = false;
        QVariant value;
    };
    auto pAnswer = std::make_shared<Answer>();
    pView->page()->runJavaScript(
        "[...document.querySelectorAll('img[src=\"remote.jpg\"]')]"
        ".map(img => img.parentElement.getAttribute('href')).sort().join('\\n')",
        [pAnswer](const QVariant& value) {
            pAnswer->value = value;
            pAnswer->bDone = true;
        });
    if (!QTest::qWaitFor([pAnswer] { return pAnswer->bDone; }, 10000)) {
        return {};
    }
    const QString strRows = pAnswer->value.toString();
    return strRows.isEmpty() ? QStringList() : strRows.split('\n');
}

// Waits until the view shows exactly these rows. Each look at the page is
// taken once: a navigation may replace the document between two looks.
bool WaitForRows(CQuobrixView* pView, const QStringList& expected, QStringList& seen) {
    return QTest::qWaitFor(
        [&] {
            seen = ResultRows(pView);
            return seen == expected;
        },
        kWaitMs);
}

QString StatePane(CDesktopApp& app) {
    return app.MainFrame()->PaneText(CMainFrame::PANE_STATE);
}

}  // namespace

class CDesktopEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void RunPauseSaveReopenResume();

private:
    std::unique_ptr<CDesktopApp> StartProgram(const std::string& strTaskFile);
    void Press(CDesktopApp& app, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    TempDir m_dir;
    CScriptedPrompts m_prompts;
    WId m_shownWindow = 0;  // the native window as start-up showed it
};

std::unique_ptr<CDesktopApp> CDesktopEndToEndTest::StartProgram(const std::string& strTaskFile) {
    auto pApp = std::make_unique<CDesktopApp>(m_dir / "Quobrix.ini", strTaskFile);
    pApp->SetPrompts(m_prompts);
    if (!pApp->Start()) {
        return nullptr;
    }
    m_shownWindow = pApp->MainFrame()->winId();
    // Start-up showed the window; keys reach it once the X server gave it the focus.
    CMainFrame* pFrame = pApp->MainFrame();
    if (!QTest::qWaitForWindowExposed(pFrame, kWaitMs)) {
        return nullptr;
    }
    pFrame->activateWindow();
    if (!QTest::qWaitForWindowActive(pFrame, kWaitMs)) {
        qWarning("active window: %p, frame: %p", static_cast<void*>(QApplication::activeWindow()),
                 static_cast<void*>(pFrame));
        return nullptr;
    }
    return pApp;
}

// A key as the user presses it in the main window (shortcuts need it active).
void CDesktopEndToEndTest::Press(CDesktopApp& app, int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(app.MainFrame(), static_cast<Qt::Key>(key), modifiers);
}

void CDesktopEndToEndTest::RunPauseSaveReopenResume() {
    // The site: three pages that answer, and one that keeps the run going
    // (it never answers) until the task is paused.
    FixtureServer site;
    const std::string strBase = site.Url("/");
    site.Route("/", FixtureServer::Ok(Page("Home",
                                           "<a href=\"a.html\">a</a> <a href=\"b.html\">b</a> "
                                           "<a href=\"slow.html\">slow</a>")));
    site.Route("/a.html", FixtureServer::Ok(Page("A", "")));
    site.Route("/b.html", FixtureServer::Ok(Page("B", "")));
    FixtureServer::Response hold;
    hold.silent = true;
    site.Route("/slow.html", hold);

    const std::string strTask = m_dir / "shop.qbx";
    std::unique_ptr<CDesktopApp> pApp = StartProgram("");
    QVERIFY(pApp);
    CNewTaskRecord record;
    record.m_strStartAddress = site.HostPort() + "/";
    record.m_strEndAddress = record.m_strStartAddress;
    record.m_strKeywords = "apple";
    QVERIFY(pApp->CreateTask(record, strTask));
    pApp->Doc().m_nTimeout = 0;  // the held page waits for the pause, not for a time-out

    // F6 runs it; the task shows its first result page in the view by itself.
    Press(*pApp, Qt::Key_F6);
    QVERIFY(
        WaitForPane(*pApp->MainFrame(), CMainFrame::PANE_STATE, QString("Seeking..."), kWaitMs));
    QCOMPARE(StatePane(*pApp), QString("Seeking..."));
    const QStringList firstRows = {QString::fromStdString(strBase),
                                   QString::fromStdString(strBase + "a.html"),
                                   QString::fromStdString(strBase + "b.html")};
    QStringList seen;
    QVERIFY2(WaitForRows(pApp->MainFrame()->View(), firstRows, seen), qPrintable(seen.join(' ')));
    QVERIFY(site.WaitForRequests(4, std::chrono::milliseconds(kWaitMs)));
    // The window the program showed first stays the window: made anew, as
    // when the view's surface came after the first show, it would forget
    // that it was maximised.
    QCOMPARE(pApp->MainFrame()->winId(), m_shownWindow);

    // F7 pauses, Ctrl+S saves, the window closes without a question.
    Press(*pApp, Qt::Key_F7);
    // Keys count again once the wait cursor is gone (the workers have left).
    QVERIFY(WaitForPane(*pApp->MainFrame(), CMainFrame::PANE_STATE, QString("Paused"), kWaitMs));
    // Nothing signals the last worker's going: the stop flag and the cursor are looked at.
    QTRY_VERIFY_WITH_TIMEOUT(StatePane(*pApp) == "Paused" && !pApp->Doc().IsStopping() &&
                                 QApplication::overrideCursor() == nullptr,
                             kWaitMs);
    Press(*pApp, Qt::Key_S, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(!pApp->Doc().IsModified(), kWaitMs);
    QVERIFY(pApp->MainFrame()->close());
    pApp.reset();

    // The held page answers now, and leads to one more.
    site.Route("/slow.html", FixtureServer::Ok(Page("Slow", "<a href=\"c.html\">c</a>")));
    site.Route("/c.html", FixtureServer::Ok(Page("C", "")));

    pApp = StartProgram(strTask);
    QVERIFY(pApp);
    QCOMPARE(StatePane(*pApp), QString("Paused"));
    Press(*pApp, Qt::Key_F6);
    // The resumed run's first row shows its page again: the view follows the
    // run to its end without a refresh.
    const QStringList allRows =
        firstRows + QStringList{QString::fromStdString(strBase + "c.html"),
                                QString::fromStdString(strBase + "slow.html")};
    QVERIFY2(WaitForRows(pApp->MainFrame()->View(), allRows, seen), qPrintable(seen.join(' ')));
    QVERIFY(WaitForPane(*pApp->MainFrame(), CMainFrame::PANE_STATE, QString("Finished"), kWaitMs));
    QCOMPARE(StatePane(*pApp), QString("Finished"));

    // Alt+Home shows every row, each page once.
    Press(*pApp, Qt::Key_Home, Qt::AltModifier);
    QVERIFY2(WaitForRows(pApp->MainFrame()->View(), allRows, seen), qPrintable(seen.join(' ')));
    QVERIFY(m_prompts.m_arrMessages.empty());
}

int main(int argc, char* argv[]) {
    XvfbDisplay display;
    if (!display.Start()) {
        fprintf(stderr, "No X server for the test: %s\n", display.Error().c_str());
        return 1;
    }
    qputenv("DISPLAY", QByteArray::fromStdString(display.Display()));
    qputenv("QT_QPA_PLATFORM", "xcb");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    CDesktopEndToEndTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DesktopEndToEndTest.moc"
