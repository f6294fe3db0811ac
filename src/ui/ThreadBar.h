#pragma once

#include <QDockWidget>

class CTaskEvents;
class CThreadList;
class QAction;
class QMenu;

// The "Threads status" bar: a dock at the bottom edge with the thread list,
// one row per worker slot, and the list's pop-up menu (Abort Retrieval, Copy
// URL, Skip Current Site). Its rows follow the task's thread lines.
class CThreadBar : public QDockWidget {
    Q_OBJECT
public:
    CThreadBar(QAction* abortRetrieval, QAction* copyUrl, QAction* skipSite,
               QWidget* parent = nullptr);

    // The rows follow events' thread lines from here on.
    void Connect(CTaskEvents& events);

    CThreadList* List() const { return m_pList; }
    // The selected row, -1 when none.
    int SelectedRow() const;

signals:
    // The pop-up menu is about to show: its commands' enabling is due.
    void PopupAboutToShow();

private:
    void OnPopup(const QPoint& globalPos);

    CThreadList* m_pList = nullptr;
    QMenu* m_pMenu = nullptr;
};
