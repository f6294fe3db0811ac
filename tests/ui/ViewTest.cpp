#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QtTest>

#include <filesystem>
#include <thread>

#include "ModalDialog.h"
#include "app/QuobrixApp.h"
#include "app/SettingsStore.h"
#include "common/FileUtil.h"
#include "common/Messages.h"
#include "results/ResultRow.h"
#include "support/FixtureServer.h"
#include "support/TempDir.h"
#include "support/TestDoc.h"
#include "ui/GoToOfflineDlg.h"
#include "ui/GoToResultDlg.h"
#include "ui/QuobrixView.h"
#include "ui/ViewAddress.h"
#include "ui/ViewPolicy.h"

namespace {

int StoredTextSize(const std::string& strStorePath) {
    CAppOptions options;
    options.m_nTextSize = -1;
    CSettingsStore(strStorePath).LoadOptions(options);
    return options.m_nTextSize;
}

// Confirms the next go-to dialog with strText in its field.
template <typename T>
void AnswerGoTo(const QString& strText) {
    WhenModal<T>([strText](T* pDlg) {
        pDlg->Field()->setText(strText);
        pDlg->template findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
}

// Counts every dialog that comes up and closes it, so that a page that loops
// over alert() fails the test instead of holding it.
class CDialogCounter : public QObject {
public:
    CDialogCounter() {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            for (QWidget* pWidget : QApplication::topLevelWidgets()) {
                if (auto* pDialog = qobject_cast<QDialog*>(pWidget);
                    pDialog && pDialog->isVisible()) {
                    m_arrTitles << pDialog->windowTitle();
                    pDialog->reject();
                }
            }
        });
        m_timer.start(10);
    }
    QStringList m_arrTitles;

private:
    QTimer m_timer;
};

// Where ClickUntil clicks: a link of a page fills its top left corner.
const char kCorner[] = "style=\"position:absolute;left:0;top:0;width:300px;height:200px\"";

// Clicks the top left corner of the page like a user until bDone, at most 20 times.
bool ClickUntil(CQuobrixView& view, const std::function<bool()>& bDone) {
    for (int nTry = 0; nTry < 20; ++nTry) {
        QTest::mouseClick(view.focusProxy(), Qt::LeftButton, {}, QPoint(20, 20));
        if (QTest::qWaitFor(bDone, 1000)) {
            return true;
        }
    }
    return false;
}

// What a server was asked for besides the expected targets and the page icon.
QStringList RequestedBesides(const FixtureServer& server, QStringList expected) {
    expected << QStringLiteral("/favicon.ico");
    QStringList targets;
    for (const FixtureServer::Request& request : server.Requests()) {
        if (!expected.contains(QString::fromStdString(request.target))) {
            targets << QString::fromStdString(request.target);
        }
    }
    return targets;
}

QUrl At(const FixtureServer& server, const std::string& strPath) {
    return QUrl(QString::fromStdString(server.Url(strPath)));
}

}  // namespace

class CViewTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void SizeButtonCyclesWithoutWriting();
    void TextSizeCommandWritesAtOnce();
    void SavedSizeOnlyMarksTheMenu();
    void ResultPageNumberStopsAtThePageWritten_data();
    void ResultPageNumberStopsAtThePageWritten();
    void OfflinePresetNamesAScheme_data();
    void OfflinePresetNamesAScheme();
    void GoToDialogsNavigateOnTheLocalServer_data();
    void GoToDialogsNavigateOnTheLocalServer();
    void HomeNeedsAStartAddress();
    void HistoryEnablesBackAndForward();
    void PagesKeepToTheirPlaces_data();
    void PagesKeepToTheirPlaces();
    void StoredCopyStaysUntilTheUserClicks();
    void LivePageGetsNoDialogsPermissionsOrDownloads();
    void ResultRowsShowInUtf8AndLeadToTheirOwnSites();

private:
    std::unique_ptr<TempDir> m_pDir;
    std::unique_ptr<CQuobrixApp> m_pApp;
    std::unique_ptr<CTestDoc> m_pDoc;
};

