// The main frame as the task drives it: panes and thread rows for each
// notification (sent from a worker thread, as the engine does), the thread
// pop-up's enabling, the busy state, the file-error box, auto-save through
// the timer, and what closing leaves in the settings store.
#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSettings>
#include <QWebEnginePage>
#include <QtTest>

#include <atomic>
#include <cerrno>
#include <thread>

#include "ModalDialog.h"
#include "ScriptedPrompts.h"
#include "SignalWait.h"
#include "app/QuobrixApp.h"
#include "common/Messages.h"
#include "common/StringTable.h"
#include "support/FixtureServer.h"
#include "support/TempDir.h"
#include "support/TestDoc.h"
#include "ui/MainFrame.h"
#include "ui/QuobrixView.h"
#include "ui/TaskEvents.h"
#include "ui/ThreadList.h"
#include "ui/controls/AddressBox.h"

namespace {
// Sends from another thread, as a worker does; the window shows it soon after.
void SendFromWorker(INotifyTarget& target, unsigned message, int64_t wParam, NotifyParam lParam) {
    std::thread worker([&] { target.Send(message, wParam, lParam); });
    worker.join();
}
}  // namespace

Q_DECLARE_METATYPE(NotifyParam)

class CMainFrameTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();
    void PanesStartWithTheirInitialTexts();
    void PanesFollowTheMessages_data();
    void PanesFollowTheMessages();
    void StatePaneFitsSeeking();
    void ThreadRowsFollowTheMessages();
    void PopupEnabling_data();
    void PopupEnabling();
    void CommandsFollowTheTaskAtOnce();
    void CopyUrlPutsTheSlotsAddressOnTheClipboard();
    void FileErrorShowsTheSystemText();
    void NavigationFromAWorkerReachesTheView();
    void EnterInTheAddressBarShowsTheAddress_data();
    void EnterInTheAddressBarShowsTheAddress();
    void TabGoesFromTheAddressBarToTheThreadList();
    void BusyDropsInputButNotDialogsOrNotifications();
    void TimerSavesAChangedTask();
    void PromptPaneNamesFailuresAndSumsUpTheRun();
    void PagesNotRetrievedAreShownFromTheLocalServer();
    void CloseRefusedWhileRunning();
    void CloseLeavesPlacementAndBarsForTheNextStart();

private:
    TempDir m_dir;
    std::unique_ptr<CQuobrixApp> m_pApp;
    std::unique_ptr<CTestDoc> m_pDoc;
    CScriptedPrompts m_prompts;
    std::unique_ptr<CMainFrame> m_pFrame;
};

void CMainFrameTest::initTestCase() {
    m_pApp = std::make_unique<CQuobrixApp>(m_dir / "Quobrix.ini");
    m_pApp->LoadOptions();
    m_pDoc = std::make_unique<CTestDoc>();
    m_pFrame = std::make_unique<CMainFrame>(*m_pDoc, *m_pApp, m_prompts);
    m_pFrame->ShowFirstTime();
    QVERIFY(QTest::qWaitForWindowExposed(m_pFrame.get()));
}

void CMainFrameTest::cleanup() {
    CTestDoc& doc = *m_pDoc;
    doc.m_nState = IDS_STATE_IDLE;
    doc.m_bStop = false;
    for (AtomicValue<bool>& active : doc.m_bActive) {
        active = false;
    }
    doc.SetModifiedFlag(false);
    m_prompts.m_arrMessages.clear();
    m_pFrame->ThreadList()->clearSelection();
}

void CMainFrameTest::cleanupTestCase() {
    m_pFrame.reset();
    m_pDoc.reset();
}

