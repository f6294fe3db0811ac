// The task's notifications on their way into the window: a worker never
// waits for the GUI thread (but for the authorization answer), many lines in
// give few signals out, and the newest of each always arrives.
#include <QSignalSpy>
#include <QtTest>

#include <future>
#include <thread>

#include "common/Messages.h"
#include "common/PageFailure.h"
#include "ui/TaskEvents.h"

Q_DECLARE_METATYPE(NotifyParam)

namespace {
using namespace std::chrono_literals;

// Runs body on another thread, as a worker would, while this (the GUI)
// thread does not look at its events: true when it returned within the time.
bool ReturnsWithoutTheGuiThread(const std::function<void()>& body) {
    auto done = std::async(std::launch::async, body);
    return done.wait_for(10s) == std::future_status::ready;
}
}  // namespace

class CTaskEventsTest : public QObject {
    Q_OBJECT
private slots:
    void ManyLinesGiveFewSignalsAndKeepTheNewest();
    void EachKindArrivesAsItsSignal_data();
    void EachKindArrivesAsItsSignal();
    void AResetDropsOnlyTheLinesBeforeIt();
    void AuthorizationWaitsForTheAnswer();
};

void CTaskEventsTest::ManyLinesGiveFewSignalsAndKeepTheNewest() {
    CTaskEvents events;
    QSignalSpy lines(&events, &CTaskEvents::ThreadStatusChanged);
    QSignalSpy requested(&events, &CTaskEvents::LinksRequestedChanged);
    constexpr int kBlocks = 20000;
    QVERIFY(ReturnsWithoutTheGuiThread([&] {
        for (int block = 1; block <= kBlocks; ++block) {
            events.ThreadBarTarget().Send(WM_THREAD_STATUS, 3 * 256 + PHASE_READ,
                                          "Reading " + std::to_string(block * 512));
            events.FrameTarget().Send(WM_LINKS_REQUESTED, 0, int64_t{block});
        }
        events.ThreadBarTarget().Send(WM_THREAD_STATUS, 3 * 256 + PHASE_PARSE, std::string("Parsing"));
    }));
    QTRY_VERIFY(!lines.isEmpty() && lines.last().at(2).toString() == QStringLiteral("Parsing"));
    QCOMPARE(lines.last().at(0).toInt(), 3);
    QCOMPARE(lines.last().at(1).toInt(), int(PHASE_PARSE));
    QTRY_COMPARE(requested.last().first().toLongLong(), qint64{kBlocks});
    QVERIFY2(lines.count() <= 3, qPrintable(QString::number(lines.count())));
    QVERIFY2(requested.count() <= 3, qPrintable(QString::number(requested.count())));

    // Paced: nothing new is signalled before the next beat.
    lines.clear();
    events.ThreadBarTarget().Send(WM_THREAD_STATUS, 3 * 256 + PHASE_ENDED, std::string("Terminated"));
    QVERIFY(lines.isEmpty());
    QTRY_COMPARE(lines.count(), 1);
}

void CTaskEventsTest::EachKindArrivesAsItsSignal_data() {
    QTest::addColumn<unsigned>("message");
    QTest::addColumn<int64_t>("wParam");
    QTest::addColumn<NotifyParam>("lParam");
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<QVariantList>("arguments");
    QTest::newRow("state") << WM_TASK_STATE << int64_t{0} << NotifyParam(std::string("Paused"))
                           << QByteArray(SIGNAL(StateChanged(QString))) << QVariantList{"Paused"};
    QTest::newRow("sites left") << WM_SITES_LEFT << int64_t{0} << NotifyParam(int64_t{4})
                                << QByteArray(SIGNAL(SitesLeftChanged(qint64)))
                                << QVariantList{qint64{4}};
    QTest::newRow("links queued") << WM_LINKS_QUEUED << int64_t{0} << NotifyParam(int64_t{250})
                                  << QByteArray(SIGNAL(LinksQueuedChanged(qint64)))
                                  << QVariantList{qint64{250}};
    QTest::newRow("file error") << WM_FILE_ERROR << int64_t{28}
                                << NotifyParam(std::string("/t/shop/ResultPage0.html"))
                                << QByteArray(SIGNAL(FileErrorReported(int, QString)))
                                << QVariantList{28, "/t/shop/ResultPage0.html"};
    QTest::newRow("navigate") << WM_NAVIGATE_VIEW << int64_t{0}
                              << NotifyParam(std::string("http://127.0.0.1:4000/"))
                              << QByteArray(SIGNAL(NavigateRequested(QString)))
                              << QVariantList{"http://127.0.0.1:4000/"};
    QTest::newRow("page failed") << WM_PAGE_FAILED
                                 << FailureParam(2, {FailureReason::HttpStatus, 404})
                                 << NotifyParam(std::string("http://a.example/x.html"))
                                 << QByteArray(SIGNAL(PageFailed(QString, QString)))
                                 << QVariantList{"http://a.example/x.html", "HTTP 404"};
    QTest::newRow("outage") << WM_OUTAGE_PAUSED << FailureParam(0, {FailureReason::NotResolved, 0})
                            << NotifyParam(std::string("shop.invalid"))
                            << QByteArray(SIGNAL(OutagePaused(QString)))
                            << QVariantList{
                                   "Paused: not resolved (shop.invalid), 3 times in a row; "
                                   "the pages stay queued for the next run"};
}

