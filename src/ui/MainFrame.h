#pragma once

#include <QMainWindow>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>

#include "app/AutoSave.h"
#include "common/NotifyTarget.h"
#include "ui/StatusPanes.h"
#include "ui/UiImage.h"

class CAddressBox;
class CBusyFilter;
class CQuobrixApp;
class ITask;
class CQuobrixView;
class CTaskEvents;
class CThreadBar;
class CThreadList;
class IDocumentPrompts;
class QAction;
class QMenu;
class QTimer;
class QToolBar;

// The single top-level window: the menus, the standard toolbar, the browser
// buttons and the address bar, the status bar with the task's state and
// counters, the "Threads status" bar and the browser view in the middle.
//
// It shows what the task reports (the task's notifications arrive through
// Target(), ThreadBarTarget() and ViewTarget(), from any thread, and reach
// the panes, the thread rows and the view as typed signals of Events() on the
// GUI thread) and keeps no crawl state of its own. It carries out the task, view and bar commands and Save / Save
// As, saves the task at every auto-save interval, and drops the user's input
// while the task stops its workers. The application's commands (New, Open,
// the recent files, Exit, Options, About, Contact) are the application's:
// CDesktopApp connects them to the actions created here.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    using enum CStatusPanes::Pane;

    // Builds the window, hidden, at the stored placement, with the docking
    // state stored under "Toolbar"; shows the splash (when enabled) and starts
    // the one-second timer. prompts asks the user when the task is closed.
    // Every part of the window exists before any signal is connected, and
    // every connection before the saved state is restored.
    CMainFrame(ITask& doc, CQuobrixApp& app, IDocumentPrompts& prompts, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The first show, in the stored show state (maximised by default).
    void ShowFirstTime();

    CQuobrixView* View() const { return m_pView; }
    QString PaneText(int pane) const;
    const CStatusPanes* StatusPanes() const { return m_pStatusPanes; }
    // The thread list's row (0..14): its status text and its phase icon.
    QString ThreadRowText(int row) const;
    int ThreadRowPhase(int row) const;
    CThreadList* ThreadList() const;
    CAddressBox* AddressBox() const { return m_pAddressBox; }

    // The task's receivers: main frame (state, counters, authorization, file
    // errors), thread bar (thread status, reset) and view (the address to show).
    INotifyTarget& Target();
    INotifyTarget& ThreadBarTarget();
    INotifyTarget& ViewTarget();
    CTaskEvents& Events() const { return *m_pEvents; }

    // The action of a command id (ID_FILE_OPEN, ID_FILE_MRU_FILE1, ...), or null.
    QAction* Action(unsigned id) const;

    void SetPrompts(IDocumentPrompts& prompts) { m_pPrompts = &prompts; }
    // The recent-file entries of the File menu, as CRecentFileList::MenuText gives them.
    void SetRecentFiles(const QStringList& menuTexts);
    // The caption after the task's file changed: "shop - Quobrix"; the
    // commands follow the task that is open now.
    void UpdateTitle();
    // A new task has shown nothing yet: an empty view and address bar.
    void ShowNewTask();

    // Enables and checks the commands from the task and the view, and shows
    // the busy state while the task stops its workers. Runs after every
    // command, on the task's state, site and thread signals, and before a
    // menu shows.
    void UpdateCommandUI();

    // Saves the task to its file, or asks for one; false when it was not saved.
    bool SaveTask();

signals:
    // A task file was named by Save As (for the recent-file list).
    void TaskFileSaved(const QString& path);
    // The task's state changed (notification 1060).
    void TaskStateChanged();
    // The window accepted its close request and is about to go.
    void Closing();

public slots:
    // The one-second timer: the task's auto-save.
    void OnTimer();

    // Task, file, bar and thread-list commands.
    void OnTaskRun();
    void OnTaskPause();
    void OnTaskAbort();
    void OnTaskProperties();
    void OnFileSave();
    void OnFileSaveAs();
    void OnAbortRetrieval();
    void OnCopyUrl();
    void OnSkipCurrentSite();
    // View > Go To > Pages Not Retrieved: the local server's list of them.
    void OnGoNotRetrieved();

protected:
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // Creation, in this order (MainFrame*.cpp): the parts, ...
    void createActions();
    void createMenus();
    void createToolBars();
    void createAddressBar();
    void createStatusBar();
    void createThreadBar();
    void createView();
    // ... their connections, ...
    void connectCommands();
    void connectBars();
    void connectAddressBar();
    void connectThreadBar();
    void connectView();
    void connectEvents();
    // ... and then what the last session left.
    void restoreBarState();
    void keepFloatingBarOnScreen();
    void saveBarState() const;
    void savePlacement() const;

    QAction* addCommand(unsigned id, const QString& text, const QKeySequence& key = {},
                        std::optional<UiImage> image = std::nullopt);
    QMenu* createFileMenu();
    QMenu* createTaskMenu();
    QMenu* createViewMenu();
    QMenu* createHelpMenu();
    void connectBarToggle(QAction* action, QWidget* bar);
    void connectViewCommands();
    void updateViewCommands();
    void updateThreadCommands();
    void updateBarChecks();
    void connectCommandUpdates();
    void followBusyState();

    // The task's news (MainFrameMessages.cpp), on the GUI thread.
    void OnTaskState(const QString& text);
    bool OnAuthorize(const QString& url);
    void OnFileError(int error, const QString& path);
    // While the task runs, the prompt pane names the newest page not
    // retrieved; when a run ends or pauses, it sums them up.
    void OnPageFailed(const QString& url, const QString& reason);
    void OnOutagePaused(const QString& text);
    void OnRunNotice(const QString& text);
    void ShowRunSummary();
    void NoteRunStarted();

    bool SaveTaskTo(const std::string& path);
    void OnAddress(const QString& text, bool ctrl, bool typed);
    void OnPageCompleted(const QString& address);
    void Navigate(const QString& address);

    ITask& m_doc;
    CQuobrixApp& m_app;
    IDocumentPrompts* m_pPrompts;

    std::map<unsigned, QAction*> m_actions;
    QMenu* m_pFileMenu = nullptr;
    QAction* m_pRecentSeparator = nullptr;
    QAction* m_pNoRecentFile = nullptr;
    QToolBar* m_pStandardBar = nullptr;
    QToolBar* m_pBrowserBar = nullptr;
    QToolBar* m_pAddressBar = nullptr;
    CAddressBox* m_pAddressBox = nullptr;
    CStatusPanes* m_pStatusPanes = nullptr;
    CThreadBar* m_pThreadBar = nullptr;
    CQuobrixView* m_pView = nullptr;

    CTaskEvents* m_pEvents = nullptr;
    CBusyFilter* m_pBusyFilter = nullptr;
    int m_nTimer = 0;                // the one-second timer
    QTimer* m_pBusyTimer = nullptr;  // while the workers stop: when they are gone
    CAutoSave m_autoSave;
    bool m_bAddressTyped = false;  // Enter in the address bar, until the page has loaded
    bool m_bShowFloatingBar = false;  // the restored floating thread bar waits for the first show
    bool m_bRunSeen = false;          // a run started since the last summary
    QString m_strOutage;              // why the run paused, when an outage paused it
    QString m_strRunNotice;           // what the run said once (certificates unchecked)
};