void CMainFrameTest::PanesStartWithTheirInitialTexts() {
    const CMainFrame& frame = *m_pFrame;
    QCOMPARE(frame.PaneText(CMainFrame::PANE_PROMPT), QStringLiteral("Ready"));
    QCOMPARE(frame.PaneText(CMainFrame::PANE_STATE), QStringLiteral("Idle"));
    QCOMPARE(frame.PaneText(CMainFrame::PANE_SITES_LEFT), QStringLiteral("0 sites left"));
    QCOMPARE(frame.PaneText(CMainFrame::PANE_LINKS_QUEUED), QStringLiteral("0 links queued"));
    QCOMPARE(frame.PaneText(CMainFrame::PANE_LINKS_REQUESTED), QStringLiteral("0 links requested"));
    for (int row = 0; row < CThreadList::kRows; ++row) {
        QCOMPARE(frame.ThreadList()->topLevelItem(row)->text(0), QString::number(row + 1));
        QCOMPARE(frame.ThreadRowText(row), QStringLiteral("N/A"));
        QCOMPARE(frame.ThreadRowPhase(row), 0);
    }
    QCOMPARE(frame.ThreadList()->topLevelItemCount(), CThreadList::kRows);
}

void CMainFrameTest::PanesFollowTheMessages_data() {
    QTest::addColumn<unsigned>("message");
    QTest::addColumn<NotifyParam>("lParam");
    QTest::addColumn<int>("pane");
    QTest::addColumn<QString>("text");
    QTest::newRow("state") << WM_TASK_STATE << NotifyParam(std::string("Seeking...")) << 1
                           << "Seeking...";
    QTest::newRow("sites left") << WM_SITES_LEFT << NotifyParam(int64_t{12}) << 2
                                << "12 sites left";
    QTest::newRow("sites left, unsigned") << WM_SITES_LEFT << NotifyParam(int64_t{-1}) << 2
                                          << "4294967295 sites left";
    QTest::newRow("links queued") << WM_LINKS_QUEUED << NotifyParam(int64_t{250}) << 3
                                  << "250 links queued";
    QTest::newRow("links requested") << WM_LINKS_REQUESTED << NotifyParam(int64_t{7}) << 4
                                     << "7 links requested";
}

void CMainFrameTest::PanesFollowTheMessages() {
    QFETCH(unsigned, message);
    QFETCH(NotifyParam, lParam);
    QFETCH(int, pane);
    QFETCH(QString, text);
    SendFromWorker(m_pFrame->Target(), message, 0, lParam);
    QVERIFY(WaitForPane(*m_pFrame, pane, text));
    QCOMPARE(m_pFrame->PaneText(pane), text);
}

void CMainFrameTest::StatePaneFitsSeeking() {
    m_pFrame->Target().Send(WM_TASK_STATE, 0, std::string("Seeking..."));
    QLabel* pane = nullptr;
    for (QLabel* label : m_pFrame->findChildren<QLabel*>()) {
        pane = label->text() == QStringLiteral("Seeking...") ? label : pane;
    }
    QVERIFY(pane != nullptr);
    QVERIFY2(pane->sizeHint().width() <= pane->width(), "the state's text is clipped");
}

