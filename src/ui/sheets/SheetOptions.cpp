#include "ui/sheets/SheetOptions.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/StringTable.h"
#include "ui/DialogLayout.h"
#include "ui/SharedFonts.h"
#include "ui/sheets/SheetPage.h"

CSheetOptions::CSheetOptions(const QString& title, QWidget* parent) : QDialog(parent) {
    setWindowTitle(title);
    setFont(CSharedFonts::Normal());
    m_pTabs = new QTabWidget(this);
    m_pTabs->setFont(CSharedFonts::Normal());

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    pButtons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(pButtons, &QDialogButtonBox::accepted, this, &CSheetOptions::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pTabs);
    pLayout->addWidget(pButtons);
}

void CSheetOptions::AddPage(CSheetPage* pPage) {
    m_arrPages.push_back(pPage);
    m_pTabs->addTab(pPage, pPage->Title());
}

void CSheetOptions::showEvent(QShowEvent* event) {
    if (!m_bInitialised) {
        m_bInitialised = true;
        for (CSheetPage* pPage : m_arrPages) {
            pPage->InitPage();
        }
        FixDialogSize(this);
        if (!m_arrPages.empty()) {
            m_pTabs->setCurrentIndex(0);
            m_arrPages.front()->FirstField()->setFocus();
        }
    }
    QDialog::showEvent(event);
}

void CSheetOptions::accept() {
    for (CSheetPage* pPage : m_arrPages) {
        if (!pPage->UpdateMembers()) {
            m_pTabs->setCurrentWidget(pPage);
            QMessageBox::warning(this, QString::fromStdString(LoadString(IDS_APP_TITLE)),
                                 pPage->FailedMessage());
            pPage->ShowFailedField();
            return;
        }
    }
    QDialog::accept();
}
