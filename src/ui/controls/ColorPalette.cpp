#include "ui/controls/ColorPalette.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "common/StringTable.h"
#include "ui/UiText.h"
#include "ui/controls/ColorButton.h"

namespace {

// 0xRRGGBB as written in style sheets -> 0x00BBGGRR.
constexpr uint32_t FromHtml(uint32_t rgb) {
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

constexpr int kSwatchSize = 14;  // pixels, the coloured square of a swatch

QIcon SwatchIcon(uint32_t color, int width) {
    QPixmap pixmap(width, kSwatchSize);
    pixmap.fill(CColorButton::ToQColor(color));
    QPainter painter(&pixmap);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(0, 0, width - 1, kSwatchSize - 1);
    return QIcon(pixmap);
}

}  // namespace

const std::vector<CColorPalette::CNamedColor>& CColorPalette::NamedColors() {
    // Dark shades on top, light ones at the bottom; one hue per column.
    static const std::vector<CNamedColor> colors = {
        {"Black", FromHtml(0x000000)},       {"Maroon", FromHtml(0x800000)},
        {"Saddle Brown", FromHtml(0x8B4513)}, {"Olive", FromHtml(0x808000)},
        {"Dark Green", FromHtml(0x006400)},  {"Teal", FromHtml(0x008080)},
        {"Navy", FromHtml(0x000080)},        {"Indigo", FromHtml(0x4B0082)},
        {"Dim Gray", FromHtml(0x696969)},    {"Red", FromHtml(0xFF0000)},
        {"Chocolate", FromHtml(0xD2691E)},   {"Gold", FromHtml(0xFFD700)},
        {"Green", FromHtml(0x008000)},       {"Dark Cyan", FromHtml(0x008B8B)},
        {"Blue", FromHtml(0x0000FF)},        {"Purple", FromHtml(0x800080)},
        {"Gray", FromHtml(0x808080)},        {"Orange Red", FromHtml(0xFF4500)},
        {"Orange", FromHtml(0xFFA500)},      {"Yellow", FromHtml(0xFFFF00)},
        {"Lime", FromHtml(0x00FF00)},        {"Turquoise", FromHtml(0x40E0D0)},
        {"Royal Blue", FromHtml(0x4169E1)},  {"Dark Violet", FromHtml(0x9400D3)},
        {"Silver", FromHtml(0xC0C0C0)},      {"Hot Pink", FromHtml(0xFF69B4)},
        {"Sandy Brown", FromHtml(0xF4A460)}, {"Khaki", FromHtml(0xF0E68C)},
        {"Light Green", FromHtml(0x90EE90)}, {"Aqua", FromHtml(0x00FFFF)},
        {"Sky Blue", FromHtml(0x87CEEB)},    {"Violet", FromHtml(0xEE82EE)},
        {"Gainsboro", FromHtml(0xDCDCDC)},   {"Pink", FromHtml(0xFFC0CB)},
        {"Peach Puff", FromHtml(0xFFDAB9)},  {"Light Yellow", FromHtml(0xFFFFE0)},
        {"Honeydew", FromHtml(0xF0FFF0)},    {"Light Cyan", FromHtml(0xE0FFFF)},
        {"Lavender", FromHtml(0xE6E6FA)},    {"White", FromHtml(0xFFFFFF)},
    };
    return colors;
}

QString CColorPalette::ColorName(uint32_t color) {
    for (const CNamedColor& named : NamedColors()) {
        if (named.m_crColor == (color & 0xFFFFFF)) {
            return QString::fromLatin1(named.m_strName);
        }
    }
    return CColorButton::ToQColor(color).name().toUpper();
}

CColorPalette::CColorPalette(uint32_t current, uint32_t defaultColor, QWidget* parent)
    : QFrame(parent, Qt::Popup) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    setAttribute(Qt::WA_DeleteOnClose);
    setAccessibleName(QStringLiteral("Colors"));
    // The style's own focus mark on a flat button is too faint to follow
    // with the arrow keys: the chosen one gets a frame in the selection colour.
    setStyleSheet(QStringLiteral(
        "QToolButton { border: 2px solid transparent; border-radius: 2px; padding: 1px; }"
        "QToolButton:hover { border-color: palette(mid); }"
        "QToolButton:focus { border-color: palette(highlight); }"));
    createControls(current, defaultColor);
}

