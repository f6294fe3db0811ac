#include "ui/sheets/SheetOptions.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/StringTable.h"
#include "ui/DialogLayout.h"
#include "ui/SharedFonts.h"
#include "ui/UiText.h"
#include "ui/sheets/SheetPage.h"

CSheetOptions::CSheetOptions(const QString& title, QWidget* parent) : QDialog(parent) {
    setWindowTitle(title);
    setFont(CSharedFonts::Normal());
    m_pTabs = new QTabWidget(this);
    m_pTabs->setFont(CSharedFonts::Normal());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSheetOptions::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTabs);
    layout->addWidget(buttons);
}

void CSheetOptions::AddPage(CSheetPage* page) {
    m_arrPages.push_back(page);
    m_pTabs->addTab(page, page->Title());
}

void CSheetOptions::showEvent(QShowEvent* event) {
    if (!m_bInitialised) {
        m_bInitialised = true;
        for (CSheetPage* page : m_arrPages) {
            page->InitPage();
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
    for (CSheetPage* page : m_arrPages) {
        if (!page->UpdateMembers()) {
            m_pTabs->setCurrentWidget(page);
            QMessageBox::warning(this, UiText(IDS_APP_TITLE), page->FailedMessage());
            page->ShowFailedField();
            return;
        }
    }
    QDialog::accept();
}
