#pragma once

#include "ui/wizard/WizardPage.h"

class CHostLookup;
class CWizard;
class QLineEdit;
class QPushButton;

// Step 2 of the site method, "Internet address": the address to start
// from, a Resolve check of its host, and an optional account for the site.
// Next refuses an empty address.
class CPageDomain : public CWizardPage {
    Q_OBJECT
public:
    explicit CPageDomain(CWizard& wizard);

    QWidget* FirstField() const override;
    int nextId() const override;
    bool validatePage() override;

    QLineEdit* AddressEdit() const { return m_pAddress; }
    QPushButton* ResolveButton() const { return m_pResolve; }
    QLineEdit* ResolvedEdit() const { return m_pResolved; }
    QLineEdit* AccountEdit() const { return m_pAccount; }
    QLineEdit* PasswordEdit() const { return m_pPassword; }
    CHostLookup* Lookup() const { return m_pLookup; }

private:
    CWizard& m_wizard;
    QLineEdit* m_pAddress = nullptr;
    QPushButton* m_pResolve = nullptr;
    QLineEdit* m_pResolved = nullptr;
    QLineEdit* m_pAccount = nullptr;
    QLineEdit* m_pPassword = nullptr;
    CHostLookup* m_pLookup = nullptr;
};
