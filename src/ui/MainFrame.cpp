#include "ui/MainFrame.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QTimerEvent>
#include <algorithm>

#include "app/QuobrixApp.h"
#include "common/StringTable.h"
#include "task/Task.h"
#include "ui/BusyFilter.h"
#include "ui/QuobrixView.h"
#include "ui/SplashWnd.h"
#include "ui/TaskEvents.h"
#include "ui/ThreadBar.h"
#include "ui/ThreadList.h"
#include "ui/UiText.h"
#include "ui/WindowPlacement.h"

namespace {
constexpr int kTimerMs = 1000;
// Docking state: QMainWindow::saveState as one value of the "Toolbar" section.
constexpr char kBarStateKey[] = "Toolbar/State";
// Qt's docking state leaves the status bar out: it is kept beside it.
constexpr char kStatusBarKey[] = "Toolbar/StatusBar";
constexpr int kBarStateVersion = 1;
// The window's least size: the view keeps a usable height beside the bars,
// and the status panes never overlap.
constexpr int kMinimumWidth = 480;
constexpr int kMinimumHeight = 420;

// Where windows can go, the primary screen first.
QList<QRect> AvailableScreens() {
    QList<QRect> screens;
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        screens.append(primary->availableGeometry());
    }
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen()) {
            screens.append(screen->availableGeometry());
        }
    }
    return screens;
}
}  // namespace

CMainFrame::CMainFrame(ITask& doc, CQuobrixApp& app, IDocumentPrompts& prompts, QWidget* parent)
    : QMainWindow(parent), m_doc(doc), m_app(app), m_pPrompts(&prompts) {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowIcon(QGuiApplication::windowIcon());
    const QScreen* screen = QGuiApplication::primaryScreen();
    setGeometry(KeepOnScreen(InitialGeometry(m_app.m_rcWindow,
                                             screen != nullptr ? screen->availableGeometry().size()
                                                               : QSize(m_app.m_rcWindow.Right,
                                                                       m_app.m_rcWindow.Bottom)),
                             AvailableScreens()));
    // The parts, ...
    m_pEvents = new CTaskEvents(this);
    m_pBusyFilter = new CBusyFilter(this);
    m_pBusyTimer = new QTimer(this);
    createActions();
    createMenus();
    createToolBars();
    createAddressBar();
    createStatusBar();
    createThreadBar();
    createView();
    // ... their connections, ...
    connectCommands();
    connectBars();
    connectAddressBar();
    connectThreadBar();
    connectView();
    connectEvents();
    connectCommandUpdates();
    // ... and only then the state the last session left, whose signals reach them.
    restoreBarState();
    setMinimumSize(std::max(kMinimumWidth, m_pStatusPanes->MinimumWidth()), kMinimumHeight);
    UpdateTitle();

    CSplashWnd::ShowSplashScreen(this);
    m_nTimer = startTimer(kTimerMs);
}

CMainFrame::~CMainFrame() {
    // The base class hides and deletes the bars after this frame's members
    // are gone: nothing may call back into it then.
    disconnect(m_pThreadBar, nullptr, this, nullptr);
    disconnect(m_pView, nullptr, this, nullptr);
    disconnect(m_pEvents, nullptr, nullptr, nullptr);
}

void CMainFrame::ShowFirstTime() {
    setWindowState(WindowStateForShowCmd(m_app.m_nCmdShow));
    show();
    if (m_bShowFloatingBar) {
        m_bShowFloatingBar = false;
        m_pThreadBar->show();
    }
}

INotifyTarget& CMainFrame::Target() {
    return m_pEvents->FrameTarget();
}

INotifyTarget& CMainFrame::ThreadBarTarget() {
    return m_pEvents->ThreadBarTarget();
}

INotifyTarget& CMainFrame::ViewTarget() {
    return m_pEvents->ViewTarget();
}

QAction* CMainFrame::Action(unsigned id) const {
    const auto found = m_actions.find(id);
    return found != m_actions.end() ? found->second : nullptr;
}

void CMainFrame::UpdateTitle() {
    const std::string& title = m_doc.GetTitle();
    setWindowTitle(QString::fromStdString(title) + QStringLiteral(" - ") + UiText(IDS_APP_TITLE));
    // New, Open and Save end here: the task may be another one now.
    UpdateCommandUI();
}

void CMainFrame::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_nTimer) {
        OnTimer();
    } else {
        QMainWindow::timerEvent(event);
    }
}

void CMainFrame::OnTimer() {
    m_autoSave.Tick(m_doc, [this] { SaveTask(); });
}

void CMainFrame::restoreBarState() {
    const QSettings settings(QString::fromStdString(m_app.Store().Path()), QSettings::IniFormat);
    restoreState(settings.value(QLatin1String(kBarStateKey)).toByteArray(), kBarStateVersion);
    statusBar()->setVisible(settings.value(QLatin1String(kStatusBarKey), true).toBool());
    // The thread bar docks at the bottom only, whatever a hand-edited state says.
    if (!m_pThreadBar->isFloating() && dockWidgetArea(m_pThreadBar) != Qt::BottomDockWidgetArea) {
        addDockWidget(Qt::BottomDockWidgetArea, m_pThreadBar);
    }
    keepFloatingBarOnScreen();
    // A floating bar shown before this window has a system window of its own
    // would not stay above it: it comes with the first show.
    if (m_pThreadBar->isFloating() && !m_pThreadBar->isHidden()) {
        m_bShowFloatingBar = true;
        m_pThreadBar->hide();
    }
}

void CMainFrame::keepFloatingBarOnScreen() {
    // A bar floated on a screen that is gone comes back where it can be seen.
    if (m_pThreadBar->isFloating()) {
        m_pThreadBar->setGeometry(KeepOnScreen(m_pThreadBar->geometry(), AvailableScreens()));
    }
}

void CMainFrame::saveBarState() const {
    QSettings settings(QString::fromStdString(m_app.Store().Path()), QSettings::IniFormat);
    settings.setValue(QLatin1String(kBarStateKey), saveState(kBarStateVersion));
    settings.setValue(QLatin1String(kStatusBarKey), !statusBar()->isHidden());
}

void CMainFrame::savePlacement() const {
    const QRect normal = isMaximized() || isMinimized() || isFullScreen() ? normalGeometry()
                                                                          : geometry();
    m_app.SavePlacement(ShowCmdForWindowState(windowState()), RectFromGeometry(normal));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    saveBarState();
    savePlacement();
    if (!m_doc.CanCloseFrame(*m_pPrompts)) {
        event->ignore();  // the window and its timer stay
        return;
    }
    killTimer(m_nTimer);
    m_nTimer = 0;
    m_pBusyTimer->stop();
    emit Closing();
    event->accept();
}
