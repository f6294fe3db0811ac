// The program's start-up and application commands, driven as a user would
// start it: a settings store, a task file on the command line; and the pure
// pieces start-up uses (font heights, the recent-file list).
#include <QAction>
#include <QDockWidget>
#include <QScreen>
#include <QDir>
#include <QFontDatabase>
#include <QSettings>
#include <QtTest>

#include "common/StringTable.h"
#include "support/TempDir.h"
#include "task/QuobrixDoc.h"
#include "ui/DesktopApp.h"
#include "ui/MainFrame.h"
#include "ui/RecentFileList.h"
#include "ui/SharedFonts.h"
#include "ScriptedPrompts.h"

namespace {
CNewTaskRecord ShopRecord() {
    CNewTaskRecord record;
    record.m_strStartAddress = "shop.example/";
    record.m_strEndAddress = record.m_strStartAddress;
    record.m_strKeywords = "apple";
    return record;
}

// A task saved while paused, with two links waiting and four requested.
void WritePausedTask(const std::string& path) {
    CQuobrixDoc doc;
    std::string error;
    QVERIFY(doc.CreateNewTask(ShopRecord(), path, 65280, error));
    doc.m_arrUrls = {"http://shop.example/", "http://shop.example/a", "http://shop.example/b"};
    doc.m_nNextUrl = 1;
    doc.m_nRequested[0] = 4;
    doc.m_nState = IDS_STATE_PAUSED;
    QVERIFY(doc.OnSaveDocument(path, error));
}
}  // namespace

class CStartupTest : public QObject {
    Q_OBJECT
private slots:
    void TaskOnTheCommandLineShowsItsStateAtOnce();
    void ApplicationCommands();
    void AFloatedThreadBarComesBackOnAScreen();
    void FontHeights_data();
    void FontHeights();
    void MissingFaceFallsBackToSansSerif();
    void RecentFilesKeepSixNewestFirst();
};

void CStartupTest::TaskOnTheCommandLineShowsItsStateAtOnce() {
    TempDir dir;
    const std::string path = dir / "shop.qbx";
    WritePausedTask(path);
    CDesktopApp app(dir / "Quobrix.ini", path);
    QVERIFY(app.Start());
    CMainFrame& frame = *app.MainFrame();

    QCOMPARE(frame.PaneText(CMainFrame::PANE_STATE), QStringLiteral("Paused"));
    QCOMPARE(frame.PaneText(CMainFrame::PANE_LINKS_QUEUED), QStringLiteral("2 links queued"));
    QCOMPARE(frame.PaneText(CMainFrame::PANE_LINKS_REQUESTED), QStringLiteral("4 links requested"));
    QCOMPARE(frame.PaneText(CMainFrame::PANE_SITES_LEFT),
             QString::fromStdString(FormatString(IDS_SITES_LEFT, {int64_t{app.Doc().SitesLeft()}})));
    QCOMPARE(frame.windowTitle(), QStringLiteral("shop - Quobrix"));
    QVERIFY(frame.Action(ID_TASK_RUN)->isEnabled());  // a paused task resumes
    QCOMPARE(app.RecentFiles().Files(), QStringList{QString::fromStdString(path)});

    // Every option is in the store after the first start; the placement only
    // once the window has closed.
    const QSettings store(QString::fromStdString(dir / "Quobrix.ini"), QSettings::IniFormat);
    QCOMPARE(store.value("Font/NormalSize").toInt(), 8);
    QCOMPARE(store.value("Agent/ID").toString(),
             QStringLiteral("Mozilla/4.0 (compatible; MSIE 5.0; Windows 98)"));
    QVERIFY(!store.contains("Placement/Left"));
}

void CStartupTest::ApplicationCommands() {
    TempDir dir;
    CDesktopApp app(dir / "Quobrix.ini", "");
    QVERIFY(app.Start());
    CScriptedPrompts prompts;
    app.SetPrompts(prompts);
    CMainFrame& frame = *app.MainFrame();
    QCOMPARE(frame.windowTitle(), QStringLiteral("Untitled - Quobrix"));

    // A new task handed over is saved, and marked changed so that the window
    // offers to save it again.
    const std::string path = dir / "new.qbx";
    QVERIFY(app.CreateTask(ShopRecord(), path));
    QVERIFY(app.Doc().IsModified());
    QCOMPARE(app.Doc().m_nAutoSaveMinutes.Load(), 3);
    QCOMPARE(frame.windowTitle(), QStringLiteral("new - Quobrix"));
    QCOMPARE(app.RecentFiles().Files().value(0), QString::fromStdString(path));

    // Exit is refused while the task runs, with the task's message.
    app.Doc().m_nState = IDS_STATE_SEEKING;
    app.OnAppExit();
    QVERIFY(frame.isVisible());
    QCOMPARE(prompts.m_arrMessages,
             std::vector<std::string>{"A search task is running, pause or stop it first."});
    app.Doc().m_nState = IDS_STATE_IDLE;

    // A file that cannot be read leaves the recent-file list.
    const std::string damaged = dir / "damaged.qbx";
    QFile file(QString::fromStdString(damaged));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a task");
    file.close();
    QVERIFY(app.OpenDocumentFile(path));  // the task was not saved again: "No" to the prompt
    QVERIFY(!app.OpenDocumentFile(damaged));
    QCOMPARE(prompts.m_arrMessages.back(), std::string("Unexpected file format."));
    QVERIFY(!app.RecentFiles().Files().contains(QString::fromStdString(damaged)));
}