void CViewTest::init() {
    m_pDir = std::make_unique<TempDir>();
    m_pApp = std::make_unique<CQuobrixApp>(*m_pDir / "Quobrix.ini");
    m_pApp->LoadOptions();
    m_pDoc = std::make_unique<CTestDoc>();
    QVERIFY(m_pDoc->StartLocalServer());
}

void CViewTest::cleanup() {
    m_pDoc.reset();
    m_pApp.reset();
    m_pDir.reset();
}

void CViewTest::SizeButtonCyclesWithoutWriting() {
    m_pApp->SetTextSize(2);
    CQuobrixView view(*m_pDoc, *m_pApp);
    QList<int> sizes;
    QList<qreal> zooms;
    for (int nPress = 0; nPress < 5; ++nPress) {
        view.OnTextSizeCycle();
        sizes << view.TextSize();
        zooms << view.zoomFactor();
        QCOMPARE(StoredTextSize(m_pApp->Store().Path()), 2);
    }
    // Larger, Largest, Smallest, Smaller, Medium.
    QCOMPARE(sizes, QList<int>({3, 4, 0, 1, 2}));
    QVERIFY(zooms[2] < zooms[3] && zooms[3] < zooms[4] && zooms[4] < zooms[0] &&
            zooms[0] < zooms[1]);
    QCOMPARE(zooms[4], 1.0);
}

void CViewTest::TextSizeCommandWritesAtOnce() {
    CQuobrixView view(*m_pDoc, *m_pApp);
    view.OnTextSize(4);
    QCOMPARE(StoredTextSize(m_pApp->Store().Path()), 4);
    QCOMPARE(view.TextSize(), 4);
    QVERIFY(view.zoomFactor() > 1.0);
    view.OnTextSize(0);
    QCOMPARE(StoredTextSize(m_pApp->Store().Path()), 0);
    QVERIFY(view.zoomFactor() < 1.0);
}

void CViewTest::SavedSizeOnlyMarksTheMenu() {
    m_pApp->SetTextSize(0);
    CQuobrixView view(*m_pDoc, *m_pApp);
    QCOMPARE(view.TextSize(), 0);
    QCOMPARE(view.zoomFactor(), 1.0);
}

void CViewTest::ResultPageNumberStopsAtThePageWritten_data() {
    QTest::addColumn<uint>("nEntered");
    QTest::addColumn<int>("nResultPage");
    QTest::addColumn<int>("nExpected");
    QTest::newRow("beyond the last") << 10u << 3 << 3;
    QTest::newRow("the first") << 0u << 3 << 0;
    QTest::newRow("before the last") << 2u << 3 << 2;
    QTest::newRow("the last") << 3u << 3 << 3;
    QTest::newRow("only one page") << 4000000000u << 0 << 0;
}

void CViewTest::ResultPageNumberStopsAtThePageWritten() {
    QFETCH(uint, nEntered);
    QFETCH(int, nResultPage);
    QFETCH(int, nExpected);
    QCOMPARE(ChooseResultPage(nEntered, nResultPage), nExpected);
}

void CViewTest::OfflinePresetNamesAScheme_data() {
    QTest::addColumn<QString>("strStart");
    QTest::addColumn<QString>("strPreset");
    QTest::newRow("bare host") << "example.com"
                               << "http://example.com";
    QTest::newRow("with a scheme") << "https://example.com/a/"
                                   << "https://example.com/a/";
    QTest::newRow("empty") << ""
                           << "http://";
}

void CViewTest::OfflinePresetNamesAScheme() {
    QFETCH(QString, strStart);
    QFETCH(QString, strPreset);
    QCOMPARE(QString::fromStdString(OfflineDialogPreset(strStart.toStdString())), strPreset);
}

