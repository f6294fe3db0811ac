#pragma once

#include "ui/wizard/WizardPage.h"

class CHostLookup;
class CIpAddressEdit;
class CWizard;
class QLineEdit;
class QPushButton;

// Step 2 of the range method, "IP address scope": the two ends of the range
// in either order, and a host name to resolve. Next stores the lower end as
// the start and the higher as the end.
class CPageIpAddress : public CWizardPage {
    Q_OBJECT
public:
    explicit CPageIpAddress(CWizard& wizard);

    QWidget* FirstField() const override;
    int nextId() const override;
    bool validatePage() override;

    CIpAddressEdit* From() const { return m_pFrom; }
    CIpAddressEdit* To() const { return m_pTo; }
    QLineEdit* HostEdit() const { return m_pHost; }
    QPushButton* ResolveButton() const { return m_pResolve; }
    QLineEdit* ResolvedEdit() const { return m_pResolved; }
    CHostLookup* Lookup() const { return m_pLookup; }

private:
    CWizard& m_wizard;
    CIpAddressEdit* m_pFrom = nullptr;
    CIpAddressEdit* m_pTo = nullptr;
    QLineEdit* m_pHost = nullptr;
    QPushButton* m_pResolve = nullptr;
    QLineEdit* m_pResolved = nullptr;
    CHostLookup* m_pLookup = nullptr;
};
