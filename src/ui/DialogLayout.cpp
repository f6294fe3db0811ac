#include "ui/DialogLayout.h"

#include <QFontMetrics>
#include <QLabel>
#include <QString>
#include <QWidget>

void LabelControl(QLabel* pLabel, QWidget* pControl) {
    pLabel->setBuddy(pControl);
    pControl->setAccessibleName(VisibleName(pLabel->text()));
}

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

int DialogUnitsX(const QFont& font, int nUnits) {
    return nUnits * QFontMetrics(font).averageCharWidth() / 4;
}
