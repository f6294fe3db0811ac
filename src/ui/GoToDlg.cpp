#include "ui/GoToDlg.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ui/DialogLayout.h"

CGoToDlg::CGoToDlg(const QString& title, const QString& text, const QString& labelText,
                   int widthUnits, const QFont& font, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(title);
    setFont(font);  // the children inherit it: text, label, field and both buttons
    setMinimumWidth(DialogUnitsX(font, widthUnits));
    createControls(text, labelText);
    FixDialogSize(this);
}

void CGoToDlg::createControls(const QString& text, const QString& labelText) {
    m_pText = new QLabel(text, this);
    m_pText->setWordWrap(true);
    m_pText->setTextFormat(Qt::PlainText);

    m_pField = new QLineEdit(this);
    auto* label = new QLabel(labelText, this);
    LabelControl(label, m_pField);

    auto* form = new QFormLayout;
    form->addRow(label, m_pField);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pText);
    layout->addLayout(form);
    layout->addWidget(buttons);
    m_pField->setFocus();
}
