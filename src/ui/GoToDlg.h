#pragma once

#include <QDialog>
#include <QString>

class QFont;
class QLabel;
class QLineEdit;

// The frame shared by the two go-to dialogs: a text that explains, one
// labelled field, OK and Cancel. Every control takes the font it is given
// (the application's normal font).
class CGoToDlg : public QDialog {
    Q_OBJECT
public:
    // widthUnits: the dialog's width in dialog units of the font.
    CGoToDlg(const QString& title, const QString& text, const QString& labelText, int widthUnits,
             const QFont& font, QWidget* parent);

    QLineEdit* Field() const { return m_pField; }

private:
    void createControls(const QString& text, const QString& labelText);

    QLabel* m_pText = nullptr;
    QLineEdit* m_pField = nullptr;
};