void CViewTest::GoToDialogsNavigateOnTheLocalServer_data() {
    QTest::addColumn<bool>("bResultPage");
    QTest::addColumn<QString>("strEntered");
    QTest::addColumn<QString>("strAddress");

    QTest::newRow("page beyond the last") << true << "10"
                                          << "http://127.0.0.1:%1/ResultPage3.html";
    QTest::newRow("first page") << true << "0"
                                << "http://127.0.0.1:%1/ResultPage0.html";
    QTest::newRow("bare host") << false << "http://example.com"
                               << "http://127.0.0.1:%1/example.com/index.html";
    QTest::newRow("folder") << false << "example.com/docs/"
                            << "http://127.0.0.1:%1/example.com/docs/index.html";
    QTest::newRow("file name") << false << "http://example.com/docs/a.html"
                               << "http://127.0.0.1:%1/example.com/docs/a.html";
    QTest::newRow("another port") << false << "http://127.0.0.3:18085/a.html"
                                  << "http://127.0.0.1:%1/127.0.0.3:18085/a.html";
    QTest::newRow("the default port") << false << "http://example.com:80/docs/"
                                      << "http://127.0.0.1:%1/example.com/docs/index.html";
}

// The address shows before the page loads; the task's own server answers.
void CViewTest::GoToDialogsNavigateOnTheLocalServer() {
    QFETCH(bool, bResultPage);
    QFETCH(QString, strEntered);
    QFETCH(QString, strAddress);

    m_pDoc->m_nResultPage = 3;
    m_pDoc->m_strStartAddress = "example.com";
    CQuobrixView view(*m_pDoc, *m_pApp);
    QSignalSpy shown(&view, &CQuobrixView::AddressShown);
    if (bResultPage) {
        AnswerGoTo<CGoToResultDlg>(strEntered);
        view.OnGoResultPage();
    } else {
        AnswerGoTo<CGoToOfflineDlg>(strEntered);
        view.OnGoOfflinePage();
    }
    QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty(), 20000);
    QCOMPARE(shown.first().first().toString(), strAddress.arg(m_pDoc->m_nServerPort));
}

void CViewTest::HomeNeedsAStartAddress() {
    CQuobrixView view(*m_pDoc, *m_pApp);
    QSignalSpy shown(&view, &CQuobrixView::AddressShown);
    view.OnGoHome();
    const QString strRoot = QString::fromStdString(m_pDoc->LocalServerRoot());
    view.Navigate(strRoot + "ResultPage1.html");
    QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty(), 20000);
    QCOMPARE(shown.first().first().toString(), strRoot + "ResultPage1.html");

    shown.clear();
    m_pDoc->m_strStartAddress = "example.com";
    view.OnGoHome();
    QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty(), 20000);
    QCOMPARE(shown.first().first().toString(), strRoot);
}

