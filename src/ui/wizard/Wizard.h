#pragma once

#include <QWizard>
#include <string>

#include "task/NewTaskRecord.h"

class CWizardPage;

// "New project wizard": the search method, then a starting internet address
// (with an optional account) or an IPv4 address range, then the keywords.
// It only gathers the answers below; the task takes them after Finish.
class CWizard : public QWizard {
    Q_OBJECT
public:
    // Page ids, in the wizard's order.
    enum {
        PAGE_WELCOME,
        PAGE_IP_ADDRESS,
        PAGE_DOMAIN,
        PAGE_KEYWORDS,
        PAGE_FINISHED,
    };

    explicit CWizard(QWidget* parent = nullptr);

    CWizardPage* Page(int id) const;
    // The answers as the task takes them.
    CNewTaskRecord Record() const;

    // The answers, set as each page is left with Next.
    bool m_bMatchCase = false;
    std::string m_strKeywords;      // as typed
    std::string m_strEndAddress;    // the address, or the range's higher end
    std::string m_strStartAddress;  // the address, or the range's lower end
    std::string m_strAccount;
    std::string m_strPassword;
    bool m_bSiteMode = false;

private:
    void OnPageChanged(int id);

    int m_nShownId = -1;  // the page shown before the current one
};
