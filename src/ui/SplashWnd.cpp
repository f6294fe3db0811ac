#include "ui/SplashWnd.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

#include "ui/UiImage.h"

namespace {
constexpr int kWidth = 468;
constexpr int kHeight = 240;
constexpr int kBitmapTop = 75;
constexpr int kLifetimeMs = 1000;

bool IsPress(const QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonDblClick:
            return true;
        default:
            return false;
    }
}
}  // namespace

bool CSplashWnd::s_bShowSplashWnd = false;
CSplashWnd* CSplashWnd::s_pSplashWnd = nullptr;
bool CSplashWnd::s_bShownOnce = false;

void CSplashWnd::EnableSplashScreen(bool enable) {
    s_bShowSplashWnd = enable;
}

void CSplashWnd::ShowSplashScreen(QWidget* parent) {
    if (!s_bShowSplashWnd || s_pSplashWnd != nullptr || s_bShownOnce) {
        return;
    }
    const QPixmap bitmap(UiImagePath(UiImage::Splash));
    if (bitmap.isNull()) {
        return;  // no banner, no splash
    }
    s_bShownOnce = true;
    s_pSplashWnd = new CSplashWnd(parent, bitmap);
    s_pSplashWnd->show();
    s_pSplashWnd->repaint();
}

bool CSplashWnd::IsShowing() {
    return s_pSplashWnd != nullptr;
}

CSplashWnd::CSplashWnd(QWidget* parent, const QPixmap& bitmap)
    // Kept above its owner: window managers raise the main window when it
    // is activated, which would hide the splash behind it.
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_bitmap(bitmap),
      m_pParentWnd(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kWidth, kHeight);
    setCursor(Qt::ArrowCursor);
    setAccessibleName(QApplication::applicationDisplayName());
    const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        move(screen->availableGeometry().center() - rect().center());
    }
    qApp->installEventFilter(this);
    startTimer(kLifetimeMs);
}

CSplashWnd::~CSplashWnd() {
    s_pSplashWnd = nullptr;
}

void CSplashWnd::HideSplashScreen() {
    qApp->removeEventFilter(this);
    close();
    if (m_pParentWnd != nullptr) {
        m_pParentWnd->update();
    }
}

void CSplashWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const QSize size = m_bitmap.deviceIndependentSize().toSize();
    painter.drawPixmap((kWidth - size.width()) / 2, kBitmapTop, m_bitmap);
}

void CSplashWnd::timerEvent(QTimerEvent* event) {
    killTimer(event->timerId());
    HideSplashScreen();
}

bool CSplashWnd::eventFilter(QObject*, QEvent* event) {
    if (!IsPress(event)) {
        return false;
    }
    HideSplashScreen();
    return true;
}
