#pragma once

#include <QObject>

class QWidget;

// While the task stops its workers, input meant for one window is dropped:
// no key, click, shortcut or close request reaches it or the bars and menus
// it owns, and the wait cursor shows. Its dialogs (the Authorize dialog, a
// message box) still take input, and every other event, the workers'
// notifications among them, is delivered as usual. Installed on the
// application, so it sees events before any widget does.
class CBusyFilter : public QObject {
    Q_OBJECT
public:
    explicit CBusyFilter(QWidget* window);
    ~CBusyFilter() override;

    void SetBusy(bool busy);
    bool IsBusy() const { return m_bBusy; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsGuarded(const QObject* receiver) const;

    QWidget* m_pWindow;
    bool m_bBusy = false;
};