void CMainFrameTest::ThreadRowsFollowTheMessages() {
    INotifyTarget& bar = m_pFrame->ThreadBarTarget();
    const CTaskEvents* events = &m_pFrame->Events();
    const auto rowShows = [this](int row, const QString& text) {
        return [this, row, text] { return m_pFrame->ThreadRowText(row) == text; };
    };
    const std::string reading = "Reading web page: http://a.example/    512bytes( 50% )";
    SendFromWorker(bar, WM_THREAD_STATUS, 3 * 256 + PHASE_READ, reading);
    QVERIFY(WaitForSignalUntil(events, &CTaskEvents::ThreadStatusChanged,
                               rowShows(3, QString::fromStdString(reading))));
    QCOMPARE(m_pFrame->ThreadRowText(3), QString::fromStdString(reading));
    QCOMPARE(m_pFrame->ThreadRowPhase(3), int(PHASE_READ));
    QCOMPARE(m_pFrame->ThreadList()->topLevelItem(3)->data(1, Qt::AccessibleTextRole).toString(),
             QString::fromStdString("Thread 4: " + reading));
    // Only the slot's low eight bits count.
    SendFromWorker(bar, WM_THREAD_STATUS, (256 + 14) * 256 + PHASE_PARSE,
                   std::string("Parsing web page: http://a.example/"));
    QVERIFY(WaitForSignalUntil(events, &CTaskEvents::ThreadStatusChanged,
                               [this] { return m_pFrame->ThreadRowPhase(14) == PHASE_PARSE; }));
    QCOMPARE(m_pFrame->ThreadRowPhase(14), int(PHASE_PARSE));

    // Hidden and shown again, the rows keep their texts.
    m_pFrame->Action(ID_VIEW_THREAD_BAR)->trigger();
    m_pFrame->Action(ID_VIEW_THREAD_BAR)->trigger();
    QCOMPARE(m_pFrame->ThreadRowText(3), QString::fromStdString(reading));

    bar.Post(WM_THREADS_RESET, 0, int64_t{0});
    QVERIFY(
        WaitForSignalUntil(events, &CTaskEvents::ThreadsReset, rowShows(3, QStringLiteral("N/A"))));
    QCOMPARE(m_pFrame->ThreadRowText(3), QStringLiteral("N/A"));
    QCOMPARE(m_pFrame->ThreadRowPhase(14), 0);
}

void CMainFrameTest::PopupEnabling_data() {
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("bActive");
    QTest::addColumn<unsigned>("state");
    QTest::addColumn<bool>("bSiteMode");
    QTest::addColumn<int>("nextSite");
    QTest::addColumn<QString>("current");
    QTest::addColumn<bool>("bSlotCommands");
    QTest::addColumn<bool>("bSkip");
    // Two sites in the list; the range ends at 10.0.0.5.
    QTest::newRow("no row") << -1 << true << unsigned(IDS_STATE_SEEKING) << true << 1 << "a"
                            << false << true;
    QTest::newRow("idle slot") << 2 << false << unsigned(IDS_STATE_SEEKING) << true << 1 << "a"
                               << false << true;
    QTest::newRow("active slot") << 2 << true << unsigned(IDS_STATE_SEEKING) << true << 2 << "b"
                                 << true << false;
    QTest::newRow("paused") << 2 << true << unsigned(IDS_STATE_PAUSED) << true << 1 << "a" << true
                            << false;
    QTest::newRow("range left") << 0 << false << unsigned(IDS_STATE_SEEKING) << false << 0
                                << "10.0.0.1" << false << true;
    QTest::newRow("range ended") << 0 << false << unsigned(IDS_STATE_SEEKING) << false << 0
                                 << "10.0.0.5" << false << false;
}

void CMainFrameTest::PopupEnabling() {
    QFETCH(int, selected);
    QFETCH(bool, bActive);
    QFETCH(unsigned, state);
    QFETCH(bool, bSiteMode);
    QFETCH(int, nextSite);
    QFETCH(QString, current);
    QFETCH(bool, bSlotCommands);
    QFETCH(bool, bSkip);
    CTestDoc& doc = *m_pDoc;
    doc.m_bActive[2] = bActive;
    doc.m_nState = state;
    doc.m_bSiteMode = bSiteMode;
    doc.m_arrSites = {"a", "b"};
    doc.m_nNextSite = nextSite;
    doc.m_strCurrentSite = current.toStdString();
    doc.m_strEndAddress = "10.0.0.5";
    if (selected >= 0) {
        m_pFrame->ThreadList()->setCurrentItem(m_pFrame->ThreadList()->topLevelItem(selected));
    }
    m_pFrame->UpdateCommandUI();
    QCOMPARE(m_pFrame->Action(ID_THREAD_ABORT_RETRIEVAL)->isEnabled(), bSlotCommands);
    QCOMPARE(m_pFrame->Action(ID_THREAD_COPY_URL)->isEnabled(), bSlotCommands);
    QCOMPARE(m_pFrame->Action(ID_THREAD_SKIP_SITE)->isEnabled(), bSkip);
}

