#include "ui/DialogLayout.h"

#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QString>
#include <QWidget>

#include <algorithm>

namespace {

// The visible text of a label: "&Account:" -> "Account".
QString VisibleName(const QString& strText) {
    QString strName;
    for (qsizetype i = 0; i < strText.size(); ++i) {
        // "&&" stands for one "&"; a single "&" marks the mnemonic.
        if (strText[i] == u'&' && i + 1 < strText.size()) {
            ++i;
        }
        strName += strText[i];
    }
    strName = strName.trimmed();
    if (strName.endsWith(u':')) {
        strName.chop(1);
    }
    return strName;
}

}  // namespace

void LabelControl(QLabel* pLabel, QWidget* pControl) {
    pLabel->setBuddy(pControl);
    pControl->setAccessibleName(VisibleName(pLabel->text()));
}

int DialogUnitsX(const QFont& font, int nUnits) {
    return nUnits * QFontMetrics(font).averageCharWidth() / 4;
}

void FixDialogSize(QDialog* pDialog) {
    const int nWidth = std::max(pDialog->minimumWidth(), pDialog->sizeHint().width());
    const int nHeight = pDialog->hasHeightForWidth() ? pDialog->heightForWidth(nWidth)
                                                     : pDialog->sizeHint().height();
    pDialog->setFixedSize(nWidth, nHeight);
}

QString WrappableAddress(const QString& strAddress) {
    constexpr QChar kBreak(0x200B);  // zero-width space: a break opportunity
    QString strText;
    for (const QChar ch : strAddress) {
        strText += ch;
        if (ch == u'/' || ch == u'?' || ch == u'&') {
            strText += kBreak;
        }
    }
    return strText;
}
