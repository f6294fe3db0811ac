#pragma once

#include <QPixmap>
#include <QWidget>

// The splash window: a bordered 468 x 240 white pop-up over the main window
// with the program's banner, shown once as the main frame is created. It
// goes after a second, or at once on the first key or mouse button pressed
// anywhere in the program; that press is consumed.
class CSplashWnd : public QWidget {
    Q_OBJECT
public:
    // Set from the command line before the frame exists.
    static void EnableSplashScreen(bool enable);
    // Shows the splash for parent, if enabled and not shown yet.
    static void ShowSplashScreen(QWidget* parent);
    static bool IsShowing();

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CSplashWnd(QWidget* parent, const QPixmap& bitmap);
    ~CSplashWnd() override;
    void HideSplashScreen();

    static bool s_bShowSplashWnd;
    static CSplashWnd* s_pSplashWnd;
    static bool s_bShownOnce;

    QPixmap m_bitmap;
    QWidget* m_pParentWnd;
};
