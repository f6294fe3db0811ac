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
    // nWidthUnits: the dialog's width in dialog units of the font.
    CGoToDlg(const QString& strTitle, const QString& strText, const QString& strLabel,
             int nWidthUnits, const QFont& font, QWidget* parent);

    QLineEdit* Field() const { return m_pField; }

private:
    void createControls(const QString& strText, const QString& strLabel);

    QLabel* m_pText = nullptr;
    QLineEdit* m_pField = nullptr;
};
