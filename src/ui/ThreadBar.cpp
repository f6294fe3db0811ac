#include "ui/ThreadBar.h"

#include <QMenu>
#include <QVBoxLayout>

#include "common/StringTable.h"
#include "ui/TaskEvents.h"
#include "ui/ThreadList.h"
#include "ui/UiText.h"

namespace {
constexpr int kListInset = 5;  // pixels between the bar's edge and the list
}  // namespace

CThreadBar::CThreadBar(QAction* abortRetrieval, QAction* copyUrl, QAction* skipSite,
                       QWidget* parent)
    : QDockWidget(UiText(IDS_THREAD_BAR_TITLE), parent) {
    setObjectName(QStringLiteral("ThreadBar"));
    setAllowedAreas(Qt::BottomDockWidgetArea);
    setAccessibleName(windowTitle());

    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(kListInset, kListInset, kListInset, kListInset);
    m_pList = new CThreadList(client);
    layout->addWidget(m_pList);
    setWidget(client);

    m_pMenu = new QMenu(this);
    m_pMenu->addAction(abortRetrieval);
    m_pMenu->addAction(copyUrl);
    m_pMenu->addSeparator();
    m_pMenu->addAction(skipSite);
    connect(m_pList, &CThreadList::PopupRequested, this, &CThreadBar::OnPopup);
}

void CThreadBar::Connect(CTaskEvents& events) {
    connect(&events, &CTaskEvents::ThreadStatusChanged, m_pList, &CThreadList::SetStatus);
    connect(&events, &CTaskEvents::ThreadsReset, m_pList, &CThreadList::ResetRows);
}

int CThreadBar::SelectedRow() const {
    return m_pList->SelectedRow();
}

void CThreadBar::OnPopup(const QPoint& globalPos) {
    emit PopupAboutToShow();
    m_pMenu->exec(globalPos);
}