// The thread bar floated (a double click on its title), the window closed:
// the next start builds the window whole before the bar's state comes back,
// and a bar left where no screen is lands on one.
void CStartupTest::AFloatedThreadBarComesBackOnAScreen() {
    TempDir dir;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const QPoint place : {screen.topLeft() + QPoint(50, 50), QPoint(-30000, -30000)}) {
        {
            CDesktopApp app(dir / "Quobrix.ini", "");
            QVERIFY(app.Start());
            auto* bar = app.MainFrame()->findChild<QDockWidget*>(QStringLiteral("ThreadBar"));
            QVERIFY(bar != nullptr);
            bar->setFloating(true);
            bar->move(place);
            QVERIFY(app.MainFrame()->close());
        }
        CDesktopApp app(dir / "Quobrix.ini", "");
        QVERIFY(app.Start());
        auto* bar = app.MainFrame()->findChild<QDockWidget*>(QStringLiteral("ThreadBar"));
        QTRY_VERIFY(bar->isFloating() && bar->isVisible());
        QVERIFY2(screen.intersects(bar->frameGeometry()),
                 qPrintable(QStringLiteral("bar at %1,%2").arg(bar->x()).arg(bar->y())));
        QVERIFY(app.MainFrame()->Action(ID_VIEW_THREAD_BAR)->isChecked());
        QVERIFY(app.MainFrame()->close());
    }
}

void CStartupTest::FontHeights_data() {
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("pixels");
    QTest::newRow("normal at 96") << 8 << 96 << 11;
    QTest::newRow("title at 96") << 16 << 96 << 21;
    QTest::newRow("half rounds up") << 9 << 100 << 13;  // 12.5
    QTest::newRow("at 120") << 10 << 120 << 17;
    QTest::newRow("negative") << -8 << 96 << -11;
}

void CStartupTest::FontHeights() {
    QFETCH(int, points);
    QFETCH(int, dpi);
    QFETCH(int, pixels);
    QCOMPARE(FontPixelHeight(points, dpi), pixels);
}

void CStartupTest::MissingFaceFallsBackToSansSerif() {
    const QFont title = CreateSharedFont("No Such Face Quobrix", 16, true, 96);
    QCOMPARE(title.family(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    QCOMPARE(title.pixelSize(), 21);
    QCOMPARE(title.weight(), QFont::Bold);
    const QString installed = QFontDatabase::families().value(0);
    QCOMPARE(CreateSharedFont(installed.toStdString(), 8, false, 96).family(), installed);
}

void CStartupTest::RecentFilesKeepSixNewestFirst() {
    TempDir dir;
    CRecentFileList list;
    for (int number = 1; number <= 7; ++number) {
        list.Add(QString::fromLatin1("/tasks/t%1.qbx").arg(number));
    }
    list.Add(QStringLiteral("/tasks/t4.qbx"));
    QCOMPARE(list.Files(), (QStringList{"/tasks/t4.qbx", "/tasks/t7.qbx", "/tasks/t6.qbx",
                                        "/tasks/t5.qbx", "/tasks/t3.qbx", "/tasks/t2.qbx"}));
    list.Add(QDir::homePath() + QStringLiteral("/tasks/fish&chips.qbx"));
    QCOMPARE(list.MenuText(0), QStringLiteral("&1 ~/tasks/fish&&chips.qbx"));

    const QString store = QString::fromStdString(dir / "Quobrix.ini");
    list.Save(store);
    CRecentFileList loaded;
    loaded.Load(store);
    QCOMPARE(loaded.Files(), list.Files());
    QCOMPARE(QSettings(store, QSettings::IniFormat).value("Recent File List/File2").toString(),
             QStringLiteral("/tasks/t4.qbx"));
}

QTEST_MAIN(CStartupTest)
#include "StartupTest.moc"
