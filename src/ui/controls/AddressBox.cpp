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

bool CAddressBox::TakeEnter(const QKeyEvent* key) {
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) {
        return false;
    }
    // Taken here, so the combo box neither inserts nor activates an entry.
    emit AddressEntered(lineEdit()->text(), key->modifiers().testFlag(Qt::ControlModifier));
    return true;
}

void CAddressBox::keyPressEvent(QKeyEvent* event) {
    // The box keeps the keyboard focus and hands keys to its field itself,
    // past the field's event filters.
    if (TakeEnter(event)) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

bool CAddressBox::eventFilter(QObject* watched, QEvent* event) {
    // Keys sent to the field itself.
    if (watched == lineEdit() && event->type() == QEvent::KeyPress &&
        TakeEnter(static_cast<const QKeyEvent*>(event))) {
        return true;
    }
    return QComboBox::eventFilter(watched, event);
}
