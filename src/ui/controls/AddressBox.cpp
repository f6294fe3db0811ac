#include "ui/controls/AddressBox.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>

CAddressBox::CAddressBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMinimumContentsLength(20);
    lineEdit()->installEventFilter(this);
    connect(this, &QComboBox::activated, this, [this](int index) {
        emit AddressChosen(itemText(index),
                           QGuiApplication::keyboardModifiers().testFlag(Qt::ControlModifier));
    });
}

void CAddressBox::AddAddress(const QString& address) {
    if (findText(address, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) {
        addItem(address);
    }
}

bool CAddressBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Taken here, so the combo box neither inserts nor activates an entry.
            emit AddressEntered(lineEdit()->text(),
                                key->modifiers().testFlag(Qt::ControlModifier));
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}
