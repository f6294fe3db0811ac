#include "ui/DesktopApp.h"

#include <csignal>
#include <iostream>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>

#include "app/DemoWeb.h"
#include "common/StringTable.h"
#include "task/QuobrixDoc.h"
#include "ui/DocumentPrompts.h"
#include "ui/MainFrame.h"
#include "ui/SharedFonts.h"
#include "ui/SplashWnd.h"
#include "ui/UiText.h"
#include "ui/ViewGraphics.h"

namespace {
constexpr int kDefaultDpi = 96;
// How long a task about to be replaced waits for its last workers to return.
constexpr int kWorkersReturnMs = 30000;

std::string AbsoluteTaskPath(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
}

CStartupOptions TestOptions(const std::string& storePath, const std::string& taskFile) {
    CStartupOptions options;
    options.m_strStorePath = storePath;
    options.m_strTaskFile = taskFile;
    return options;
}
}  // namespace

CDesktopApp::CDesktopApp(CStartupOptions options)
    : m_options(std::move(options)), m_app(m_options.m_strStorePath) {}

CDesktopApp::CDesktopApp(const std::string& storePath, const std::string& taskFile)
    : CDesktopApp(TestOptions(storePath, taskFile)) {}

CDesktopApp::~CDesktopApp() {
    if (m_pDoc != nullptr) {
        WaitForWorkersToReturn();
        // The windows go first; the task must not report to them any more.
        m_pDoc->ClearReceivers();
    }
    m_pFrame.reset();
}

bool CDesktopApp::Start() {
    ChooseViewGraphics();
    CSplashWnd::EnableSplashScreen(m_options.m_bSplash);
    if (!InitSockets()) {
        return false;
    }
    const QString storePath = QString::fromStdString(m_app.Store().Path());
    m_recentFiles.Load(storePath);
    m_app.LoadOptions();
    (void)m_app.SaveOptions();  // only writes the defaults back; the options are loaded
    CreateFonts();

    m_pDoc = std::make_unique<CQuobrixDoc>();
    m_pTask = m_pDoc.get();
    m_pDoc->SetAppOptions(m_app);
    m_pDoc->LockTasksWhileOpen();  // the task that is open is ours alone
    if (!m_pDoc->StartLocalServer()) {
        std::cerr << "quobrix: cannot serve the results on 127.0.0.1" << std::endl;
    }
    m_pMessagePrompts = std::make_unique<CDocumentPrompts>(nullptr, *m_pDoc);
    m_pPrompts = m_pMessagePrompts.get();
    m_pFrame = std::make_unique<CMainFrame>(*m_pDoc, m_app, *m_pPrompts);
    m_pMessagePrompts->SetParent(m_pFrame.get());
    // The view shows the first task's results as soon as it is opened.
    m_pDoc->SetViewReceiver(&m_pFrame->ViewTarget());
    ConnectCommands();
    UpdateRecentFiles();
    if (!CreateFirstTask()) {
        return false;
    }

    m_pFrame->ShowFirstTime();
    BindTaskToFrame();
    if (m_pDemoWeb != nullptr) {
        m_pFrame->OnTaskRun();
        m_bDemoRunning = m_pDoc->IsRunning();
    }
    return true;
}

void CDesktopApp::SetPrompts(IDocumentPrompts& prompts) {
    m_pPrompts = &prompts;
    if (m_pFrame != nullptr) {
        m_pFrame->SetPrompts(prompts);
    }
}

void CDesktopApp::WaitForWorkersToReturn() {
    // A worker that ended the run may still be sending its last state and
    // waits for this thread to handle it: handle it here, so that the task's
    // join that comes next never waits for a thread that waits for us.
    QElapsedTimer waited;
    waited.start();
    while (!m_pDoc->HaveWorkersReturned() && waited.elapsed() < kWorkersReturnMs) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    }
}

bool CDesktopApp::InitSockets() {
    // A peer that goes away must not end the program with SIGPIPE.
    if (std::signal(SIGPIPE, SIG_IGN) == SIG_ERR) {
        QMessageBox::critical(nullptr, UiText(IDS_APP_TITLE), UiText(IDS_SOCKETS_INIT_FAILED));
        return false;
    }
    return true;
}

void CDesktopApp::CreateFonts() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int dpi =
        screen != nullptr ? qRound(screen->logicalDotsPerInchY()) : kDefaultDpi;
    m_fontNormal = CreateSharedFont(m_app.m_strNormalFontFace, m_app.m_nNormalFontSize, false, dpi);
    m_fontTitle = CreateSharedFont(m_app.m_strTitleFontFace, m_app.m_nTitleFontSize, true, dpi);
    CSharedFonts::Set(m_fontNormal, m_fontTitle);
}

