// The status bar: the prompt pane, then the four panes of the task's state
// and counters.
#include <QStatusBar>

#include "ui/MainFrame.h"

void CMainFrame::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    m_pStatusPanes = new CStatusPanes(bar);
}

QString CMainFrame::PaneText(int pane) const {
    return m_pStatusPanes->Text(pane);
}
