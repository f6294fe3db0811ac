#include "ui/SharedFonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <cstdint>
#include <optional>

namespace {
std::optional<QFont>& NormalFont() {
    static std::optional<QFont> font;
    return font;
}

std::optional<QFont>& TitleFont() {
    static std::optional<QFont> font;
    return font;
}
}  // namespace

QFont CSharedFonts::Normal() {
    return NormalFont().value_or(QApplication::font());
}

QFont CSharedFonts::Title() {
    return TitleFont().value_or(QApplication::font());
}

void CSharedFonts::Set(const QFont& normal, const QFont& title) {
    NormalFont() = normal;
    TitleFont() = title;
}

int FontPixelHeight(int points, int dpi) {
    const int64_t product = int64_t{points} * dpi;
    // Half away from zero, as a multiply-then-divide rounds.
    return static_cast<int>((product >= 0 ? product + 36 : product - 36) / 72);
}

QFont CreateSharedFont(const std::string& face, int points, bool bold, int dpi) {
    const QString family = QString::fromStdString(face);
    QFont font = QFontDatabase::hasFamily(family)
                     ? QFont(family)
                     : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    const int height = FontPixelHeight(points, dpi);
    if (height > 0) {  // a size of 0 or less keeps the family's default size
        font.setPixelSize(height);
    }
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}
