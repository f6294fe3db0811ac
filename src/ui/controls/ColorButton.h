#pragma once

#include <QPointer>
#include <QPushButton>
#include <cstdint>

#include "ui/controls/ColorPalette.h"

// A button that shows a colour; a click (or Space, or Alt+Down) opens a
// palette of named colours below it, with "Automatic" for the default colour
// and "More colors..." for the system's colour dialog. Colours are 0x00BBGGRR,
// as the task keeps them. Its accessible name is the colour's name.
class CColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit CColorButton(QWidget* parent = nullptr);

    uint32_t Color() const { return m_crColor; }
    void SetColor(uint32_t color);
    uint32_t DefaultColor() const { return m_crDefault; }
    // The colour "Automatic" picks.
    void SetDefaultColor(uint32_t defaultColor);

    // The open palette, or null when it is closed.
    CColorPalette* Palette() const { return m_pPalette; }

    // 0x00BBGGRR <-> QColor.
    static QColor ToQColor(uint32_t color);
    static uint32_t FromQColor(const QColor& color);

signals:
    // The user picked a colour (also when it is the one shown).
    void ColorPicked(uint32_t color);

public slots:
    void OnShowPalette();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QSize sizeHint() const override;

private:
    void OnPicked(uint32_t color);
    void OnMoreColors();
    void UpdateName();

    uint32_t m_crColor = 0;
    uint32_t m_crDefault = 0;
    // Cleared by Qt when the palette closes, also while this button is being
    // destroyed (a slot of our own would then run on a half-destroyed object).
    QPointer<CColorPalette> m_pPalette;
};