bool CDesktopApp::CreateFirstTask() {
    if (m_options.m_bDemo) {
        return StartDemo();
    }
    const std::string path = AbsoluteTaskPath(m_options.m_strTaskFile);
    CTaskLock lock;
    if (!m_options.m_strTaskFile.empty() && LockTask(path, lock)) {
        return OpenLockedTask(path, std::move(lock));
    }
    // No task named, or one in another program's hands (a message said so):
    // the program starts with a new task.
    m_pDoc->OnNewDocument();
    m_pFrame->UpdateTitle();
    return true;
}

void CDesktopApp::BindTaskToFrame() {
    m_pDoc->SetReceivers(&m_pFrame->Target(), &m_pFrame->ThreadBarTarget(),
                         &m_pFrame->ViewTarget());
    m_pDoc->SendStateAndCounts();
}

void CDesktopApp::ConnectCommands() {
    CMainFrame* frame = m_pFrame.get();
    connect(frame->Action(ID_FILE_NEW_TASK), &QAction::triggered, this, &CDesktopApp::OnFileNew);
    connect(frame->Action(ID_FILE_OPEN), &QAction::triggered, this, &CDesktopApp::OnFileOpen);
    connect(frame->Action(ID_APP_EXIT), &QAction::triggered, this, &CDesktopApp::OnAppExit);
    connect(frame->Action(ID_APP_OPTIONS), &QAction::triggered, this, &CDesktopApp::OnAppOptions);
    connect(frame->Action(ID_APP_ABOUT), &QAction::triggered, this, &CDesktopApp::OnAppAbout);
    connect(frame->Action(ID_HELP_CONTACT), &QAction::triggered, this, &CDesktopApp::OnHelpContact);
    for (int index = 0; index < CRecentFileList::kSize; ++index) {
        connect(frame->Action(ID_FILE_MRU_FILE1 + static_cast<unsigned>(index)),
                &QAction::triggered, this, [this, index] { OnOpenRecentFile(index); });
    }
    connect(frame, &CMainFrame::TaskFileSaved, this, [this](const QString& path) {
        m_recentFiles.Add(path);
        UpdateRecentFiles();
    });
    connect(frame, &CMainFrame::Closing, this, [this] {
        m_recentFiles.Save(QString::fromStdString(m_app.Store().Path()));
        m_pDoc->ReleaseTaskLock();  // the task is closed with the window
    });
    connect(frame, &CMainFrame::TaskStateChanged, this, &CDesktopApp::OnTaskStateChanged);
}

void CDesktopApp::UpdateRecentFiles() {
    QStringList texts;
    for (int index = 0; index < m_recentFiles.Files().size(); ++index) {
        texts.append(m_recentFiles.MenuText(index));
    }
    m_pFrame->SetRecentFiles(texts);
}

bool CDesktopApp::LockTask(const std::string& path, CTaskLock& lock) {
    std::string error;
    if (m_pDoc->LockTaskFile(path, lock, error)) {
        return true;
    }
    m_pPrompts->ShowMessage(error, IDocumentPrompts::Icon::Error);
    return false;
}

bool CDesktopApp::OpenDocumentFile(const std::string& path) {
    // Refused before any question about the task that is open.
    const std::string name = AbsoluteTaskPath(path);
    CTaskLock lock;
    if (!LockTask(name, lock)) {
        return false;
    }
    return OpenLockedTask(name, std::move(lock));
}

bool CDesktopApp::OpenLockedTask(const std::string& path, CTaskLock&& lock) {
    if (!m_pDoc->SaveModified(*m_pPrompts)) {
        return false;
    }
    WaitForWorkersToReturn();
    const QString name = QString::fromStdString(path);
    std::string error;
    if (!m_pDoc->OnOpenDocument(path, error)) {
        m_pPrompts->ShowMessage(error, IDocumentPrompts::Icon::Error);
        m_recentFiles.Remove(name);
        UpdateRecentFiles();
        m_pFrame->UpdateTitle();
        return false;
    }
    m_pDoc->KeepTaskLock(path, std::move(lock));
    m_recentFiles.Add(name);
    UpdateRecentFiles();
    m_pFrame->UpdateTitle();
    return true;
}

bool CDesktopApp::CreateTask(const CNewTaskRecord& record, const std::string& path) {
    CTaskLock lock;
    if (!LockTask(path, lock) || !m_pDoc->SaveModified(*m_pPrompts)) {
        return false;
    }
    WaitForWorkersToReturn();
    std::string error;
    const bool bCreated = m_pDoc->CreateNewTask(record, path, m_app.m_crRetrievedLinks, error);
    m_pFrame->UpdateTitle();
    if (!bCreated) {
        m_pDoc->ReleaseTaskLock();  // the task that was open is gone
        m_pPrompts->ShowMessage(error, IDocumentPrompts::Icon::Error);
        return false;
    }
    m_pDoc->KeepTaskLock(path, std::move(lock));
    // Unsaved from here on, so that closing without a save still offers one.
    m_pDoc->SetModifiedFlag();
    m_recentFiles.Add(QString::fromStdString(path));
    UpdateRecentFiles();
    return true;
}
