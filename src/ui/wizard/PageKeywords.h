#pragma once

#include "ui/wizard/WizardPage.h"

class CWizard;
class QCheckBox;
class QLineEdit;

// Step 3, "Keywords": the keywords separated by "+" (empty is allowed) and
// "Match case".
class CPageKeywords : public CWizardPage {
    Q_OBJECT
public:
    explicit CPageKeywords(CWizard& wizard);

    QWidget* FirstField() const override;
    int nextId() const override;
    bool validatePage() override;

    QLineEdit* KeywordsEdit() const { return m_pKeywords; }
    QCheckBox* MatchCaseBox() const { return m_pMatchCase; }

private:
    CWizard& m_wizard;
    QLineEdit* m_pKeywords = nullptr;
    QCheckBox* m_pMatchCase = nullptr;
};