// The commands change with the signal that brings the change, before any
// timer could have run: a state sent on the GUI thread is signalled before
// Send returns, and a thread line's signal is followed in its own delivery.
void CMainFrameTest::CommandsFollowTheTaskAtOnce() {
    CQuobrixDoc& doc = *m_pDoc;
    doc.m_strCurrentSite = "a.example";
    QSignalSpy states(&m_pFrame->Events(), &CTaskEvents::StateChanged);
    doc.m_nState = IDS_STATE_SEEKING;
    m_pFrame->Target().Send(WM_TASK_STATE, 0, std::string("Seeking..."));
    QCOMPARE(states.count(), 1);
    QVERIFY(!m_pFrame->Action(ID_TASK_RUN)->isEnabled());
    QVERIFY(m_pFrame->Action(ID_TASK_ABORT)->isEnabled());
    QVERIFY(!m_pFrame->Action(ID_TASK_PAUSE)->isChecked());
    doc.m_nState = IDS_STATE_PAUSED;
    m_pFrame->Target().Send(WM_TASK_STATE, 0, std::string("Paused"));
    QCOMPARE(states.count(), 2);
    QVERIFY(m_pFrame->Action(ID_TASK_RUN)->isEnabled());
    QVERIFY(m_pFrame->Action(ID_TASK_PAUSE)->isChecked());

    doc.m_bActive[4] = true;
    m_pFrame->ThreadList()->setCurrentItem(m_pFrame->ThreadList()->topLevelItem(4));
    QVERIFY(m_pFrame->Action(ID_THREAD_COPY_URL)->isEnabled());
    QSignalSpy lines(&m_pFrame->Events(), &CTaskEvents::ThreadStatusChanged);
    doc.m_bActive[4] = false;
    m_pFrame->ThreadBarTarget().Send(WM_THREAD_STATUS, 4 * 256 + PHASE_ENDED, std::string("N/A"));
    QVERIFY(lines.wait(5000));
    QVERIFY(!m_pFrame->Action(ID_THREAD_COPY_URL)->isEnabled());
    QVERIFY(!m_pFrame->Action(ID_THREAD_ABORT_RETRIEVAL)->isEnabled());
}

void CMainFrameTest::CopyUrlPutsTheSlotsAddressOnTheClipboard() {
    m_pDoc->m_bActive[5] = true;
    m_pDoc->m_strUrl[5] = "http://a.example/docs/page.html";
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    m_pFrame->ThreadList()->setCurrentItem(m_pFrame->ThreadList()->topLevelItem(5));
    m_pFrame->OnCopyUrl();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("http://a.example/docs/page.html"));
}

void CMainFrameTest::FileErrorShowsTheSystemText() {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        icon = box->icon();
        box->accept();
    });
    m_pFrame->Target().Send(WM_FILE_ERROR, ENOSPC, std::string("/tasks/shop/a.example/x.html"));
    QCOMPARE(text, QStringLiteral("Can't create file: /tasks/shop/a.example/x.html\r\n") +
                       QString::fromLocal8Bit(strerror(ENOSPC)));
    QCOMPARE(icon, QMessageBox::Critical);
}

void CMainFrameTest::NavigationFromAWorkerReachesTheView() {
    QSignalSpy shown(m_pFrame->View(), &CQuobrixView::AddressShown);
    QSignalSpy completed(m_pFrame->View(), &CQuobrixView::PageCompleted);
    const std::string address = m_pDoc->LocalServerRoot() + "ResultPage0.html";
    SendFromWorker(m_pFrame->ViewTarget(), WM_NAVIGATE_VIEW, 0, address);
    QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty(), 20000);
    QCOMPARE(shown.first().first().toString(), QString::fromStdString(address));
    QTRY_VERIFY_WITH_TIMEOUT(!completed.isEmpty(), 20000);
}

