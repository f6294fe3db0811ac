#include "ui/controls/ColorButton.h"

#include <QColorDialog>
#include <QKeyEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "ui/controls/ColorPalette.h"

namespace {
constexpr int kArrowWidth = 12;  // pixels beside the colour for the drop-down arrow
}  // namespace

CColorButton::CColorButton(QWidget* parent) : QPushButton(parent) {
    setAutoDefault(false);  // Enter is the dialog's OK, not a new palette
    connect(this, &QPushButton::clicked, this, &CColorButton::OnShowPalette);
    UpdateName();
}

QColor CColorButton::ToQColor(uint32_t color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

uint32_t CColorButton::FromQColor(const QColor& color) {
    return static_cast<uint32_t>(color.red()) | (static_cast<uint32_t>(color.green()) << 8) |
           (static_cast<uint32_t>(color.blue()) << 16);
}

void CColorButton::SetColor(uint32_t color) {
    m_crColor = color;
    UpdateName();
    update();
}

void CColorButton::SetDefaultColor(uint32_t defaultColor) {
    m_crDefault = defaultColor;
}

void CColorButton::UpdateName() {
    const QString name = CColorPalette::ColorName(m_crColor);
    setAccessibleName(name);
    setToolTip(name);
}

void CColorButton::OnShowPalette() {
    if (m_pPalette != nullptr) {
        return;
    }
    m_pPalette = new CColorPalette(m_crColor, m_crDefault, this);
    connect(m_pPalette, &CColorPalette::ColorPicked, this, &CColorButton::OnPicked);
    connect(m_pPalette, &CColorPalette::AutomaticPicked, this, [this] { OnPicked(m_crDefault); });
    connect(m_pPalette, &CColorPalette::MoreColorsPicked, this, &CColorButton::OnMoreColors);
    m_pPalette->setFont(font());
    m_pPalette->adjustSize();
    m_pPalette->move(mapToGlobal(rect().bottomLeft()));
    m_pPalette->show();
    m_pPalette->setFocus(Qt::PopupFocusReason);
}

void CColorButton::OnPicked(uint32_t color) {
    SetColor(color);
    emit ColorPicked(color);
    setFocus();
}

void CColorButton::OnMoreColors() {
    const QColor color = QColorDialog::getColor(ToQColor(m_crColor), window());
    if (color.isValid()) {
        OnPicked(FromQColor(color));
    }
}

void CColorButton::keyPressEvent(QKeyEvent* event) {
    // Alt+Down or F4 opens the palette, as a drop-down list does.
    if ((event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier)) ||
        event->key() == Qt::Key_F4) {
        OnShowPalette();
        return;
    }
    QPushButton::keyPressEvent(event);
}

QSize CColorButton::sizeHint() const {
    const int height = QPushButton::sizeHint().height();
    return {height * 2 + kArrowWidth, height};
}

void CColorButton::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_PushButton, option);

    const QRect content = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    QRect swatch = content.adjusted(2, 2, -kArrowWidth - 2, -2);
    painter.setPen(isEnabled() ? palette().color(QPalette::WindowText)
                               : palette().color(QPalette::Disabled, QPalette::WindowText));
    painter.setBrush(isEnabled() ? ToQColor(m_crColor) : palette().color(QPalette::Button));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));

    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = QRect(content.right() - kArrowWidth + 2, content.top(), kArrowWidth - 2,
                       content.height());
    painter.drawPrimitive(QStyle::PE_IndicatorArrowDown, arrow);
}
