#pragma once

#include <QFont>
#include <string>

// The program's two shared fonts, built once at start-up from the stored
// faces and sizes (the application object's normal and title fonts). Dialogs,
// the splash window and the wizard fetch them here.
class CSharedFonts {
public:
    // The normal font (weight 400) and the bold title font (weight 700);
    // the application's own font until start-up has built them.
    static QFont Normal();
    static QFont Title();

    static void Set(const QFont& normal, const QFont& title);
};

// The character height in pixels of a font of the given points on a screen of
// dpi pixels per inch, rounded as a multiply-then-divide does: 8 points at
// 96 dpi -> 11, 16 points -> 21.
int FontPixelHeight(int points, int dpi);

// face at points (by the rule above), bold or not; the system's sans-serif
// family when face is not installed.
QFont CreateSharedFont(const std::string& face, int points, bool bold, int dpi);
