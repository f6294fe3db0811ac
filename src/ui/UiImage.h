#pragma once

#include <QIcon>
#include <QString>

// The window's artwork, compiled in under ":/ui/". Each image is named here
// once; its file is found in one table (UiImage.cpp).
enum class UiImage {
    New,
    Open,
    Save,
    Print,
    Run,
    Pause,
    Abort,
    Properties,
    ThreadBar,
    Back,
    Forward,
    Home,
    Stop,
    Refresh,
    Size,
    Phase0,  // the thread rows' phases, in order
    Phase1,
    Phase2,
    Phase3,
    Wizard,
    Splash,
    Program16,  // the program's icon, smallest to largest
    Program24,
    Program32,
    Program48,
    Program64,
    Program128,
    Program256,
    Count
};

// The image's resource path, and that of its hot variant (shown under the
// mouse), empty where the artwork has none.
QString UiImagePath(UiImage image);
QString UiHotImagePath(UiImage image);
// The image as an icon, with its hot variant as the active mode.
QIcon UiIcon(UiImage image);
// The program's icon, in each of its sizes.
QIcon UiProgramIcon();