void CMainFrameTest::EnterInTheAddressBarShowsTheAddress_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("bCtrl");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");  // after "http://127.0.0.1:PORT/"
    QTest::newRow("Enter") << int(Qt::Key_Return) << false << "127.0.0.1:9/p1.html"
                           << "http://127.0.0.1:9/p1.html";
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << false << "127.0.0.1:9/p2.html"
                                  << "http://127.0.0.1:9/p2.html";
    QTest::newRow("Ctrl+Enter: the stored copy") << int(Qt::Key_Return) << true
                                                 << "http://a.example/p3.html"
                                                 << "ROOT/a.example/p3.html";
}

void CMainFrameTest::EnterInTheAddressBarShowsTheAddress() {
    QFETCH(int, key);
    QFETCH(bool, bCtrl);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    shown.replace(QStringLiteral("ROOT/"), QString::fromStdString(m_pDoc->LocalServerRoot()));
    QSignalSpy navigations(m_pFrame->View(), &CQuobrixView::AddressShown);
    QSignalSpy completed(m_pFrame->View(), &CQuobrixView::PageCompleted);
    m_pFrame->AddressBox()->setEditText(QString());
    m_pFrame->activateWindow();
    QTest::keyClick(m_pFrame.get(), Qt::Key_D, Qt::AltModifier);
    // Keys go where the system sends them: to the focus widget (the box, not its field).
    QTRY_VERIFY(m_pFrame->AddressBox()->hasFocus());
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClicks(focus, typed);
    QCOMPARE(m_pFrame->AddressBox()->currentText(), typed);
    QTest::keyClick(focus, static_cast<Qt::Key>(key), bCtrl ? Qt::ControlModifier : Qt::NoModifier);
    QTRY_VERIFY_WITH_TIMEOUT(!navigations.isEmpty(), 20000);
    QCOMPARE(navigations.first().first().toString(), shown);
    QTRY_VERIFY_WITH_TIMEOUT(!completed.isEmpty(), 20000);
}

void CMainFrameTest::TabGoesFromTheAddressBarToTheThreadList() {
    CThreadList* list = m_pFrame->ThreadList();
    list->setCurrentItem(nullptr);
    m_pFrame->activateWindow();
    QTest::keyClick(m_pFrame.get(), Qt::Key_D, Qt::AltModifier);
    QTRY_VERIFY(m_pFrame->AddressBox()->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_VERIFY2(list->hasFocus(), QApplication::focusWidget()->metaObject()->className());
    // The row under the keyboard is shown, and the arrows move it.
    QCOMPARE(list->currentItem(), list->topLevelItem(0));
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentItem(), list->topLevelItem(1));
    QVERIFY(list->viewport()->rect().intersects(list->visualItemRect(list->currentItem())));
}

void CMainFrameTest::BusyDropsInputButNotDialogsOrNotifications() {
    QLineEdit* address = m_pFrame->AddressBox()->lineEdit();
    address->clear();
    m_pDoc->m_bStop = true;  // the task is stopping its workers
    m_pFrame->UpdateCommandUI();
    QVERIFY(QApplication::overrideCursor() != nullptr);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    // Compared with what the field held just before: a page that finished
    // loading meanwhile may have put its address there.
    QString before = address->text();
    QTest::keyClicks(address, "abc");
    QCOMPARE(address->text(), before);

    QDialog dialog(m_pFrame.get());
    auto* field = new QLineEdit(&dialog);
    dialog.show();
    QTest::keyClicks(field, "ok");
    QCOMPARE(field->text(), QStringLiteral("ok"));
    SendFromWorker(m_pFrame->Target(), WM_TASK_STATE, 0, std::string("Paused"));
    QVERIFY(WaitForPane(*m_pFrame, CMainFrame::PANE_STATE, QStringLiteral("Paused")));
    QCOMPARE(m_pFrame->PaneText(CMainFrame::PANE_STATE), QStringLiteral("Paused"));

    // The last worker has gone: the next update ends the busy state.
    m_pDoc->m_bStop = false;
    QTRY_VERIFY(QApplication::overrideCursor() == nullptr);
    before = address->text();
    QTest::keyClicks(address, "abc");
    QCOMPARE(address->text(), before + QStringLiteral("abc"));
}

