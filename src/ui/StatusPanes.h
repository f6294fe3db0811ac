#pragma once

#include <QObject>
#include <QString>

class CTaskEvents;
class QLabel;
class QStatusBar;

// The status bar's panes: the prompt pane, then four of fixed width with the
// task's state, sites left, links queued and links requested, which follow
// the task's news.
class CStatusPanes : public QObject {
    Q_OBJECT
public:
    enum Pane {
        PANE_PROMPT,
        PANE_STATE,
        PANE_SITES_LEFT,
        PANE_LINKS_QUEUED,
        PANE_LINKS_REQUESTED,
        PANE_COUNT
    };

    // Adds the panes to bar, with their first texts.
    explicit CStatusPanes(QStatusBar* bar);

    // The panes follow events from here on.
    void Connect(CTaskEvents& events);

    // What the pane shows; a command's prompt covers the prompt pane's text.
    QString Text(int pane) const;
    void SetText(int pane, const QString& text);
    // The width the panes need side by side, for the window's least width.
    int MinimumWidth() const;

signals:
    // A pane shows another text (a command's prompt over the prompt pane aside).
    void TextChanged(int pane, const QString& text);

private:
    void SetCount(int pane, unsigned id, qint64 count);

    QStatusBar* m_pBar;
    QLabel* m_pPanes[PANE_COUNT] = {};
};
