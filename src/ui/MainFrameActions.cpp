// The frame's commands and menus: every command is one QAction named by its
// id, with the prompt of the string table as status text and tool tip.
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>

#include "app/QuobrixApp.h"
#include "common/StringTable.h"
#include "task/Task.h"
#include "ui/BusyFilter.h"
#include "ui/MainFrame.h"
#include "ui/RecentFileList.h"
#include "ui/TaskEvents.h"
#include "ui/ThreadBar.h"
#include "ui/ThreadList.h"
#include "ui/UiImage.h"
#include "ui/UiText.h"

namespace {
// One command of the menus and bars. The text is the menu item's, with its
// accelerator after a tab as the menu shows it.
struct CCommand {
    unsigned nId;
    const char* pszText;
    QKeyCombination key;  // Qt::Key_unknown: none
    std::optional<UiImage> image;  // none: the command shows text only
};

constexpr std::optional<UiImage> kNoImage;

const CCommand kCommands[] = {
    {ID_FILE_NEW_TASK, "&New...\tCtrl+N", Qt::CTRL | Qt::Key_N, UiImage::New},
    {ID_FILE_OPEN, "&Open...\tCtrl+O", Qt::CTRL | Qt::Key_O, UiImage::Open},
    {ID_FILE_SAVE, "&Save\tCtrl+S", Qt::CTRL | Qt::Key_S, UiImage::Save},
    {ID_FILE_SAVE_AS, "Save &As...", {}, kNoImage},
    {ID_APP_OPTIONS, "Applition Options...", {}, kNoImage},
    {ID_FILE_PRINT, "&Print...\tCtrl+P", Qt::CTRL | Qt::Key_P, UiImage::Print},
    {ID_FILE_PRINT_SETUP, "P&rint Setup...", {}, kNoImage},
    {ID_APP_EXIT, "E&xit", {}, kNoImage},
    {ID_TASK_RUN, "&Run\tF6", Qt::Key_F6, UiImage::Run},
    {ID_TASK_PAUSE, "&Pause\tF7", Qt::Key_F7, UiImage::Pause},
    {ID_TASK_ABORT, "&Abort\tF8", Qt::Key_F8, UiImage::Abort},
    {ID_TASK_PROPERTIES, "Proper&ties...", {}, UiImage::Properties},
    {ID_VIEW_TOOLBAR, "&Standard Buttons", {}, kNoImage},
    {ID_VIEW_BROWSER_BUTTONS, "&Browser Buttons", {}, kNoImage},
    {ID_VIEW_ADDRESS_BAR, "&Address Bar", {}, kNoImage},
    {ID_VIEW_STATUS_BAR, "&Status Bar", {}, kNoImage},
    {ID_VIEW_THREAD_BAR, "Thread Bar", {}, UiImage::ThreadBar},
    {ID_GO_BACK, "&Back\tAlt+Left Arrow", Qt::ALT | Qt::Key_Left, UiImage::Back},
    {ID_GO_FORWARD, "&Forward\tAlt+Right Arrow", Qt::ALT | Qt::Key_Right, UiImage::Forward},
    {ID_GO_HOME, "&Home Page\tAlt+Home", Qt::ALT | Qt::Key_Home, UiImage::Home},
    {ID_GO_RESULT_PAGE, "&Result Page...\tF9", Qt::Key_F9, kNoImage},
    {ID_GO_OFFLINE_PAGE, "&Offline Web Page...\tF10", Qt::Key_F10, kNoImage},
    {ID_GO_NOT_RETRIEVED, "Pages &Not Retrieved", {}, kNoImage},
    {ID_VIEW_STOP, "Sto&p\tEsc", Qt::Key_Escape, UiImage::Stop},
    {ID_VIEW_REFRESH, "&Refresh\tF5", Qt::Key_F5, UiImage::Refresh},
    {ID_TEXT_LARGEST, "Lar&gest", {}, kNoImage},
    {ID_TEXT_LARGER, "&Larger", {}, kNoImage},
    {ID_TEXT_MEDIUM, "&Medium", {}, kNoImage},
    {ID_TEXT_SMALLER, "&Smaller", {}, kNoImage},
    {ID_TEXT_SMALLEST, "Sm&allest", {}, kNoImage},
    {ID_TEXT_SIZE, "Size", {}, UiImage::Size},
    {ID_HELP_USER_MANUAL, "&User Manual\tF1", Qt::Key_F1, kNoImage},
    {ID_HELP_CONTACT, "&Contact Us", {}, kNoImage},
    {ID_APP_ABOUT, "&About Quobrix...", {}, kNoImage},
    {ID_THREAD_ABORT_RETRIEVAL, "&Abort Retrieval", {}, kNoImage},
    {ID_THREAD_COPY_URL, "&Copy URL", {}, kNoImage},
    {ID_THREAD_SKIP_SITE, "&Skip Current Site", {}, kNoImage},
};

// How often the busy state looks whether the last worker has left.
constexpr int kBusyPollMs = 200;

// The commands whose menu item shows a check mark.
constexpr unsigned kCheckable[] = {ID_TASK_PAUSE,       ID_VIEW_TOOLBAR,    ID_VIEW_BROWSER_BUTTONS,
                                   ID_VIEW_ADDRESS_BAR, ID_VIEW_STATUS_BAR, ID_VIEW_THREAD_BAR};
}  // namespace

