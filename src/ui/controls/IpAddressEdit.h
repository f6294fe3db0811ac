#pragma once

#include <QFrame>
#include <QString>
#include <array>

class QLineEdit;

// An IPv4 address typed into four fields of 0 to 255 that act as one
// address: "." (or a third digit) moves on to the next field, Backspace at
// the start of an empty field moves back, Left and Right cross from field to
// field, and a number above 255 becomes 255. Tab enters and leaves the
// control as a whole. Drawn as one edit box. Starts as "0.0.0.0".
class CIpAddressEdit : public QFrame {
    Q_OBJECT
public:
    explicit CIpAddressEdit(QWidget* parent = nullptr);

    // "10.0.0.5"; an empty field counts as 0.
    QString text() const;
    // Takes a dotted address; parts that are missing or not numbers leave
    // their field empty, numbers above 255 become 255.
    void setText(const QString& address);

    // The name a screen reader gives the control; each field is announced
    // as "name, part N of 4".
    void SetAccessibleName(const QString& name);

    QLineEdit* Field(int index) const { return m_arrFields.at(static_cast<size_t>(index)); }

signals:
    void textChanged(const QString& address);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnFieldEdited(int index);
    // Focuses a field: its number selected, or the cursor after it.
    void MoveTo(int index, bool atEnd);
    int IndexOf(const QObject* field) const;

    static constexpr int kFields = 4;
    std::array<QLineEdit*, kFields> m_arrFields{};
};
