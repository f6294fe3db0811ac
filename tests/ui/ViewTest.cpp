#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <thread>

#include "ModalDialog.h"
#include "app/QuobrixApp.h"
#include "app/SettingsStore.h"
#include "common/Messages.h"
#include "support/TempDir.h"
#include "task/QuobrixDoc.h"
#include "ui/GoToOfflineDlg.h"
#include "ui/GoToResultDlg.h"
#include "ui/QuobrixView.h"
#include "ui/ViewAddress.h"

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

private:
    std::unique_ptr<TempDir> m_pDir;
    std::unique_ptr<CQuobrixApp> m_pApp;
    std::unique_ptr<CQuobrixDoc> m_pDoc;
};

void CViewTest::init() {
    m_pDir = std::make_unique<TempDir>();
    m_pApp = std::make_unique<CQuobrixApp>(*m_pDir / "Quobrix.ini");
    m_pApp->LoadOptions();
    m_pDoc = std::make_unique<CQuobrixDoc>();
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
}

QTEST_MAIN(CViewTest)
#include "ViewTest.moc"
