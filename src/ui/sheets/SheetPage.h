#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;

// A page of a CSheetOptions. It holds one member per control, which its
// opener fills before the sheet shows and reads back after OK, and moves
// them between members and controls as the sheet asks.
class CSheetPage : public QWidget {
    Q_OBJECT
public:
    CSheetPage(const QString& title, QWidget* parent = nullptr);

    const QString& Title() const { return m_strTitle; }

    // Members into controls; once, as the sheet first shows.
    virtual void InitPage() = 0;
    // Controls into members, field by field in control order. At the first
    // field that is not valid it stops and returns false; FailedField() and
    // FailedMessage() then say which and why.
    virtual bool UpdateMembers() = 0;
    // The control that has the focus when the page opens.
    virtual QWidget* FirstField() const = 0;

    QLineEdit* FailedField() const { return m_pFailedField; }
    const QString& FailedMessage() const { return m_strFailedMessage; }

protected:
    // A field that takes digits only, as an unsigned number field does.
    QLineEdit* CreateNumberEdit();
    // A label and the control it names (see LabelControl).
    QLabel* CreateLabel(const QString& text, QWidget* pControl);

    // The field's number if it is valid; otherwise false, with the field
    // and the message kept for the sheet.
    bool CheckUnsigned(QLineEdit* pField, int nMin, int nMax, int& nValue);
    bool CheckSigned(QLineEdit* pField, int& nValue);

private:
    bool Fail(QLineEdit* pField, const std::string& message);

    QString m_strTitle;
    QLineEdit* m_pFailedField = nullptr;
    QString m_strFailedMessage;
};
