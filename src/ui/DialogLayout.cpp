#include "ui/DialogLayout.h"

#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QString>
#include <QWidget>

#include <algorithm>

namespace {

// The visible text of a label: "&Account:" -> "Account".
QString VisibleName(const QString& text) {
    QString name;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // "&&" stands for one "&"; a single "&" marks the mnemonic.
        if (text[i] == u'&' && i + 1 < text.size()) {
            ++i;
        }
        name += text[i];
    }
    name = name.trimmed();
    if (name.endsWith(u':')) {
        name.chop(1);
    }
    return name;
}

}  // namespace

void LabelControl(QLabel* label, QWidget* control) {
    label->setBuddy(control);
    control->setAccessibleName(VisibleName(label->text()));
}

int DialogUnitsX(const QFont& font, int units) {
    return units * QFontMetrics(font).averageCharWidth() / 4;
}

void FixDialogSize(QDialog* dialog) {
    const int width = std::max(dialog->minimumWidth(), dialog->sizeHint().width());
    const int height =
        dialog->hasHeightForWidth() ? dialog->heightForWidth(width) : dialog->sizeHint().height();
    dialog->setFixedSize(width, height);
}

QString WrappableAddress(const QString& address) {
    constexpr QChar kBreak(0x200B);  // zero-width space: a break opportunity
    QString text;
    for (const QChar ch : address) {
        text += ch;
        if (ch == u'/' || ch == u'?' || ch == u'&') {
            text += kBreak;
        }
    }
    return text;
}
