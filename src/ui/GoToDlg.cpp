#include "ui/GoToDlg.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ui/DialogLayout.h"

CGoToDlg::CGoToDlg(const QString& strTitle, const QString& strText, const QString& strLabel,
                   int nWidthUnits, const QFont& font, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(strTitle);
    setFont(font);  // the children inherit it: text, label, field and both buttons
    setMinimumWidth(DialogUnitsX(font, nWidthUnits));
    createControls(strText, strLabel);
    FixDialogSize(this);
}

void CGoToDlg::createControls(const QString& strText, const QString& strLabel) {
    m_pText = new QLabel(strText, this);
    m_pText->setWordWrap(true);
    m_pText->setTextFormat(Qt::PlainText);

    m_pField = new QLineEdit(this);
    auto* pLabel = new QLabel(strLabel, this);
    LabelControl(pLabel, m_pField);

    auto* pForm = new QFormLayout;
    pForm->addRow(pLabel, m_pField);

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pText);
    pLayout->addLayout(pForm);
    pLayout->addWidget(pButtons);
    m_pField->setFocus();
}