QAction* CMainFrame::addCommand(unsigned id, const QString& text, const QKeySequence& key,
                                std::optional<UiImage> image) {
    auto* action = new QAction(text, this);
    // "status text\ntooltip"
    const QString prompt = UiText(id);
    action->setStatusTip(prompt.section(u'\n', 0, 0));
    const QString tip = prompt.section(u'\n', 1, 1);
    if (!tip.isEmpty()) {
        action->setToolTip(tip);
        action->setIconText(tip);
    }
    if (!key.isEmpty()) {
        action->setShortcut(key);
    }
    if (image) {
        action->setIconVisibleInMenu(false);  // menus show text and check marks only
        // The hot image shows under the mouse, where the artwork has one.
        action->setIcon(UiIcon(*image));
    }
    m_actions[id] = action;
    return action;
}

void CMainFrame::createActions() {
    for (const CCommand& command : kCommands) {
        addCommand(
            command.nId, QString::fromLatin1(command.pszText),
            command.key.key() == Qt::Key_unknown ? QKeySequence() : QKeySequence(command.key),
            command.image);
    }
    for (unsigned id : kCheckable) {
        Action(id)->setCheckable(true);
    }
    // The text sizes: one of five, marked.
    auto* sizes = new QActionGroup(this);
    for (unsigned id = ID_TEXT_LARGEST; id <= ID_TEXT_SMALLEST; ++id) {
        Action(id)->setCheckable(true);
        sizes->addAction(Action(id));
    }
    // The recent files: six entries, shown while they hold a file.
    for (int index = 0; index < CRecentFileList::kSize; ++index) {
        addCommand(ID_FILE_MRU_FILE1 + static_cast<unsigned>(index), QString())->setVisible(false);
    }
}

void CMainFrame::connectCommands() {
    connect(Action(ID_TASK_RUN), &QAction::triggered, this, &CMainFrame::OnTaskRun);
    connect(Action(ID_TASK_PAUSE), &QAction::triggered, this, &CMainFrame::OnTaskPause);
    connect(Action(ID_TASK_ABORT), &QAction::triggered, this, &CMainFrame::OnTaskAbort);
    connect(Action(ID_TASK_PROPERTIES), &QAction::triggered, this, &CMainFrame::OnTaskProperties);
    connect(Action(ID_FILE_SAVE), &QAction::triggered, this, &CMainFrame::OnFileSave);
    connect(Action(ID_FILE_SAVE_AS), &QAction::triggered, this, &CMainFrame::OnFileSaveAs);
    connect(Action(ID_THREAD_ABORT_RETRIEVAL), &QAction::triggered, this,
            &CMainFrame::OnAbortRetrieval);
    connect(Action(ID_THREAD_COPY_URL), &QAction::triggered, this, &CMainFrame::OnCopyUrl);
    connect(Action(ID_THREAD_SKIP_SITE), &QAction::triggered, this,
            &CMainFrame::OnSkipCurrentSite);
}

void CMainFrame::connectCommandUpdates() {
    // The task's state moves the task commands (OnTaskState); its sites and
    // worker slots move the thread bar's commands.
    connect(m_pEvents, &CTaskEvents::SitesLeftChanged, this, &CMainFrame::updateThreadCommands);
    connect(m_pEvents, &CTaskEvents::ThreadStatusChanged, this, &CMainFrame::updateThreadCommands);
    connect(m_pEvents, &CTaskEvents::ThreadsReset, this, &CMainFrame::updateThreadCommands);
    connect(ThreadList(), &QTreeWidget::itemSelectionChanged, this,
            &CMainFrame::updateThreadCommands);
    for (QMenu* menu : menuBar()->findChildren<QMenu*>()) {
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
    }
    for (QToolBar* bar : {m_pStandardBar, m_pBrowserBar, m_pAddressBar}) {
        connect(bar, &QToolBar::visibilityChanged, this, &CMainFrame::updateBarChecks);
    }
    // The last worker to leave lowers the stop and says nothing: while the
    // workers stop, this timer reads the flag (no task lock) until it is down.
    m_pBusyTimer->setInterval(kBusyPollMs);
    connect(m_pBusyTimer, &QTimer::timeout, this, [this] {
        if (!m_doc.IsStopping()) {
            m_pBusyTimer->stop();
            UpdateCommandUI();
        }
    });
}

void CMainFrame::followBusyState() {
    const bool busy = m_doc.IsStopping();
    m_pBusyFilter->SetBusy(busy);
    if (busy && !m_pBusyTimer->isActive()) {
        m_pBusyTimer->start();
    }
}