QToolButton* CColorPalette::createChoice(const QString& text, const QIcon& icon) {
    auto* button = new QToolButton(this);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setIcon(icon);
    button->setText(text);
    button->setToolTip(text);
    button->setAccessibleName(text);
    button->installEventFilter(this);
    connect(button, &QToolButton::clicked, this, [this, button] { Pick(button); });
    m_arrChoices.push_back(button);
    return button;
}

void CColorPalette::createControls(uint32_t current, uint32_t defaultColor) {
    m_pAutomatic =
        createChoice(UiText(IDS_COLOR_AUTOMATIC), SwatchIcon(defaultColor, kSwatchSize * 2));
    m_pAutomatic->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_pAutomatic->setIconSize(QSize(kSwatchSize * 2, kSwatchSize));

    auto* grid = new QGridLayout;
    grid->setSpacing(1);
    QToolButton* focus = m_pAutomatic;
    int index = 0;
    for (const CNamedColor& named : NamedColors()) {
        QToolButton* swatch = createChoice(QString::fromLatin1(named.m_strName),
                                           SwatchIcon(named.m_crColor, kSwatchSize));
        swatch->setToolButtonStyle(Qt::ToolButtonIconOnly);
        swatch->setIconSize(QSize(kSwatchSize, kSwatchSize));
        grid->addWidget(swatch, index / kColumns, index % kColumns);
        m_arrSwatches.push_back(swatch);
        if (named.m_crColor == (current & 0xFFFFFF) && current != defaultColor) {
            focus = swatch;
        }
        ++index;
    }
    m_pMore = createChoice(UiText(IDS_COLOR_MORE), QIcon());
    m_pMore->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_pAutomatic->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_pMore->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    layout->addWidget(m_pAutomatic);
    layout->addLayout(grid);
    layout->addWidget(m_pMore);
    setFocusProxy(focus);
}

int CColorPalette::Neighbour(int index, int key) const {
    const int swatches = static_cast<int>(m_arrSwatches.size());
    const int last = swatches + 1;  // More
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        const int step = key == Qt::Key_Left ? -1 : 1;
        return (index + step + last + 1) % (last + 1);
    }
    const bool up = key == Qt::Key_Up;
    if (index == 0) {  // Automatic: up to More, down to the first row
        return up ? last : 1;
    }
    if (index == last) {  // More: up to the last row, down to Automatic
        return up ? swatches - kColumns + 1 : 0;
    }
    const int next = index - 1 + (up ? -kColumns : kColumns);
    if (next < 0) {
        return 0;
    }
    return next >= swatches ? last : next + 1;
}

bool CColorPalette::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QFrame::eventFilter(watched, event);
    }
    auto* button = qobject_cast<QToolButton*>(watched);
    const int key = static_cast<QKeyEvent*>(event)->key();
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down: {
            const auto found = std::find(m_arrChoices.begin(), m_arrChoices.end(), button);
            if (found == m_arrChoices.end()) {
                break;
            }
            const int index = static_cast<int>(found - m_arrChoices.begin());
            m_arrChoices[static_cast<size_t>(Neighbour(index, key))]->setFocus(Qt::TabFocusReason);
            return true;
        }
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (button != nullptr) {
                Pick(button);
            }
            return true;
        case Qt::Key_Escape:
            close();
            return true;
        default:
            break;
    }
    return QFrame::eventFilter(watched, event);
}

void CColorPalette::Pick(QAbstractButton* button) {
    // Closed first: the system's colour dialog must not open under a popup.
    close();
    if (button == m_pAutomatic) {
        emit AutomaticPicked();
    } else if (button == m_pMore) {
        emit MoreColorsPicked();
    } else {
        const auto found = std::find(m_arrSwatches.begin(), m_arrSwatches.end(), button);
        if (found != m_arrSwatches.end()) {
            emit ColorPicked(NamedColors()[static_cast<size_t>(found - m_arrSwatches.begin())].m_crColor);
        }
    }
}
