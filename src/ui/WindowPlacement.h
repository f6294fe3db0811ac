#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <Qt>

#include "common/AppOptions.h"

// The main window's placement between the settings store and Qt. The store
// keeps a Windows-style show command and the normal (restored) rectangle with
// Right and Bottom just outside it; here they are the window's state and its
// normal geometry (the client area, without the window manager's frame).

// Where the window is created: the stored rectangle, its size capped at the
// screen's available area and then raised to at least 300 x 200.
QRect InitialGeometry(const CWindowRect& rc, const QSize& screen);

// A window that shows less than a corner on every screen (screens[0] the
// primary) is moved onto the primary one, sized to fit it; one that can be
// seen and grabbed stays where it is.
QRect KeepOnScreen(const QRect& window, const QList<QRect>& screens);

// The state of the first show for a stored show command: 3 maximised,
// 2, 6 and 7 minimised, anything else normal.
Qt::WindowStates WindowStateForShowCmd(int cmdShow);

// What to store as the window closes: 2 minimised, 3 maximised, else 1.
int ShowCmdForWindowState(Qt::WindowStates state);
CWindowRect RectFromGeometry(const QRect& normal);
