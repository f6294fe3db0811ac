#pragma once

#include "ui/wizard/WizardPage.h"

class CWizard;
class QRadioButton;

// Step 1: the search method. Next goes to the Internet address page for a
// web site, to the IP address scope page for a range.
class CPageWelcome : public CWizardPage {
    Q_OBJECT
public:
    explicit CPageWelcome(CWizard& wizard);

    QWidget* FirstField() const override;
    int nextId() const override;
    bool validatePage() override;

    QRadioButton* SiteButton() const { return m_pSite; }
    QRadioButton* RangeButton() const { return m_pRange; }

private:
    CWizard& m_wizard;
    QRadioButton* m_pSite = nullptr;
    QRadioButton* m_pRange = nullptr;
};
