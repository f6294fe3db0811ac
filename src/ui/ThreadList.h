#pragma once

#include <QTreeWidget>

// The thread bar's list: one row per worker slot (15), the slot's number,
// an icon for what its worker is doing (0 idle or ended, 1 connecting or
// requesting, 2 reading, 3 parsing) and its latest status line. Knows
// nothing of the task: the frame feeds it the task's messages.
class CThreadList : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 15;
    static constexpr int kPhases = 4;

    explicit CThreadList(QWidget* parent = nullptr);

    // Row of slot (only its low 8 bits count): text and the phase's icon.
    void SetStatus(int slot, int phase, const QString& text);
    // Every row back to "N/A" with the idle icon.
    void ResetRows();

    QString StatusText(int row) const;
    int Phase(int row) const;
    // The selected row, -1 when none.
    int SelectedRow() const;

signals:
    // A right click (or the menu key) on the list; globalPos is where the
    // pop-up menu goes.
    void PopupRequested(const QPoint& globalPos);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetRow(int row, int phase, const QString& text);
    void FitStatusColumn();

    int m_nStatusWidth = 0;  // the status column's least width
};
