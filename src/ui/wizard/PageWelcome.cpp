#include "ui/wizard/PageWelcome.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/wizard/Wizard.h"

CPageWelcome::CPageWelcome(CWizard& wizard)
    : CWizardPage(QStringLiteral("New search task - step 1 of 3"),
                  QStringLiteral("Welcome to\nthe new search task wizard!"), &wizard),
      m_wizard(wizard) {
    AddText(QStringLiteral(
        "The new search task wizard makes it easy for you to set up and run a search task."));
    AddText(QStringLiteral("Quobrix has two search motheds, please select one."));
    m_pSite = new QRadioButton(
        QStringLiteral("Search a specific web site and other web sites linked to it"), this);
    m_pRange =
        new QRadioButton(QStringLiteral("Search web sites within an IP address range"), this);
    auto* group = new QButtonGroup(this);
    group->addButton(m_pSite);
    group->addButton(m_pRange);
    m_pSite->setChecked(true);
    Body()->addSpacing(fontMetrics().height() / 2);
    Body()->addWidget(m_pSite);
    Body()->addWidget(m_pRange);
}

QWidget* CPageWelcome::FirstField() const {
    return m_pSite->isChecked() ? m_pSite : m_pRange;
}

int CPageWelcome::nextId() const {
    return m_pSite->isChecked() ? CWizard::PAGE_DOMAIN : CWizard::PAGE_IP_ADDRESS;
}

bool CPageWelcome::validatePage() {
    m_wizard.m_bSiteMode = m_pSite->isChecked();
    return true;
}
