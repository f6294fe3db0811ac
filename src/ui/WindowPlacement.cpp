#include "ui/WindowPlacement.h"

#include <algorithm>

namespace {
// Windows show commands, as the store keeps them.
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int kLeastVisible = 40;  // pixels each way, enough to see and grab a window
}  // namespace

QRect InitialGeometry(const CWindowRect& rc, const QSize& screen) {
    const CWindowGeometry geometry = InitialWindowGeometry(rc, screen.width(), screen.height());
    return QRect(geometry.X, geometry.Y, geometry.Width, geometry.Height);
}

QRect KeepOnScreen(const QRect& window, const QList<QRect>& screens) {
    for (const QRect& screen : screens) {
        const QRect visible = screen.intersected(window);
        if (visible.width() >= kLeastVisible && visible.height() >= kLeastVisible) {
            return window;
        }
    }
    if (screens.isEmpty()) {
        return window;
    }
    const QRect& primary = screens.first();
    const QSize size = window.size().boundedTo(primary.size());
    const int x = std::clamp(window.x(), primary.left(), primary.right() + 1 - size.width());
    const int y = std::clamp(window.y(), primary.top(), primary.bottom() + 1 - size.height());
    return QRect(QPoint(x, y), size);
}

Qt::WindowStates WindowStateForShowCmd(int cmdShow) {
    switch (cmdShow) {
        case SW_SHOWMAXIMIZED:
            return Qt::WindowMaximized;
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE:
            return Qt::WindowMinimized;
        default:
            return Qt::WindowNoState;
    }
}

int ShowCmdForWindowState(Qt::WindowStates state) {
    if (state & Qt::WindowMinimized) {
        return SW_SHOWMINIMIZED;
    }
    if (state & Qt::WindowMaximized) {
        return SW_SHOWMAXIMIZED;
    }
    return SW_SHOWNORMAL;
}

CWindowRect RectFromGeometry(const QRect& normal) {
    return {normal.left(), normal.top(), normal.left() + normal.width(),
            normal.top() + normal.height()};
}
