#pragma once

class QFont;
class QLabel;
class QString;
class QWidget;

// Small helpers the program's dialogs share.

// Ties a label to the control it names: its mnemonic moves the focus there,
// and a screen reader announces the control by the label's visible text
// ("&Account:" -> "Account").
void LabelControl(QLabel* pLabel, QWidget* pControl);

// The visible text of a label or button text: "&Account:" -> "Account".
QString VisibleName(const QString& strText);

// Pixels of a width given in dialog units (a quarter of the font's average
// character width), so dialogs keep their proportions in any font.
int DialogUnitsX(const QFont& font, int nUnits);
