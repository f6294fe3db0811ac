// The "Threads status" bar's place in the frame, and the commands of its
// pop-up menu.
#include <QClipboard>
#include <QGuiApplication>

#include "common/StringTable.h"
#include "task/Task.h"
#include "ui/MainFrame.h"
#include "ui/ThreadBar.h"
#include "ui/ThreadList.h"

void CMainFrame::createThreadBar() {
    m_pThreadBar = new CThreadBar(Action(ID_THREAD_ABORT_RETRIEVAL), Action(ID_THREAD_COPY_URL),
                                  Action(ID_THREAD_SKIP_SITE), this);
    addDockWidget(Qt::BottomDockWidgetArea, m_pThreadBar);
}

void CMainFrame::connectThreadBar() {
    m_pThreadBar->Connect(*m_pEvents);
    connect(m_pThreadBar, &CThreadBar::PopupAboutToShow, this, &CMainFrame::UpdateCommandUI);
    connect(m_pThreadBar, &QDockWidget::visibilityChanged, this, &CMainFrame::UpdateCommandUI);
}

CThreadList* CMainFrame::ThreadList() const {
    return m_pThreadBar->List();
}

void CMainFrame::updateThreadCommands() {
    const bool slotActive = m_doc.CanActOnSlot(m_pThreadBar->SelectedRow());
    Action(ID_THREAD_ABORT_RETRIEVAL)->setEnabled(slotActive);
    Action(ID_THREAD_COPY_URL)->setEnabled(slotActive);
    Action(ID_THREAD_SKIP_SITE)->setEnabled(m_doc.CanSkipSite());
}

void CMainFrame::OnAbortRetrieval() {
    const int slot = m_pThreadBar->SelectedRow();
    if (m_doc.CanActOnSlot(slot)) {
        m_doc.OnAbortRetrieval(slot);
    }
}

void CMainFrame::OnCopyUrl() {
    const int slot = m_pThreadBar->SelectedRow();
    if (m_doc.CanActOnSlot(slot)) {
        QGuiApplication::clipboard()->setText(QString::fromStdString(m_doc.GetSlotUrl(slot)));
    }
}

void CMainFrame::OnSkipCurrentSite() {
    m_doc.OnSkipCurrentSite();
    UpdateCommandUI();
}

QString CMainFrame::ThreadRowText(int row) const {
    return ThreadList()->StatusText(row);
}

int CMainFrame::ThreadRowPhase(int row) const {
    return ThreadList()->Phase(row);
}
