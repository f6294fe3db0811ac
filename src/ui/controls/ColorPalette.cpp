#include "ui/controls/ColorPalette.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "common/StringTable.h"
#include "ui/controls/ColorButton.h"

namespace {

// 0xRRGGBB as written in style sheets -> 0x00BBGGRR.
constexpr uint32_t FromHtml(uint32_t rgb) {
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

constexpr int kSwatchSize = 14;  // pixels, the coloured square of a swatch

QIcon SwatchIcon(uint32_t crColor, int nWidth) {
    QPixmap pixmap(nWidth, kSwatchSize);
    pixmap.fill(CColorButton::ToQColor(crColor));
    QPainter painter(&pixmap);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(0, 0, nWidth - 1, kSwatchSize - 1);
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

QString CColorPalette::ColorName(uint32_t crColor) {
    for (const CNamedColor& named : NamedColors()) {
        if (named.m_crColor == (crColor & 0xFFFFFF)) {
            return QString::fromLatin1(named.m_strName);
        }
    }
    return CColorButton::ToQColor(crColor).name().toUpper();
}

CColorPalette::CColorPalette(uint32_t crCurrent, uint32_t crDefault, QWidget* parent)
    : QFrame(parent, Qt::Popup) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    setAttribute(Qt::WA_DeleteOnClose);
    setAccessibleName(QStringLiteral("Colors"));
    createControls(crCurrent, crDefault);
}

QToolButton* CColorPalette::createChoice(const QString& text, const QIcon& icon) {
    auto* pButton = new QToolButton(this);
    pButton->setAutoRaise(true);
    pButton->setFocusPolicy(Qt::StrongFocus);
    pButton->setIcon(icon);
    pButton->setText(text);
    pButton->setToolTip(text);
    pButton->setAccessibleName(text);
    pButton->installEventFilter(this);
    connect(pButton, &QToolButton::clicked, this, [this, pButton] { Pick(pButton); });
    m_arrChoices.push_back(pButton);
    return pButton;
}

void CColorPalette::createControls(uint32_t crCurrent, uint32_t crDefault) {
    m_pAutomatic = createChoice(QString::fromStdString(LoadString(IDS_COLOR_AUTOMATIC)),
                                SwatchIcon(crDefault, kSwatchSize * 2));
    m_pAutomatic->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_pAutomatic->setIconSize(QSize(kSwatchSize * 2, kSwatchSize));

    auto* pGrid = new QGridLayout;
    pGrid->setSpacing(1);
    QToolButton* pFocus = m_pAutomatic;
    int index = 0;
    for (const CNamedColor& named : NamedColors()) {
        QToolButton* pSwatch =
            createChoice(QString::fromLatin1(named.m_strName), SwatchIcon(named.m_crColor, kSwatchSize));
        pSwatch->setToolButtonStyle(Qt::ToolButtonIconOnly);
        pSwatch->setIconSize(QSize(kSwatchSize, kSwatchSize));
        pGrid->addWidget(pSwatch, index / kColumns, index % kColumns);
        m_arrSwatches.push_back(pSwatch);
        if (named.m_crColor == (crCurrent & 0xFFFFFF) && crCurrent != crDefault) {
            pFocus = pSwatch;
        }
        ++index;
    }
    m_pMore = createChoice(QString::fromStdString(LoadString(IDS_COLOR_MORE)), QIcon());
    m_pMore->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_pAutomatic->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_pMore->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(4, 4, 4, 4);
    pLayout->setSpacing(3);
    pLayout->addWidget(m_pAutomatic);
    pLayout->addLayout(pGrid);
    pLayout->addWidget(m_pMore);
    setFocusProxy(pFocus);
}

int CColorPalette::Neighbour(int index, int key) const {
    const int nSwatches = static_cast<int>(m_arrSwatches.size());
    const int nLast = nSwatches + 1;  // More
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        const int step = key == Qt::Key_Left ? -1 : 1;
        return (index + step + nLast + 1) % (nLast + 1);
    }
    const bool bUp = key == Qt::Key_Up;
    if (index == 0) {  // Automatic: up to More, down to the first row
        return bUp ? nLast : 1;
    }
    if (index == nLast) {  // More: up to the last row, down to Automatic
        return bUp ? nSwatches - kColumns + 1 : 0;
    }
    const int next = index - 1 + (bUp ? -kColumns : kColumns);
    if (next < 0) {
        return 0;
    }
    return next >= nSwatches ? nLast : next + 1;
}

bool CColorPalette::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QFrame::eventFilter(watched, event);
    }
    auto* pButton = qobject_cast<QToolButton*>(watched);
    const int key = static_cast<QKeyEvent*>(event)->key();
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down: {
            const auto found = std::find(m_arrChoices.begin(), m_arrChoices.end(), pButton);
            if (found == m_arrChoices.end()) {
                break;
            }
            const int index = static_cast<int>(found - m_arrChoices.begin());
            m_arrChoices[static_cast<size_t>(Neighbour(index, key))]->setFocus(Qt::TabFocusReason);
            return true;
        }
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (pButton != nullptr) {
                Pick(pButton);
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

void CColorPalette::Pick(QAbstractButton* pButton) {
    // Closed first: the system's colour dialog must not open under a popup.
    close();
    if (pButton == m_pAutomatic) {
        emit AutomaticPicked();
    } else if (pButton == m_pMore) {
        emit MoreColorsPicked();
    } else {
        const auto found = std::find(m_arrSwatches.begin(), m_arrSwatches.end(), pButton);
        if (found != m_arrSwatches.end()) {
            emit ColorPicked(NamedColors()[static_cast<size_t>(found - m_arrSwatches.begin())].m_crColor);
        }
    }
}
