// The "Threads status" bar: a dock at the bottom edge holding the thread
// list, and the commands of the list's pop-up menu.
#include <QClipboard>
#include <QDockWidget>
#include <QGuiApplication>
#include <QMenu>
#include <QVBoxLayout>

#include "common/StringTable.h"
#include "task/QuobrixDoc.h"
#include "ui/MainFrame.h"
#include "ui/ThreadList.h"

namespace {
constexpr int kListInset = 5;  // pixels between the bar's edge and the list
}  // namespace

void CMainFrame::createThreadBar() {
    const QString title = QString::fromStdString(LoadString(IDS_THREAD_BAR_TITLE));
    m_pThreadBar = new QDockWidget(title, this);
    m_pThreadBar->setObjectName(QStringLiteral("ThreadBar"));
    m_pThreadBar->setAllowedAreas(Qt::BottomDockWidgetArea);
    m_pThreadBar->setAccessibleName(title);

    auto* client = new QWidget(m_pThreadBar);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(kListInset, kListInset, kListInset, kListInset);
    m_pThreadList = new CThreadList(client);
    layout->addWidget(m_pThreadList);
    m_pThreadBar->setWidget(client);
    addDockWidget(Qt::BottomDockWidgetArea, m_pThreadBar);

    connect(m_pThreadList, &CThreadList::PopupRequested, this, &CMainFrame::OnThreadPopup);
    connectBarToggle(Action(ID_VIEW_THREAD_BAR), m_pThreadBar);
    connect(m_pThreadBar, &QDockWidget::visibilityChanged, this, &CMainFrame::UpdateCommandUI);
}

void CMainFrame::OnThreadPopup(const QPoint& globalPos) {
    UpdateCommandUI();
    m_pThreadMenu->exec(globalPos);
}

void CMainFrame::updateThreadCommands() {
    const bool bSlotActive = m_doc.CanActOnSlot(m_pThreadList->SelectedRow());
    Action(ID_THREAD_ABORT_RETRIEVAL)->setEnabled(bSlotActive);
    Action(ID_THREAD_COPY_URL)->setEnabled(bSlotActive);
    Action(ID_THREAD_SKIP_SITE)->setEnabled(m_doc.CanSkipSite());
}

void CMainFrame::OnAbortRetrieval() {
    const int slot = m_pThreadList->SelectedRow();
    if (m_doc.CanActOnSlot(slot)) {
        m_doc.OnAbortRetrieval(slot);
    }
}

void CMainFrame::OnCopyUrl() {
    const int slot = m_pThreadList->SelectedRow();
    if (m_doc.CanActOnSlot(slot)) {
        QGuiApplication::clipboard()->setText(QString::fromStdString(m_doc.GetSlotUrl(slot)));
    }
}

void CMainFrame::OnSkipCurrentSite() {
    m_doc.OnSkipCurrentSite();
    UpdateCommandUI();
}

QString CMainFrame::ThreadRowText(int row) const {
    return m_pThreadList->StatusText(row);
}

int CMainFrame::ThreadRowPhase(int row) const {
    return m_pThreadList->Phase(row);
}