void CTaskEventsTest::EachKindArrivesAsItsSignal() {
    QFETCH(unsigned, message);
    QFETCH(int64_t, wParam);
    QFETCH(NotifyParam, lParam);
    QFETCH(QByteArray, signal);
    QFETCH(QVariantList, arguments);
    CTaskEvents events;
    QSignalSpy spy(&events, signal.constData());
    INotifyTarget& target =
        message == WM_NAVIGATE_VIEW ? events.ViewTarget() : events.FrameTarget();
    int64_t result = -1;
    QVERIFY(ReturnsWithoutTheGuiThread([&] { result = target.Send(message, wParam, lParam); }));
    QCOMPARE(result, int64_t{0});
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.first(), arguments);

    // Sent on the GUI thread, it is signalled before Send returns.
    spy.clear();
    target.Send(message, wParam, lParam);
    QCOMPARE(spy.count(), 1);
}

void CTaskEventsTest::AResetDropsOnlyTheLinesBeforeIt() {
    CTaskEvents events;
    QSignalSpy lines(&events, &CTaskEvents::ThreadStatusChanged);
    QSignalSpy resets(&events, &CTaskEvents::ThreadsReset);
    INotifyTarget& bar = events.ThreadBarTarget();
    bar.Send(WM_THREAD_STATUS, 1 * 256 + PHASE_ENDED, std::string("Terminated, old run"));
    bar.Send(WM_THREAD_STATUS, 2 * 256 + PHASE_READ, std::string("Reading, old run"));
    bar.Post(WM_THREADS_RESET, 0, int64_t{0});
    bar.Send(WM_THREAD_STATUS, 2 * 256 + PHASE_CONNECT, std::string("Connecting, new run"));
    // A slot number beyond the rows is passed over.
    bar.Send(WM_THREAD_STATUS, 15 * 256 + PHASE_READ, std::string("nowhere"));
    QTRY_COMPARE(resets.count(), 1);
    QTRY_COMPARE(lines.count(), 1);
    QCOMPARE(lines.first(), (QVariantList{2, int(PHASE_CONNECT), "Connecting, new run"}));
}

void CTaskEventsTest::AuthorizationWaitsForTheAnswer() {
    CTaskEvents events;
    QString asked;
    events.SetAuthorizeHandler([&](const QString& url) {
        asked = url;
        return true;
    });
    QSignalSpy lines(&events, &CTaskEvents::ThreadStatusChanged);
    std::atomic<int64_t> answer = -1;
    std::thread worker([&] {
        events.ThreadBarTarget().Send(WM_THREAD_STATUS, PHASE_READ, std::string("401"));
        answer = events.FrameTarget().Send(WM_AUTHORIZE, 0, std::string("http://a.example/x"));
    });
    QTRY_COMPARE(answer.load(), int64_t{1});
    worker.join();
    QCOMPARE(asked, QStringLiteral("http://a.example/x"));
    // What the worker said before it asked was shown before the question.
    QCOMPARE(lines.count(), 1);
}

QTEST_MAIN(CTaskEventsTest)
#include "TaskEventsTest.moc"
