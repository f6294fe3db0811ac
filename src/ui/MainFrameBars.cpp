// The frame's bars: the standard toolbar, the browser buttons with the Size
// drop-down, and the address bar; the browser buttons start a new row.
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "common/StringTable.h"
#include "task/Task.h"
#include "ui/MainFrame.h"
#include "ui/OfflineAddress.h"
#include "ui/ThreadBar.h"
#include "ui/UiText.h"
#include "ui/controls/AddressBox.h"

namespace {
QToolBar* NewBar(QMainWindow* frame, const char* name, const QString& title) {
    auto* bar = new QToolBar(title, frame);
    bar->setObjectName(QLatin1String(name));
    bar->setIconSize(QSize(16, 16));
    return bar;
}
}  // namespace

void CMainFrame::createToolBars() {
    m_pStandardBar = NewBar(this, "StandardBar", QStringLiteral("Standard Buttons"));
    for (unsigned id : {ID_FILE_NEW_TASK, ID_FILE_OPEN, ID_FILE_SAVE, ID_TASK_PROPERTIES}) {
        m_pStandardBar->addAction(Action(id));
    }
    m_pStandardBar->addSeparator();
    for (unsigned id : {ID_TASK_RUN, ID_TASK_PAUSE, ID_TASK_ABORT}) {
        m_pStandardBar->addAction(Action(id));
    }
    m_pStandardBar->addSeparator();
    m_pStandardBar->addAction(Action(ID_VIEW_THREAD_BAR));
    addToolBar(Qt::TopToolBarArea, m_pStandardBar);
    addToolBarBreak(Qt::TopToolBarArea);

    m_pBrowserBar = NewBar(this, "BrowserBar", QStringLiteral("Browser Buttons"));
    for (unsigned id : {ID_GO_BACK, ID_GO_FORWARD, ID_VIEW_STOP, ID_VIEW_REFRESH, ID_GO_HOME}) {
        m_pBrowserBar->addAction(Action(id));
    }
    m_pBrowserBar->addSeparator();
    m_pBrowserBar->addAction(Action(ID_FILE_PRINT));
    m_pBrowserBar->addAction(Action(ID_TEXT_SIZE));
    // The Size button cycles the text size; its arrow drops the five sizes down.
    auto* sizes = new QMenu(this);
    for (unsigned id = ID_TEXT_LARGEST; id <= ID_TEXT_SMALLEST; ++id) {
        sizes->addAction(Action(id));
    }
    auto* sizeButton = qobject_cast<QToolButton*>(m_pBrowserBar->widgetForAction(Action(ID_TEXT_SIZE)));
    sizeButton->setMenu(sizes);
    sizeButton->setPopupMode(QToolButton::MenuButtonPopup);
    addToolBar(Qt::TopToolBarArea, m_pBrowserBar);
}

void CMainFrame::createAddressBar() {
    const QString title = UiText(IDS_ADDRESS_BAR);
    m_pAddressBar = NewBar(this, "AddressBar", title);
    auto* label = new QLabel(title, m_pAddressBar);
    label->setContentsMargins(4, 0, 4, 0);
    m_pAddressBox = new CAddressBox(m_pAddressBar);
    m_pAddressBox->setAccessibleName(title);
    label->setBuddy(m_pAddressBox);
    m_pAddressBar->addWidget(label);
    m_pAddressBar->addWidget(m_pAddressBox);
    addToolBar(Qt::TopToolBarArea, m_pAddressBar);
}

void CMainFrame::connectAddressBar() {
    // Keyboard users leave the page for the address bar with Alt+D, as in
    // other browsers (a page keeps Tab to itself).
    auto* focusAddress = new QAction(this);
    focusAddress->setShortcut(QKeySequence(Qt::ALT | Qt::Key_D));
    connect(focusAddress, &QAction::triggered, this, [this] {
        m_pAddressBox->setFocus(Qt::ShortcutFocusReason);
        m_pAddressBox->lineEdit()->selectAll();
    });
    addAction(focusAddress);

    connect(m_pAddressBox, &CAddressBox::AddressEntered, this,
            [this](const QString& text, bool ctrl) { OnAddress(text, ctrl, true); });
    connect(m_pAddressBox, &CAddressBox::AddressChosen, this,
            [this](const QString& text, bool ctrl) { OnAddress(text, ctrl, false); });
}

void CMainFrame::connectBars() {
    connectBarToggle(Action(ID_VIEW_TOOLBAR), m_pStandardBar);
    connectBarToggle(Action(ID_VIEW_BROWSER_BUTTONS), m_pBrowserBar);
    connectBarToggle(Action(ID_VIEW_ADDRESS_BAR), m_pAddressBar);
    connectBarToggle(Action(ID_VIEW_STATUS_BAR), statusBar());
    connectBarToggle(Action(ID_VIEW_THREAD_BAR), m_pThreadBar);
}

void CMainFrame::connectBarToggle(QAction* action, QWidget* bar) {
    action->setChecked(true);
    connect(action, &QAction::triggered, bar, &QWidget::setVisible);
}

void CMainFrame::updateBarChecks() {
    Action(ID_VIEW_TOOLBAR)->setChecked(!m_pStandardBar->isHidden());
    Action(ID_VIEW_BROWSER_BUTTONS)->setChecked(!m_pBrowserBar->isHidden());
    Action(ID_VIEW_ADDRESS_BAR)->setChecked(!m_pAddressBar->isHidden());
    Action(ID_VIEW_STATUS_BAR)->setChecked(!statusBar()->isHidden());
    Action(ID_VIEW_THREAD_BAR)->setChecked(!m_pThreadBar->isHidden());
}

void CMainFrame::OnAddress(const QString& text, bool ctrl, bool typed) {
    QString address = typed ? text.trimmed() : text;
    if (typed && !address.isEmpty()) {
        m_bAddressTyped = true;
    }
    if (ctrl) {
        address = QString::fromStdString(
            OfflineAddress(address.toStdString(), m_doc.LocalServerRoot()));
    }
    Navigate(address);
}

void CMainFrame::OnPageCompleted(const QString& address) {
    if (m_bAddressTyped) {
        m_pAddressBox->AddAddress(address);
    }
    m_bAddressTyped = false;
    m_pAddressBox->setEditText(address);
}
