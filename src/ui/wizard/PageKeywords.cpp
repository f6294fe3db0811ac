#include "ui/wizard/PageKeywords.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ui/DialogLayout.h"
#include "ui/wizard/Wizard.h"

CPageKeywords::CPageKeywords(CWizard& wizard)
    : CWizardPage(QStringLiteral("New search task - step 3 of 3"), QStringLiteral("Keywords"),
                  &wizard),
      m_wizard(wizard) {
    QLabel* ask = AddText(QStringLiteral(
        "Enter one or more keywords, separated by \"+\", for example: apple juice+cider"));
    AddText(
        QStringLiteral("The sentence around the first keyword found on a page becomes its "
                       "abstract in the results, with the keywords shown in red."));
    m_pKeywords = new QLineEdit(this);
    LabelControl(ask, m_pKeywords);
    m_pMatchCase = new QCheckBox(QStringLiteral("&Match case"), this);
    Body()->addWidget(m_pKeywords);
    Body()->addWidget(m_pMatchCase);
}

QWidget* CPageKeywords::FirstField() const {
    return m_pKeywords;
}

int CPageKeywords::nextId() const {
    return CWizard::PAGE_FINISHED;
}

bool CPageKeywords::validatePage() {
    m_wizard.m_strKeywords = m_pKeywords->text().toStdString();
    m_wizard.m_bMatchCase = m_pMatchCase->isChecked();
    return true;
}
