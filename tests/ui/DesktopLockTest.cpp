// One program per task, seen from the desktop program: the task it has open
// is its own until it closes it, and a task that quobrix-cli runs is not
// opened, nor replaced by a new one; the desktop keeps the task it has.
#include <signal.h>

#include <QMessageBox>
#include <QProcess>
#include <QtTest>

#include <memory>

#include "ModalDialog.h"
#include "ScriptedPrompts.h"
#include "support/FixtureServer.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"
#include "task/QuobrixDoc.h"
#include "ui/DesktopApp.h"

namespace {
constexpr int kCliMs = 60000;  // a command that takes longer has hung

// quobrix-cli with its settings in a folder of the test's own, started.
std::unique_ptr<QProcess> StartCli(const QStringList& args, const std::string& config) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(config));
    environment.insert(QStringLiteral("HOME"), QString::fromStdString(config));
    process->setProcessEnvironment(environment);
    process->start(QStringLiteral(QUOBRIX_CLI_PATH), args);
    process->waitForStarted(kCliMs);
    return process;
}

// Runs it to its end: its exit status (-1 when it hung) and its error text.
std::pair<int, std::string> RunCli(const QStringList& args, const std::string& config) {
    const std::unique_ptr<QProcess> process = StartCli(args, config);
    if (!process->waitForFinished(kCliMs)) {
        process->kill();
        process->waitForFinished(kCliMs);
        return {-1, ""};
    }
    return {process->exitCode(), process->readAllStandardError().toStdString()};
}

std::string Refusal(const std::string& path, const std::string& holder, qint64 pid) {
    return path + " is in use by " + holder + " (process " + std::to_string(pid) +
           "); a task is used by one program at a time.";
}
}  // namespace

class CDesktopLockTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void TheOpenTaskIsHeldUntilItIsClosed();
    void ATaskThatARunHoldsIsNotOpenedNorReplaced();
    void ATaskThatARunHoldsIsNotOpenedAtStartUp();

private:
    QString Path(const std::string& name) const { return QString::fromStdString(*m_pDir / name); }
    // A task that searches the fixture server, whose pages never answer.
    void MakeTask(const std::string& name) {
        CNewTaskRecord record;
        record.m_strStartAddress = m_pServer->HostPort() + "/";
        record.m_strEndAddress = record.m_strStartAddress;
        CQuobrixDoc doc;
        std::string error;
        QVERIFY2(doc.CreateNewTask(record, *m_pDir / name, 1, error), error.c_str());
    }
    // quobrix-cli running the task, once it has begun its crawl.
    std::unique_ptr<QProcess> StartRun(const std::string& name) {
        std::unique_ptr<QProcess> run = StartCli(
            {QStringLiteral("run"), Path(name), QStringLiteral("--quiet")}, m_pConfig->Path());
        m_pServer->WaitForRequests(1);
        return run;
    }
    // quobrix-cli set's exit status on the task.
    int Set(const std::string& name) {
        return RunCli({QStringLiteral("set"), Path(name), QStringLiteral("--threads"),
                       QStringLiteral("4")},
                      m_pConfig->Path())
            .first;
    }
    // Pauses the run (it saves and ends) and waits for its end.
    static void EndRun(QProcess& run) {
        kill(static_cast<pid_t>(run.processId()), SIGINT);
        QVERIFY(run.waitForFinished(kCliMs));
        QCOMPARE(run.exitCode(), 4);  // paused
    }

    std::unique_ptr<TempDir> m_pDir;
    std::unique_ptr<TempDir> m_pConfig;
    std::unique_ptr<FixtureServer> m_pServer;
};

void CDesktopLockTest::init() {
    m_pDir = std::make_unique<TempDir>();
    m_pConfig = std::make_unique<TempDir>();
    m_pServer = std::make_unique<FixtureServer>();
    FixtureServer::Response silent;
    silent.silent = true;
    m_pServer->SetDefault(silent);
    MakeTask("a.qbx");
    MakeTask("b.qbx");
}

void CDesktopLockTest::cleanup() {
    m_pServer.reset();
    m_pConfig.reset();
    m_pDir.reset();
}

void CDesktopLockTest::TheOpenTaskIsHeldUntilItIsClosed() {
    CDesktopApp app(*m_pDir / "Quobrix.ini", *m_pDir / "a.qbx");
    QVERIFY(app.Start());
    CScriptedPrompts prompts;
    app.SetPrompts(prompts);

    const auto [ran, runError] = RunCli({QStringLiteral("run"), Path("a.qbx")}, m_pConfig->Path());
    QCOMPARE(ran, 2);
    QCOMPARE(runError, "quobrix-cli: " +
                           Refusal(*m_pDir / "a.qbx", program_invocation_short_name,
                                   QCoreApplication::applicationPid()) +
                           "\n");
    // Its own task again is no second holder.
    QVERIFY(app.OpenDocumentFile(*m_pDir / "a.qbx"));

    // Another task opened: the first is free, the other held.
    QVERIFY(app.OpenDocumentFile(*m_pDir / "b.qbx"));
    QCOMPARE(Set("a.qbx"), 0);
    QCOMPARE(Set("b.qbx"), 2);

    // Exit lets go of it.
    app.OnAppExit();
    QCOMPARE(Set("b.qbx"), 0);
    QVERIFY(prompts.m_arrMessages.empty());
}

void CDesktopLockTest::ATaskThatARunHoldsIsNotOpenedNorReplaced() {
    CDesktopApp app(*m_pDir / "Quobrix.ini", *m_pDir / "a.qbx");
    QVERIFY(app.Start());
    CScriptedPrompts prompts;
    app.SetPrompts(prompts);
    const std::unique_ptr<QProcess> run = StartRun("b.qbx");
    const std::string refusal = Refusal(*m_pDir / "b.qbx", "quobrix-cli run", run->processId());

    QVERIFY(!app.OpenDocumentFile(*m_pDir / "b.qbx"));
    CNewTaskRecord record;
    record.m_strStartAddress = "127.0.0.1:1/";
    record.m_strEndAddress = record.m_strStartAddress;
    QVERIFY(!app.CreateTask(record, *m_pDir / "b.qbx"));  // New's Save As over it
    QCOMPARE(prompts.m_arrMessages, (std::vector<std::string>{refusal, refusal}));
    QCOMPARE(app.Doc().GetPathName(), *m_pDir / "a.qbx");
    QCOMPARE(Set("a.qbx"), 2);  // still its own
    EndRun(*run);
}

void CDesktopLockTest::ATaskThatARunHoldsIsNotOpenedAtStartUp() {
    const std::unique_ptr<QProcess> run = StartRun("b.qbx");
    QString shown;
    WhenModal<QMessageBox>([&shown](QMessageBox* box) {
        shown = box->text();
        box->accept();
    });
    CDesktopApp app(*m_pDir / "Quobrix.ini", *m_pDir / "b.qbx");
    QVERIFY(app.Start());
    QCOMPARE(shown.toStdString(), Refusal(*m_pDir / "b.qbx", "quobrix-cli run", run->processId()));
    QCOMPARE(app.Doc().GetPathName(), std::string());  // a new task instead
    EndRun(*run);
}

QTEST_MAIN(CDesktopLockTest)
#include "DesktopLockTest.moc"
