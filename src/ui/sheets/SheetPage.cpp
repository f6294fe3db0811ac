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
    auto* pEdit = new QLineEdit(this);
    pEdit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), pEdit));
    pEdit->setMaximumWidth(DialogUnitsX(font(), 40));
    return pEdit;
}

QLabel* CSheetPage::CreateLabel(const QString& text, QWidget* pControl) {
    auto* pLabel = new QLabel(text, this);
    LabelControl(pLabel, pControl);
    return pLabel;
}

bool CSheetPage::CheckUnsigned(QLineEdit* pField, int nMin, int nMax, int& nValue) {
    return Fail(pField, CheckUnsignedText(pField->text().toStdString(), nMin, nMax, nValue));
}

bool CSheetPage::CheckSigned(QLineEdit* pField, int& nValue) {
    return Fail(pField, CheckSignedText(pField->text().toStdString(), nValue));
}

void CSheetPage::ShowFailedField() {
    if (m_pFailedField != nullptr) {
        m_pFailedField->setFocus();
        m_pFailedField->selectAll();
    }
}

bool CSheetPage::Fail(QLineEdit* pField, const std::string& message) {
    if (message.empty()) {
        return true;
    }
    m_pFailedField = pField;
    m_strFailedMessage = QString::fromStdString(message);
    return false;
}
