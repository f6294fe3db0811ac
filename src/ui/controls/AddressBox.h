#pragma once

#include <QComboBox>

class QKeyEvent;

// The address bar's field: an editable drop-down whose list holds the
// addresses the user typed before. Enter in the field gives AddressEntered;
// choosing an entry of the list gives AddressChosen. Both tell whether Ctrl
// was held at that moment. The list only grows through AddAddress.
class CAddressBox : public QComboBox {
    Q_OBJECT
public:
    explicit CAddressBox(QWidget* parent = nullptr);

    // Appends address as the last entry unless it is there (exact, case matters).
    void AddAddress(const QString& address);

signals:
    void AddressEntered(const QString& text, bool ctrl);
    void AddressChosen(const QString& text, bool ctrl);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Enter or Ctrl+Enter: AddressEntered, and true.
    bool TakeEnter(const QKeyEvent* key);
};
