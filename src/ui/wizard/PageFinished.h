#pragma once

#include "ui/wizard/WizardPage.h"

// The last page, "Congratulations!": Finish ends the wizard, and the task
// is then saved under a name.
class CPageFinished : public CWizardPage {
    Q_OBJECT
public:
    explicit CPageFinished(QWidget* parent = nullptr);

    // The Finish button.
    QWidget* FirstField() const override;
    int nextId() const override { return -1; }
};
