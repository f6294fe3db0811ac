#include "ui/sheets/SheetPage.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "common/NumberText.h"
#include "ui/DialogLayout.h"
#include "ui/SharedFonts.h"

CSheetPage::CSheetPage(const QString& title, QWidget* parent) : QWidget(parent), m_strTitle(title) {
    // Every control of the page inherits it.
    setFont(CSharedFonts::Normal());
}

QLineEdit* CSheetPage::CreateNumberEdit() {
    auto* edit = new QLineEdit(this);
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    edit->setMaximumWidth(DialogUnitsX(font(), 40));
    return edit;
}

QLabel* CSheetPage::CreateLabel(const QString& text, QWidget* control) {
    auto* label = new QLabel(text, this);
    LabelControl(label, control);
    return label;
}

bool CSheetPage::CheckUnsigned(QLineEdit* field, int lowest, int highest, int& value) {
    return Fail(field, CheckUnsignedText(field->text().toStdString(), lowest, highest, value));
}

bool CSheetPage::CheckSigned(QLineEdit* field, int& value) {
    return Fail(field, CheckSignedText(field->text().toStdString(), value));
}

void CSheetPage::ShowFailedField() {
    if (m_pFailedField != nullptr) {
        m_pFailedField->setFocus();
        m_pFailedField->selectAll();
    }
}

bool CSheetPage::Fail(QLineEdit* field, const std::string& message) {
    if (message.empty()) {
        return true;
    }
    m_pFailedField = field;
    m_strFailedMessage = QString::fromStdString(message);
    return false;
}