// The task has no results yet, so every page is the server's 404 page.
void CViewTest::HistoryEnablesBackAndForward() {
    CQuobrixView view(*m_pDoc, *m_pApp);
    QSignalSpy completed(&view, &CQuobrixView::PageCompleted);
    QSignalSpy titles(&view, &CQuobrixView::TitleShown);
    const QString strRoot = QString::fromStdString(m_pDoc->LocalServerRoot());
    QVERIFY(!view.CanGoBack() && !view.CanGoForward());

    view.Navigate(strRoot + "ResultPage0.html");
    QTRY_COMPARE_WITH_TIMEOUT(completed.count(), 1, 20000);
    QCOMPARE(completed.last().first().toString(), strRoot + "ResultPage0.html");
    QTRY_VERIFY_WITH_TIMEOUT(!titles.isEmpty() && titles.last().first() == "HTTP 404 Not Found",
                             20000);
    QVERIFY(!view.CanGoBack());

    view.Navigate(strRoot + "ResultPage1.html");
    QTRY_COMPARE_WITH_TIMEOUT(completed.count(), 2, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(view.CanGoBack() && !view.CanGoForward(), 20000);

    view.OnGoBack();
    QTRY_COMPARE_WITH_TIMEOUT(completed.count(), 3, 20000);
    QCOMPARE(completed.last().first().toString(), strRoot + "ResultPage0.html");
    QTRY_VERIFY_WITH_TIMEOUT(!view.CanGoBack() && view.CanGoForward(), 20000);

    // A new task: nothing shown, and no way back to the task before.
    view.ShowNothing();
    QTRY_VERIFY_WITH_TIMEOUT(view.url() == QUrl("about:blank") && !view.CanGoBack() &&
                                 !view.CanGoForward(),
                             20000);
    QCOMPARE(completed.count(), 3);
}

void CViewTest::PagesKeepToTheirPlaces_data() {
    QTest::addColumn<bool>("bNewWindow");
    QTest::addColumn<QString>("strTo");
    QTest::addColumn<int>("nType");
    QTest::addColumn<QString>("strFrom");
    QTest::addColumn<bool>("bUserInput");
    QTest::addColumn<bool>("bGoes");
    const QString local = QStringLiteral("http://127.0.0.1:4000/host/a.html");
    const QString live = QStringLiteral("http://example.com/");
    const QString manual = QStringLiteral("file:///opt/quobrix/UserManual/tutorial.html");
    const int link = QWebEnginePage::NavigationTypeLinkClicked;
    const int redirect = QWebEnginePage::NavigationTypeRedirect;
    QTest::newRow("typed data") << false << "data:text/html,x"
                                << int(QWebEnginePage::NavigationTypeTyped) << local << false
                                << true;
    QTest::newRow("the manual") << false << manual << int(QWebEnginePage::NavigationTypeTyped)
                                << local << false << true;
    QTest::newRow("back to live") << false << live << int(QWebEnginePage::NavigationTypeBackForward)
                                  << local << false << true;
    QTest::newRow("clicked data") << false << "data:text/html,x" << link << live << true << false;
    QTest::newRow("script to file")
        << false << "file:///etc/passwd" << link << live << true << false;
    QTest::newRow("javascript") << false << "javascript:alert(1)"
                                << int(QWebEnginePage::NavigationTypeOther) << live << true
                                << false;
    QTest::newRow("within the manual") << false << manual + "2" << link << manual << true << true;
    QTest::newRow("local, no input") << false << live << link << local << false << false;
    QTest::newRow("local, clicked") << false << live << link << local << true << true;
    QTest::newRow("local form, no input")
        << false << live << int(QWebEnginePage::NavigationTypeFormSubmitted) << local << false
        << false;
    QTest::newRow("local refresh") << false << live << redirect << local << false << false;
    QTest::newRow("local to blank") << false << "about:blank" << link << local << false << false;
    QTest::newRow("within the server")
        << false << "http://127.0.0.1:4000/b.html" << link << local << false << true;
    QTest::newRow("another port") << false << "http://127.0.0.1:4001/" << link << local << false
                                  << false;
    QTest::newRow("live to live") << false << live + "b" << redirect << live << false << true;
    QTest::newRow("window, clicked http") << true << live << 0 << "" << true << true;
    QTest::newRow("window, clicked https")
        << true << "https://example.com/" << 0 << "" << true << true;
    QTest::newRow("window by script") << true << live << 0 << "" << false << false;
    for (const char* pAddress :
         {"data:text/html,x", "javascript:alert(1)", "about:blank", "file:///"}) {
        QTest::newRow(pAddress) << true << pAddress << 0 << "" << true << false;
    }
}

void CViewTest::PagesKeepToTheirPlaces() {
    QFETCH(bool, bNewWindow);
    QFETCH(QString, strTo);
    QFETCH(int, nType);
    QFETCH(QString, strFrom);
    QFETCH(bool, bUserInput);
    QFETCH(bool, bGoes);
    const QUrl urlRoot(QStringLiteral("http://127.0.0.1:4000/"));
    const bool bWent = bNewWindow
                           ? MayOpenInView(QUrl(strTo), bUserInput)
                           : MayPageNavigate(QUrl(strTo), QWebEnginePage::NavigationType(nType),
                                             QUrl(strFrom), urlRoot, bUserInput);
    QCOMPARE(bWent, bGoes);
}

// A stored copy tries every way out on its own; only the user's click leaves,
// and the live site's redirect is followed then.
void CViewTest::StoredCopyStaysUntilTheUserClicks() {
    FixtureServer live("127.0.0.2");
    live.SetDefault(FixtureServer::Ok("<html><body>live</body></html>"));
    live.Route("/clicked",
               FixtureServer::Status(301, "Moved Permanently", "Location: /landed\r\n"));
    m_pDoc->m_strTaskDir = *m_pDir / "task/";
    const std::string strPath = m_pDoc->UrlToLocalPath("http://hostile.example/page.html");
    MakeDirectoriesAlong(strPath);
    WriteFileBytes(strPath + ".Quobrix", "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n");
    // %1 is the live site, "http://127.0.0.2:PORT".
    const QString strPage = QStringLiteral(
        "<html><head><meta http-equiv=\"refresh\" content=\"0; url=%1/refresh\"></head>"
        "<body><a href=\"%1/clicked\" %2>link</a><script>"
        "window.open('data:text/html,popup'); window.open('%1/popup');"
        "location.assign('data:text/html,moved');"
        "setTimeout(function () { location.assign('%1/moved');"
        "  setTimeout(function () { document.title = 'done'; }, 300); }, 100);"
        "</script></body></html>");
    WriteFileBytes(strPath,
                   strPage.arg(QString::fromStdString(live.Url("")), kCorner).toStdString());
    const QUrl urlStored(QString::fromStdString(m_pDoc->LocalServerRoot()) +
                         "hostile.example/page.html");

    CDialogCounter dialogs;
    CQuobrixView view(*m_pDoc, *m_pApp);
    view.resize(640, 480);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.Navigate(urlStored.toString());
    QTRY_COMPARE_WITH_TIMEOUT(view.title(), QStringLiteral("done"), 20000);
    QCOMPARE(view.url(), urlStored);

    QVERIFY(ClickUntil(view, [&] { return view.url() == At(live, "/landed"); }));
    QCOMPARE(RequestedBesides(live, {"/clicked", "/landed"}), QStringList());
    QCOMPARE(dialogs.m_arrTitles, QStringList());
}

// A live page's alerts, questions, permission and download requests get no
// dialog and no answer but "no"; the user's click on its link for a new
// window opens in the view, past its before-unload question.
void CViewTest::LivePageGetsNoDialogsPermissionsOrDownloads() {
    FixtureServer site;
    FixtureServer other("127.0.0.2");
    other.SetDefault(FixtureServer::Ok("<html><body>other</body></html>"));
    site.Route("/secret", FixtureServer::Status(401, "Unauthorized",
                                                "WWW-Authenticate: Basic realm=\"site\"\r\n"));
    FixtureServer::Response file;
    file.bytes =
        "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n"
        "Content-Disposition: attachment; filename=\"file.bin\"\r\n\r\nbytes";
    site.Route("/file.bin", file);
    // %1 is the other site, "http://127.0.0.2:PORT".
    const QString strPage = QStringLiteral(
        "<html><body><a href=\"%1/clicked\" target=\"_blank\" %2>link</a><script>"
        "window.open('data:text/html,popup'); window.open('%1/popup');"
        "onbeforeunload = function (e) { e.preventDefault(); return 'stay'; };"
        "for (var i = 0; i != 50; ++i) { alert(i); }"
        "var said = 'c=' + confirm('sure?') + ' p=' + prompt('name?', 'x');"
        "var a = document.createElement('a'); a.href = '/file.bin'; a.download = 'file.bin';"
        "document.body.appendChild(a); a.click();"
        "Promise.all([Notification.requestPermission(), new Promise(function (done) {"
        "  navigator.geolocation.getCurrentPosition(function () { done('granted'); },"
        "    function (e) { done(e.code); }); })])"
        ".then(function (got) { document.title = said + ' n=' + got[0] + ' g=' + got[1]; });"
        "</script></body></html>");
    site.Route("/hostile",
               FixtureServer::Ok(
                   strPage.arg(QString::fromStdString(other.Url("")), kCorner).toStdString()));

    CDialogCounter dialogs;
    CQuobrixView view(*m_pDoc, *m_pApp);
    const std::string strDownloads = *m_pDir / "downloads";
    std::filesystem::create_directory(strDownloads);
    view.page()->profile()->setDownloadPath(QString::fromStdString(strDownloads));
    QList<QWebEngineDownloadRequest::DownloadState> downloads;
    connect(view.page()->profile(), &QWebEngineProfile::downloadRequested, this,
            [&](QWebEngineDownloadRequest* pDownload) { downloads << pDownload->state(); });
    QSignalSpy completed(&view, &CQuobrixView::PageCompleted);
    view.resize(640, 480);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    view.Navigate(At(site, "/secret").toString());
    QTRY_COMPARE_WITH_TIMEOUT(completed.count(), 1, 20000);
    view.Navigate(At(site, "/hostile").toString());
    // A page of the Cancel button, no prompt answer, and refusals (geolocation's 1).
    QTRY_COMPARE_WITH_TIMEOUT(view.title(), QStringLiteral("c=false p=null n=denied g=1"), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(downloads.count(), 1, 20000);
    // Refused when asked: no file could be written.
    QCOMPARE(downloads.first(), QWebEngineDownloadRequest::DownloadCancelled);

    // The click gives the page the user's activation, which its
    // before-unload question needs.
    QVERIFY(ClickUntil(view, [&] { return view.url() == At(other, "/clicked"); }));
    QCOMPARE(RequestedBesides(other, {"/clicked"}), QStringList());
    QCOMPARE(dialogs.m_arrTitles, QStringList());
    QVERIFY(std::filesystem::is_empty(strDownloads));
}

// A row of a site on another port: its title in UTF-8 shows as written, and
// its local link, as the view reads it, leads to that site's stored copy.
void CViewTest::ResultRowsShowInUtf8AndLeadToTheirOwnSites() {
    m_pDoc->m_strTaskDir = *m_pDir / "task/";
    const std::string strUrl = "http://127.0.0.3:18085/a.html";
    const std::string strStored = m_pDoc->UrlToLocalPath(strUrl);
    MakeDirectoriesAlong(strStored);
    WriteFileBytes(strStored, "<html><body>the copy of 18085</body></html>");
    const QString strTitle = QStringLiteral("Gr\u00FC\u00DFe aus Z\u00FCrich");
    WriteFileBytes(m_pDoc->m_strTaskDir + "ResultPage0.html",
                   BuildResultRow(strUrl, ResultLocalLink(strStored, m_pDoc->m_strTaskDir), 3,
                                  strTitle.toStdString(), "abstract"));
    CQuobrixView view(*m_pDoc, *m_pApp);
    QSignalSpy completed(&view, &CQuobrixView::PageCompleted);
    const QString strRoot = QString::fromStdString(m_pDoc->LocalServerRoot());
    view.Navigate(strRoot);
    QTRY_COMPARE_WITH_TIMEOUT(completed.count(), 1, 20000);

    QString strText;
    view.page()->toPlainText([&](const QString& text) { strText = text; });
    QTRY_VERIFY_WITH_TIMEOUT(!strText.isEmpty(), 20000);
    QVERIFY2(strText.contains(strTitle), qPrintable(strText));
    QString strLink;
    view.page()->runJavaScript(
        QStringLiteral("document.querySelector('img[src=\"local.jpg\"]').parentNode.href"),
        [&](const QVariant& link) { strLink = link.toString(); });
    QTRY_VERIFY_WITH_TIMEOUT(!strLink.isEmpty(), 20000);
    QCOMPARE(strLink, strRoot + "127.0.0.3:18085/a.html");

    view.Navigate(strLink);
    QTRY_COMPARE_WITH_TIMEOUT(completed.count(), 2, 20000);
    strText.clear();
    view.page()->toPlainText([&](const QString& text) { strText = text; });
    QTRY_VERIFY_WITH_TIMEOUT(!strText.isEmpty(), 20000);
    QCOMPARE(strText, QStringLiteral("the copy of 18085"));
}

QTEST_MAIN(CViewTest)
#include "ViewTest.moc"
