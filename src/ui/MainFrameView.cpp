// The browser view in the middle of the frame: its commands, and the address
// bar and caption that follow it.
#include "common/StringTable.h"
#include "results/FailurePage.h"
#include "task/Task.h"
#include "ui/MainFrame.h"
#include "ui/QuobrixView.h"
#include "ui/SharedFonts.h"
#include "ui/ThreadBar.h"
#include "ui/ThreadList.h"
#include "ui/UiText.h"
#include "ui/controls/AddressBox.h"

void CMainFrame::createView() {
    m_pView = new CQuobrixView(m_doc, m_app, this);
    m_pView->SetNormalFont(CSharedFonts::Normal());
    setCentralWidget(m_pView);
    setTabOrder(m_pAddressBox, ThreadList());
    setTabOrder(ThreadList(), m_pView);
}

void CMainFrame::connectView() {
    connectViewCommands();
    connect(m_pView, &CQuobrixView::AddressShown, m_pAddressBox, &QComboBox::setEditText);
    connect(m_pView, &CQuobrixView::TitleShown, this, [this](const QString& title) {
        setWindowTitle(title + QStringLiteral(" - ") + UiText(IDS_APP_TITLE));
    });
    connect(m_pView, &CQuobrixView::PageCompleted, this, &CMainFrame::OnPageCompleted);
    connect(m_pView, &CQuobrixView::CommandStateChanged, this, &CMainFrame::updateViewCommands);
    connect(Action(ID_GO_NOT_RETRIEVED), &QAction::triggered, this, &CMainFrame::OnGoNotRetrieved);
}

void CMainFrame::OnGoNotRetrieved() {
    Navigate(QString::fromStdString(m_doc.LocalServerRoot() + FAILURE_PAGE_NAME));
}

void CMainFrame::connectViewCommands() {
    const std::pair<unsigned, void (CQuobrixView::*)()> commands[] = {
        {ID_GO_BACK, &CQuobrixView::OnGoBack},
        {ID_GO_FORWARD, &CQuobrixView::OnGoForward},
        {ID_GO_HOME, &CQuobrixView::OnGoHome},
        {ID_VIEW_STOP, &CQuobrixView::OnViewStop},
        {ID_VIEW_REFRESH, &CQuobrixView::OnViewRefresh},
        {ID_FILE_PRINT, &CQuobrixView::OnFilePrint},
        {ID_FILE_PRINT_SETUP, &CQuobrixView::OnFilePrintSetup},
        {ID_TEXT_SIZE, &CQuobrixView::OnTextSizeCycle},
        {ID_GO_RESULT_PAGE, &CQuobrixView::OnGoResultPage},
        {ID_GO_OFFLINE_PAGE, &CQuobrixView::OnGoOfflinePage},
        {ID_HELP_USER_MANUAL, &CQuobrixView::OnHelpUserManual},
    };
    for (const auto& [id, slot] : commands) {
        connect(Action(id), &QAction::triggered, m_pView, slot);
    }
    // Largest (32780) .. Smallest (32784) set the sizes 4 .. 0.
    for (unsigned id = ID_TEXT_LARGEST; id <= ID_TEXT_SMALLEST; ++id) {
        const int size = static_cast<int>(ID_TEXT_SMALLEST - id);
        connect(Action(id), &QAction::triggered, m_pView, [this, size] { m_pView->OnTextSize(size); });
    }
}

void CMainFrame::updateViewCommands() {
    Action(ID_GO_BACK)->setEnabled(m_pView->CanGoBack());
    Action(ID_GO_FORWARD)->setEnabled(m_pView->CanGoForward());
    const int textSize = m_pView->TextSize();
    if (textSize >= 0 && textSize <= 4) {
        Action(ID_TEXT_SMALLEST - static_cast<unsigned>(textSize))->setChecked(true);
    }
}

void CMainFrame::Navigate(const QString& address) {
    if (!address.isEmpty()) {
        m_pView->Navigate(address);
    }
}

void CMainFrame::ShowNewTask() {
    m_pView->ShowNothing();
    m_pAddressBox->setEditText(QString());
    UpdateTitle();
}
