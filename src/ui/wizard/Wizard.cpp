#include "ui/wizard/Wizard.h"

#include <QAbstractButton>

#include "common/StringTable.h"
#include "ui/SharedFonts.h"
#include "ui/UiText.h"
#include "ui/wizard/PageDomain.h"
#include "ui/wizard/PageFinished.h"
#include "ui/wizard/PageIpAddress.h"
#include "ui/wizard/PageKeywords.h"
#include "ui/wizard/PageWelcome.h"

CWizard::CWizard(QWidget* parent) : QWizard(parent) {
    setWindowTitle(UiText(IDS_WIZARD_TITLE));
    setWizardStyle(QWizard::ClassicStyle);
    setFont(CSharedFonts::Normal());
    setPage(PAGE_WELCOME, new CPageWelcome(*this));
    setPage(PAGE_IP_ADDRESS, new CPageIpAddress(*this));
    setPage(PAGE_DOMAIN, new CPageDomain(*this));
    setPage(PAGE_KEYWORDS, new CPageKeywords(*this));
    setPage(PAGE_FINISHED, new CPageFinished(this));
    setStartId(PAGE_WELCOME);
    connect(this, &QWizard::currentIdChanged, this, &CWizard::OnPageChanged);
}

CWizardPage* CWizard::Page(int id) const {
    return static_cast<CWizardPage*>(page(id));
}

CNewTaskRecord CWizard::Record() const {
    CNewTaskRecord record;
    record.m_bSiteMode = m_bSiteMode;
    record.m_strStartAddress = m_strStartAddress;
    record.m_strEndAddress = m_strEndAddress;
    record.m_strKeywords = m_strKeywords;
    record.m_bMatchCase = m_bMatchCase;
    record.m_strAccount = m_strAccount;
    record.m_strPassword = m_strPassword;
    return record;
}

void CWizard::OnPageChanged(int id) {
    // The Internet address page keeps the buttons of the page before it:
    // Next alone after Welcome, Back and Next after Keywords.
    if (id == PAGE_DOMAIN) {
        button(QWizard::BackButton)->setEnabled(m_nShownId != PAGE_WELCOME);
    }
    m_nShownId = id;
    if (CWizardPage* page = Page(id)) {
        if (QWidget* first = page->FirstField()) {
            first->setFocus(Qt::OtherFocusReason);
        }
    }
}