void CMainFrameTest::TimerSavesAChangedTask() {
    const std::string path = m_dir / "timer.qbx";
    std::string error;
    QVERIFY(m_pDoc->OnSaveDocument(path, error));
    std::remove(path.c_str());
    m_pDoc->m_nAutoSaveMinutes = 1;
    m_pDoc->SetModifiedFlag();
    for (int second = 0; second < 59; ++second) {
        m_pFrame->OnTimer();
    }
    QVERIFY(!QFile::exists(QString::fromStdString(path)));
    m_pFrame->OnTimer();
    QVERIFY(QFile::exists(QString::fromStdString(path)));
    QVERIFY(!m_pDoc->IsModified());
    m_pDoc->m_nAutoSaveMinutes = 0;
}

void CMainFrameTest::PromptPaneNamesFailuresAndSumsUpTheRun() {
    FixtureServer server;
    server.Route("/", FixtureServer::Ok("<a href=\"/a.html\">a</a> <a href=\"/b.html\">b</a>"));
    server.Route("/a.html", FixtureServer::Status(404, "Not Found"));
    FixtureServer::Response silent;
    silent.silent = true;
    server.Route("/b.html", silent);
    CTestDoc& doc = *m_pDoc;
    doc.m_strTaskDir = m_dir.Path();
    doc.m_bSiteMode = true;
    doc.m_strStartAddress = server.HostPort() + "/";
    doc.m_strEndAddress = doc.m_strStartAddress;
    doc.m_strCurrentSite = server.HostPort();
    doc.m_hWndMainFrame = &m_pFrame->Target();
    doc.m_hWndThreadBar = &m_pFrame->ThreadBarTarget();
    doc.m_hWndView = &m_pFrame->ViewTarget();

    // A run over before its start reaches the panes still ends with its summary.
    const std::string refused = "127.0.0.1:" + std::to_string(ClosedPort());
    doc.m_strStartAddress = refused + "/";
    doc.m_strCurrentSite = refused;
    m_pFrame->OnTaskRun();
    QVERIFY(WaitForPane(*m_pFrame, CMainFrame::PANE_PROMPT,
                        QStringLiteral("No page was retrieved: 1 connection refused"), 20000));
    QCOMPARE(m_pFrame->PaneText(CMainFrame::PANE_PROMPT),
             QStringLiteral("No page was retrieved: 1 connection refused"));
    QTRY_VERIFY_WITH_TIMEOUT(doc.IsRunEnded(), 20000);
    doc.JoinWorkers();

    doc.m_strStartAddress = server.HostPort() + "/";
    doc.m_strCurrentSite = server.HostPort();
    m_pFrame->OnTaskRun();
    // While it runs: the newest page not retrieved; paused: the summary.
    const QString notRetrieved =
        "Not retrieved: " + QString::fromStdString(server.Url("/a.html")) + " (HTTP 404)";
    QVERIFY(WaitForPane(*m_pFrame, CMainFrame::PANE_PROMPT, notRetrieved, 20000));
    QCOMPARE(m_pFrame->PaneText(CMainFrame::PANE_PROMPT), notRetrieved);
    m_pFrame->OnTaskPause();
    QVERIFY(WaitForPane(*m_pFrame, CMainFrame::PANE_PROMPT,
                        QStringLiteral("1 page not retrieved: 1 HTTP 404"), 20000));
    QCOMPARE(m_pFrame->PaneText(CMainFrame::PANE_PROMPT),
             QStringLiteral("1 page not retrieved: 1 HTTP 404"));
    QTRY_VERIFY_WITH_TIMEOUT(doc.IsRunEnded(), 20000);
    doc.JoinWorkers();
    doc.m_hWndMainFrame = nullptr;
    doc.m_hWndThreadBar = nullptr;
    doc.m_hWndView = nullptr;
}