QMenu* CMainFrame::createFileMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("&File"));
    menu->addAction(Action(ID_FILE_NEW_TASK));
    menu->addAction(Action(ID_FILE_OPEN));
    menu->addAction(Action(ID_FILE_SAVE));
    menu->addAction(Action(ID_FILE_SAVE_AS));
    menu->addSeparator();
    menu->addAction(Action(ID_APP_OPTIONS));
    menu->addSeparator();
    menu->addAction(Action(ID_FILE_PRINT));
    menu->addAction(Action(ID_FILE_PRINT_SETUP));
    m_pRecentSeparator = menu->addSeparator();
    // Stands for the list while it is empty.
    m_pNoRecentFile = menu->addAction(QStringLiteral("Recent File"));
    m_pNoRecentFile->setEnabled(false);
    for (int index = 0; index < CRecentFileList::kSize; ++index) {
        menu->addAction(Action(ID_FILE_MRU_FILE1 + static_cast<unsigned>(index)));
    }
    menu->addSeparator();
    menu->addAction(Action(ID_APP_EXIT));
    return menu;
}

QMenu* CMainFrame::createTaskMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("&Task"));
    menu->addAction(Action(ID_TASK_RUN));
    menu->addAction(Action(ID_TASK_PAUSE));
    menu->addAction(Action(ID_TASK_ABORT));
    menu->addSeparator();
    menu->addAction(Action(ID_TASK_PROPERTIES));
    return menu;
}

QMenu* CMainFrame::createViewMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("&View"));
    QMenu* toolbars = menu->addMenu(QStringLiteral("&Toolbars"));
    toolbars->addAction(Action(ID_VIEW_TOOLBAR));
    toolbars->addAction(Action(ID_VIEW_BROWSER_BUTTONS));
    toolbars->addAction(Action(ID_VIEW_ADDRESS_BAR));
    menu->addAction(Action(ID_VIEW_STATUS_BAR));
    menu->addAction(Action(ID_VIEW_THREAD_BAR));
    menu->addSeparator();
    QMenu* goTo = menu->addMenu(QStringLiteral("G&o To"));
    goTo->addAction(Action(ID_GO_BACK));
    goTo->addAction(Action(ID_GO_FORWARD));
    goTo->addSeparator();
    goTo->addAction(Action(ID_GO_HOME));
    goTo->addSeparator();
    goTo->addAction(Action(ID_GO_RESULT_PAGE));
    goTo->addAction(Action(ID_GO_OFFLINE_PAGE));
    goTo->addAction(Action(ID_GO_NOT_RETRIEVED));
    menu->addAction(Action(ID_VIEW_STOP));
    menu->addAction(Action(ID_VIEW_REFRESH));
    menu->addSeparator();
    QMenu* sizes = menu->addMenu(QStringLiteral("Te&xt Size"));
    for (unsigned id = ID_TEXT_LARGEST; id <= ID_TEXT_SMALLEST; ++id) {
        sizes->addAction(Action(id));
    }
    return menu;
}

QMenu* CMainFrame::createHelpMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("&Help"));
    menu->addAction(Action(ID_HELP_USER_MANUAL));
    menu->addAction(Action(ID_HELP_CONTACT));
    menu->addSeparator();
    menu->addAction(Action(ID_APP_ABOUT));
    return menu;
}

void CMainFrame::createMenus() {
    m_pFileMenu = createFileMenu();
    createTaskMenu();
    createViewMenu();
    createHelpMenu();
}

void CMainFrame::SetRecentFiles(const QStringList& menuTexts) {
    for (int index = 0; index < CRecentFileList::kSize; ++index) {
        QAction* action = Action(ID_FILE_MRU_FILE1 + static_cast<unsigned>(index));
        action->setText(menuTexts.value(index));
        action->setVisible(index < menuTexts.size());
    }
    m_pNoRecentFile->setVisible(menuTexts.isEmpty());
}

void CMainFrame::UpdateCommandUI() {
    Action(ID_TASK_RUN)->setEnabled(m_doc.CanRun());
    Action(ID_TASK_PAUSE)->setEnabled(m_doc.CanPause());
    Action(ID_TASK_PAUSE)->setChecked(m_doc.IsPauseChecked());
    Action(ID_TASK_ABORT)->setEnabled(m_doc.CanAbort());
    const bool taskDefined = m_doc.CanEditProperties();
    Action(ID_TASK_PROPERTIES)->setEnabled(taskDefined);
    Action(ID_GO_RESULT_PAGE)->setEnabled(taskDefined);
    Action(ID_GO_OFFLINE_PAGE)->setEnabled(taskDefined);
    Action(ID_GO_NOT_RETRIEVED)->setEnabled(taskDefined);
    updateThreadCommands();
    updateBarChecks();
    updateViewCommands();
    followBusyState();
}
