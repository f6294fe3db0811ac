#include "ui/MainFrame.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTimerEvent>

#include "app/QuobrixApp.h"
#include "common/StringTable.h"
#include "task/QuobrixDoc.h"
#include "ui/BusyFilter.h"
#include "ui/QuobrixView.h"
#include "ui/SplashWnd.h"
#include "ui/ThreadList.h"
#include "ui/WindowPlacement.h"
#include "ui/WindowTarget.h"

namespace {
constexpr int kTimerMs = 1000;
constexpr int kUpdateMs = 200;  // how soon the bars follow the task, and the busy state ends
// Docking state: QMainWindow::saveState as one value of the "Toolbar" section.
constexpr char kBarStateKey[] = "Toolbar/State";
constexpr int kBarStateVersion = 1;
}  // namespace

CMainFrame::CMainFrame(CQuobrixDoc& doc, CQuobrixApp& app, IDocumentPrompts& prompts,
                       QWidget* parent)
    : QMainWindow(parent), m_doc(doc), m_app(app), m_pPrompts(&prompts) {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowIcon(QGuiApplication::windowIcon());
    m_pTarget = std::make_unique<CWindowTarget>(
        [this](unsigned message, int64_t wParam, const NotifyParam& lParam) {
            return OnFrameMessage(message, wParam, lParam);
        });
    m_pThreadBarTarget = std::make_unique<CWindowTarget>(
        [this](unsigned message, int64_t wParam, const NotifyParam& lParam) {
            return OnThreadBarMessage(message, wParam, lParam);
        });

    const QScreen* screen = QGuiApplication::primaryScreen();
    setGeometry(InitialGeometry(m_app.m_rcWindow, screen != nullptr
                                                      ? screen->availableGeometry().size()
                                                      : QSize(m_app.m_rcWindow.Right,
                                                              m_app.m_rcWindow.Bottom)));
    createActions();
    createMenus();
    createToolBars();
    createAddressBar();
    createStatusBar();
    createThreadBar();
    createView();
    restoreBarState();
    UpdateTitle();

    m_pBusyFilter = new CBusyFilter(this);
    CSplashWnd::ShowSplashScreen(this);
    m_nTimer = startTimer(kTimerMs);
    m_nUpdateTimer = startTimer(kUpdateMs);
    UpdateCommandUI();
}

CMainFrame::~CMainFrame() {
    // The base class hides and deletes the bars after this frame's members
    // are gone: nothing may call back into it then.
    disconnect(m_pThreadBar, nullptr, this, nullptr);
    disconnect(m_pView, nullptr, this, nullptr);
}

void CMainFrame::ShowFirstTime() {
    setWindowState(WindowStateForShowCmd(m_app.m_nCmdShow));
    show();
}

INotifyTarget& CMainFrame::Target() {
    return *m_pTarget;
}

INotifyTarget& CMainFrame::ThreadBarTarget() {
    return *m_pThreadBarTarget;
}

QAction* CMainFrame::Action(unsigned id) const {
    const auto found = m_actions.find(id);
    return found != m_actions.end() ? found->second : nullptr;
}

void CMainFrame::UpdateTitle() {
    const std::string& title = m_doc.GetTitle();
    setWindowTitle(QString::fromStdString(title) + QStringLiteral(" - ") +
                   QString::fromStdString(LoadString(IDS_APP_TITLE)));
}

void CMainFrame::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_nTimer) {
        OnTimer();
    } else if (event->timerId() == m_nUpdateTimer) {
        UpdateCommandUI();
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
    // The thread bar docks at the bottom only, whatever a hand-edited state says.
    if (!m_pThreadBar->isFloating() && dockWidgetArea(m_pThreadBar) != Qt::BottomDockWidgetArea) {
        addDockWidget(Qt::BottomDockWidgetArea, m_pThreadBar);
    }
}

void CMainFrame::saveBarState() const {
    QSettings settings(QString::fromStdString(m_app.Store().Path()), QSettings::IniFormat);
    settings.setValue(QLatin1String(kBarStateKey), saveState(kBarStateVersion));
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
    killTimer(m_nUpdateTimer);
    m_nTimer = 0;
    m_nUpdateTimer = 0;
    emit Closing();
    event->accept();
}
