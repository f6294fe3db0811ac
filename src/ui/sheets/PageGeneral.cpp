#include "ui/sheets/PageGeneral.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <climits>

#include "common/Text.h"

CPageGeneral::CPageGeneral(QWidget* parent) : CSheetPage("General", parent) {
    createControls();
}

void CPageGeneral::createControls() {
    m_pKeywords = new QLineEdit(this);
    m_pMatchCase = new QCheckBox("Match &case", this);
    m_pPauseAfterSite = new QCheckBox("&Pause task when current site finished", this);
    m_pDepth = CreateNumberEdit();
    m_pResultsPerPage = CreateNumberEdit();
    m_pPromptAuth = new QCheckBox("Prompt for &authorization", this);
    m_pAutoSave = CreateNumberEdit();

    auto* pSearch = new QGroupBox("Search", this);
    auto* pSearchGrid = new QGridLayout(pSearch);
    pSearchGrid->addWidget(CreateLabel("&Keywords:", m_pKeywords), 0, 0);
    pSearchGrid->addWidget(m_pKeywords, 0, 1, 1, 3);
    pSearchGrid->addWidget(m_pMatchCase, 1, 1, 1, 3);
    pSearchGrid->addWidget(m_pPauseAfterSite, 2, 1, 1, 3);
    pSearchGrid->addWidget(CreateLabel("&Depth:", m_pDepth), 3, 0);
    pSearchGrid->addWidget(m_pDepth, 3, 1);
    pSearchGrid->addWidget(CreateLabel("&Result items per page:", m_pResultsPerPage), 3, 2,
                           Qt::AlignRight);
    pSearchGrid->addWidget(m_pResultsPerPage, 3, 3);
    pSearchGrid->addWidget(m_pPromptAuth, 4, 1, 1, 3);
    auto* pAutoSave = new QHBoxLayout;
    pAutoSave->addWidget(CreateLabel("Auto sa&ve task every", m_pAutoSave));
    pAutoSave->addWidget(m_pAutoSave);
    pAutoSave->addWidget(new QLabel("minutes", this));
    pAutoSave->addStretch();
    pSearchGrid->addLayout(pAutoSave, 5, 0, 1, 4);
    pSearchGrid->setColumnStretch(1, 1);
    pSearchGrid->setColumnStretch(3, 1);

    m_pMaxLength = CreateNumberEdit();
    m_pStart = new QComboBox(this);
    m_pStart->addItems({"Beginning", "Middle", "End"});
    m_pOffset = new QLineEdit(this);
    m_pOffset->setMaximumWidth(m_pMaxLength->maximumWidth());

    auto* pAbstract = new QGroupBox("Abstract", this);
    auto* pAbstractRow = new QHBoxLayout(pAbstract);
    pAbstractRow->addWidget(CreateLabel("Max &length:", m_pMaxLength));
    pAbstractRow->addWidget(m_pMaxLength);
    pAbstractRow->addSpacing(8);
    pAbstractRow->addWidget(CreateLabel("&Starting point:", m_pStart));
    pAbstractRow->addWidget(m_pStart);
    pAbstractRow->addSpacing(8);
    pAbstractRow->addWidget(CreateLabel("&Offset:", m_pOffset));
    pAbstractRow->addWidget(m_pOffset);
    pAbstractRow->addStretch();

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(pSearch);
    pLayout->addWidget(pAbstract);
    pLayout->addStretch();
}

void CPageGeneral::InitPage() {
    m_pKeywords->setText(QString::fromStdString(m_strKeywords));
    m_pMatchCase->setChecked(m_bMatchCase);
    m_pPauseAfterSite->setChecked(m_bPauseAfterSite);
    m_pDepth->setText(QString::number(m_nDepth));
    m_pResultsPerPage->setText(QString::number(m_nResultsPerPage));
    m_pPromptAuth->setChecked(m_bPromptAuth);
    m_pAutoSave->setText(QString::number(m_nAutoSaveMinutes));
    m_pMaxLength->setText(QString::number(m_nAbstractMaxLength));
    m_pStart->setCurrentIndex(m_nAbstractStart >= 0 && m_nAbstractStart < 3 ? m_nAbstractStart : 0);
    m_pOffset->setText(QString::number(m_nAbstractOffset));
    m_pKeywords->selectAll();
}

bool CPageGeneral::UpdateMembers() {
    m_strKeywords = Trim(m_pKeywords->text().toStdString());
    m_bMatchCase = m_pMatchCase->isChecked();
    m_bPauseAfterSite = m_pPauseAfterSite->isChecked();
    if (!CheckUnsigned(m_pDepth, 0, INT_MAX, m_nDepth) ||
        !CheckUnsigned(m_pResultsPerPage, 10, 1000, m_nResultsPerPage)) {
        return false;
    }
    m_bPromptAuth = m_pPromptAuth->isChecked();
    if (!CheckUnsigned(m_pAutoSave, 0, INT_MAX, m_nAutoSaveMinutes) ||
        !CheckUnsigned(m_pMaxLength, 100, 500, m_nAbstractMaxLength)) {
        return false;
    }
    m_nAbstractStart = m_pStart->currentIndex();
    return CheckSigned(m_pOffset, m_nAbstractOffset);
}

QWidget* CPageGeneral::FirstField() const {
    return m_pKeywords;
}