void CMainFrameTest::PagesNotRetrievedAreShownFromTheLocalServer() {
    CTestDoc& doc = *m_pDoc;
    QVERIFY(doc.StartLocalServer());
    doc.m_strTaskDir = m_dir.Path();
    doc.m_strCurrentSite = "a.example";
    WriteFileBytes(m_dir / "PagesNotRetrieved.txt",
                   "2026-05-01T12:00:00Z\trefused\thttp://a.example/x.html\n");
    QAction* command = m_pFrame->Action(ID_GO_NOT_RETRIEVED);
    QCOMPARE(command->text(), QStringLiteral("Pages &Not Retrieved"));
    QCOMPARE(command->statusTip(),
             QStringLiteral("Goes to the list of the pages that could not be retrieved"));
    m_pFrame->UpdateCommandUI();
    QVERIFY(command->isEnabled());

    QSignalSpy completed(m_pFrame->View(), &CQuobrixView::PageCompleted);
    command->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!completed.isEmpty(), 20000);
    QCOMPARE(m_pFrame->View()->url().toString(),
             QString::fromStdString(doc.LocalServerRoot() + "PagesNotRetrieved.html"));
    QTRY_COMPARE(m_pFrame->View()->title(), QStringLiteral("Pages Not Retrieved"));
    QString text;
    m_pFrame->View()->page()->toPlainText([&text](const QString& plain) { text = plain; });
    QTRY_VERIFY_WITH_TIMEOUT(!text.isEmpty(), 20000);
    QVERIFY2(text.contains(QStringLiteral("http://a.example/x.html")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("connection refused")), qPrintable(text));
    doc.StopLocalServer();
}

void CMainFrameTest::CloseRefusedWhileRunning() {
    m_pDoc->m_nState = IDS_STATE_SEEKING;
    QVERIFY(!m_pFrame->close());
    QVERIFY(m_pFrame->isVisible());
    QCOMPARE(m_prompts.m_arrMessages,
             std::vector<std::string>{"A search task is running, pause or stop it first."});
}

void CMainFrameTest::CloseLeavesPlacementAndBarsForTheNextStart() {
    m_pFrame->Action(ID_VIEW_THREAD_BAR)->trigger();  // hidden
    m_pFrame->Action(ID_VIEW_BROWSER_BUTTONS)->trigger();
    m_pFrame->Action(ID_VIEW_STATUS_BAR)->trigger();
    QVERIFY(m_pFrame->close());

    // Read from a copy, so that QSettings parses the file instead of
    // answering from what this process wrote.
    QVERIFY(QFile::copy(QString::fromStdString(m_dir / "Quobrix.ini"),
                        QString::fromStdString(m_dir / "copy.ini")));
    const QSettings store(QString::fromStdString(m_dir / "copy.ini"), QSettings::IniFormat);
    QCOMPARE(store.value("Placement/ShowCmd").toInt(), 3);  // it was shown maximised
    // The stored 600 pixels, or the window's least width when that is more.
    QCOMPARE(store.value("Placement/Right").toInt() - store.value("Placement/Left").toInt(),
             std::max(600, m_pFrame->minimumWidth()));
    QVERIFY(!store.value("Toolbar/State").toByteArray().isEmpty());

    CMainFrame next(*m_pDoc, *m_pApp, m_prompts);
    next.ShowFirstTime();
    next.UpdateCommandUI();
    QVERIFY(!next.Action(ID_VIEW_THREAD_BAR)->isChecked());
    QVERIFY(!next.Action(ID_VIEW_BROWSER_BUTTONS)->isChecked());
    QVERIFY(!next.Action(ID_VIEW_STATUS_BAR)->isChecked());
    QVERIFY(next.Action(ID_VIEW_ADDRESS_BAR)->isChecked());
}

QTEST_MAIN(CMainFrameTest)
#include "MainFrameTest.moc"
