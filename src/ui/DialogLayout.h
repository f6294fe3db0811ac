#pragma once

class QDialog;
class QFont;
class QLabel;
class QString;
class QWidget;

// Small helpers the program's dialogs share.

// Ties a label to the control it names: its mnemonic moves the focus there,
// and a screen reader announces the control by the label's visible text
// ("&Account:" -> "Account").
void LabelControl(QLabel* label, QWidget* control);

// Pixels of a width given in dialog units (a quarter of the font's average
// character width), so dialogs keep their proportions in any font.
int DialogUnitsX(const QFont& font, int units);

// Gives a dialog the size its layout needs at its minimum width (at least),
// and keeps it there: these dialogs have nothing that grows.
void FixDialogSize(QDialog* dialog);

// An address as label text that may wrap after "/", "?" and "&", so that a
// long one stays within the screen.
QString WrappableAddress(const QString& address);
