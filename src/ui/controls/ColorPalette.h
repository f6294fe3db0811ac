#pragma once

#include <QFrame>
#include <QString>
#include <cstdint>
#include <vector>

class QAbstractButton;
class QToolButton;

// The pop-up of CColorButton: "Automatic" on top, a grid of named colour
// swatches, "More colors..." below. Each swatch carries its colour's name as
// tooltip and accessible name. Arrow keys move between the choices, Enter or
// Space picks one, Esc closes; a pick closes the palette too.
class CColorPalette : public QFrame {
    Q_OBJECT
public:
    struct CNamedColor {
        const char* m_strName;
        uint32_t m_crColor;  // 0x00BBGGRR
    };
    // The swatches, row by row.
    static const std::vector<CNamedColor>& NamedColors();
    // The name of a swatch colour, or "#RRGGBB" for any other.
    static QString ColorName(uint32_t color);

    static constexpr int kColumns = 8;

    // current: the swatch that has the focus when it opens (or Automatic);
    // defaultColor: the colour shown beside "Automatic".
    CColorPalette(uint32_t current, uint32_t defaultColor, QWidget* parent);

    QToolButton* AutomaticButton() const { return m_pAutomatic; }
    QToolButton* MoreButton() const { return m_pMore; }
    const std::vector<QToolButton*>& Swatches() const { return m_arrSwatches; }

signals:
    void ColorPicked(uint32_t color);
    void AutomaticPicked();
    void MoreColorsPicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls(uint32_t current, uint32_t defaultColor);
    QToolButton* createChoice(const QString& text, const QIcon& icon);
    // The choice after moving from index (0 Automatic, 1.. swatches, last More) by a key.
    int Neighbour(int index, int key) const;
    void Pick(QAbstractButton* button);

    QToolButton* m_pAutomatic = nullptr;
    QToolButton* m_pMore = nullptr;
    std::vector<QToolButton*> m_arrSwatches;
    std::vector<QToolButton*> m_arrChoices;  // Automatic, the swatches, More
};
