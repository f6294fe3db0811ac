#pragma once

#include "ui/sheets/SheetPage.h"

class QCheckBox;

// "Web" of "Applition Options": secure sites, redirects, robots.txt and the
// pause between two requests to one site.
class CPageWeb : public CSheetPage {
    Q_OBJECT
public:
    explicit CPageWeb(QWidget* parent = nullptr);

    void InitPage() override;
    bool UpdateMembers() override;
    QWidget* FirstField() const override;

    bool m_bCheckCertificates = true;
    bool m_bHttpsLinks = false;
    bool m_bFollowRedirects = false;
    bool m_bRobots = false;
    int m_nDelayMs = 0;

private:
    void createControls();

    QCheckBox* m_pCheckCertificates = nullptr;
    QCheckBox* m_pHttpsLinks = nullptr;
    QCheckBox* m_pFollowRedirects = nullptr;
    QCheckBox* m_pRobots = nullptr;
    QLineEdit* m_pDelay = nullptr;
};
