#pragma once

#include <QFont>
#include <QObject>
#include <memory>
#include <string>

#include "app/QuobrixApp.h"
#include "app/SettingsStore.h"
#include "ui/RecentFileList.h"

class CDemoWeb;
class CDocumentPrompts;
class CMainFrame;
class CQuobrixDoc;
class CTaskLock;
class IDocumentPrompts;
class ITask;
struct CNewTaskRecord;

// Files that travel with the program: the user manual is
// UserManual/tutorial.html beside the executable (the build copies it there),
// or, once installed with the executable in PREFIX/bin, in
// PREFIX/share/quobrix/UserManual/tutorial.html. FindProgramFile("UserManual")
// (app/ProgramFiles.h) finds the folder in either place.

// How the program was started: "quobrix [--no-splash] [--demo [DIR]] [FILE.qbx]".
struct CStartupOptions {
    std::string m_strStorePath = CSettingsStore::DefaultPath();
    std::string m_strTaskFile;    // the task to open; empty: a new, empty task
    bool m_bSplash = false;       // the program shows it; tests leave it off
    bool m_bDemo = false;         // serve the demo web, create the demo task and run it
    std::string m_strDemoFolder;  // where the demo task goes; empty: a new folder in ~/.cache/quobrix
};

// The desktop program's application object: brings the program up in its
// fixed order (settings, options, fonts, the one task record and its local
// server, the main frame, the first task, the first show, binding the task to
// the frame) and carries out the commands that belong to the application:
// New, Open, the recent files, Exit, Options, About and Contact.
class CDesktopApp : public QObject {
    Q_OBJECT
public:
    explicit CDesktopApp(CStartupOptions options);
    // A test's start: the settings store at storePath, the task taskFile
    // (empty for a new one), no splash.
    CDesktopApp(const std::string& storePath, const std::string& taskFile);
    ~CDesktopApp() override;

    // The start-up steps; false when the program must end (a message said why).
    bool Start();

    CMainFrame* MainFrame() const { return m_pFrame.get(); }
    CQuobrixDoc& Doc() const { return *m_pDoc; }
    CQuobrixApp& App() { return m_app; }
    const CRecentFileList& RecentFiles() const { return m_recentFiles; }
    // Where questions about closing or replacing the task go (tests script them).
    void SetPrompts(IDocumentPrompts& prompts);

    // Opens a task file in place of the current task, after offering to save
    // the current one. False when it was refused or could not be read. A
    // task that another program has is refused at once, with a message
    // naming it; the open task stays, and keeps its lock.
    bool OpenDocumentFile(const std::string& path);
    // Hands a new task's definition to the task record, saved at path: the
    // wizard's result, or the demo's. The task is marked modified, so its
    // auto-save interval and link colour reach its file. False when refused
    // (also when another program has the task at path) or not saved.
    bool CreateTask(const CNewTaskRecord& record, const std::string& path);

public slots:
    void OnFileNew();
    void OnFileOpen();
    void OnOpenRecentFile(int index);
    void OnAppExit();
    void OnAppOptions();
    void OnAppAbout();
    void OnHelpContact();

private:
    void WaitForWorkersToReturn();
    bool InitSockets();
    void CreateFonts();
    bool CreateFirstTask();
    // The task's lock for the desktop; a task that another program has is
    // refused with the message that names it.
    bool LockTask(const std::string& path, CTaskLock& lock);
    // OpenDocumentFile with the task's lock taken.
    bool OpenLockedTask(const std::string& path, CTaskLock&& lock);
    void BindTaskToFrame();
    void ConnectCommands();
    void UpdateRecentFiles();
    bool StartDemo();
    void OnTaskStateChanged();

    CStartupOptions m_options;
    CQuobrixApp m_app;
    QFont m_fontNormal;
    QFont m_fontTitle;
    CRecentFileList m_recentFiles;
    std::unique_ptr<CDemoWeb> m_pDemoWeb;     // serves while the demo runs
    std::unique_ptr<CQuobrixDoc> m_pDoc;      // the one task record, reused for every task
    ITask* m_pTask = nullptr;                 // the same, as the commands use it
    std::unique_ptr<CDocumentPrompts> m_pMessagePrompts;
    IDocumentPrompts* m_pPrompts = nullptr;
    std::unique_ptr<CMainFrame> m_pFrame;
    bool m_bDemoRunning = false;
};
