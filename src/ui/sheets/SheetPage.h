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
    // field that is not valid it stops and returns false; FailedMessage()
    // then says why, and ShowFailedField() shows the field.
    virtual bool UpdateMembers() = 0;
    // The control that has the focus when the page opens.
    virtual QWidget* FirstField() const = 0;

    const QString& FailedMessage() const { return m_strFailedMessage; }
    // Gives the field that failed the focus with its text selected, for the
    // user to correct it; after the message has been shown.
    virtual void ShowFailedField();

protected:
    // A field that takes digits only, as an unsigned number field does.
    QLineEdit* CreateNumberEdit();
    // A label and the control it names (see LabelControl).
    QLabel* CreateLabel(const QString& text, QWidget* control);

    // The field's number if it is valid; otherwise false, with the field
    // and the message kept for the sheet.
    bool CheckUnsigned(QLineEdit* field, int lowest, int highest, int& value);
    bool CheckSigned(QLineEdit* field, int& value);
    // True when message is empty; otherwise keeps it and the field for the
    // sheet and returns false. field is null for a field that is not a line
    // edit, which the page's own ShowFailedField shows.
    bool Fail(QLineEdit* field, const std::string& message);

private:
    QString m_strTitle;
    QLineEdit* m_pFailedField = nullptr;
    QString m_strFailedMessage;
};
