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

CPageGeneral::CPageGeneral(QWidget* parent) : CSheetPage(tr("General"), parent) {
    createControls();
}

void CPageGeneral::createControls() {
    m_pKeywords = new QLineEdit(this);
    m_pMatchCase = new QCheckBox(tr("Match &case"), this);
    m_pPauseAfterSite = new QCheckBox(tr("&Pause task when current site finished"), this);
    m_pDepth = CreateNumberEdit();
    m_pResultsPerPage = CreateNumberEdit();
    m_pPromptAuth = new QCheckBox(tr("Prompt for &authorization"), this);
    m_pAutoSave = CreateNumberEdit();

    auto* search = new QGroupBox(tr("Search"), this);
    auto* searchGrid = new QGridLayout(search);
    searchGrid->addWidget(CreateLabel(tr("&Keywords:"), m_pKeywords), 0, 0);
    searchGrid->addWidget(m_pKeywords, 0, 1, 1, 3);
    searchGrid->addWidget(m_pMatchCase, 1, 1, 1, 3);
    searchGrid->addWidget(m_pPauseAfterSite, 2, 1, 1, 3);
    searchGrid->addWidget(CreateLabel(tr("&Depth:"), m_pDepth), 3, 0);
    searchGrid->addWidget(m_pDepth, 3, 1);
    searchGrid->addWidget(CreateLabel(tr("&Result items per page:"), m_pResultsPerPage), 3, 2,
                          Qt::AlignRight);
    searchGrid->addWidget(m_pResultsPerPage, 3, 3);
    searchGrid->addWidget(m_pPromptAuth, 4, 1, 1, 3);
    auto* autoSave = new QHBoxLayout;
    autoSave->addWidget(CreateLabel(tr("Auto sa&ve task every"), m_pAutoSave));
    autoSave->addWidget(m_pAutoSave);
    autoSave->addWidget(new QLabel(tr("minutes"), this));
    autoSave->addStretch();
    searchGrid->addLayout(autoSave, 5, 0, 1, 4);
    searchGrid->setColumnStretch(1, 1);
    searchGrid->setColumnStretch(3, 1);

    m_pMaxLength = CreateNumberEdit();
    m_pStart = new QComboBox(this);
    m_pStart->addItems({tr("Beginning"), tr("Middle"), tr("End")});
    m_pOffset = new QLineEdit(this);
    m_pOffset->setMaximumWidth(m_pMaxLength->maximumWidth());

    auto* abstract = new QGroupBox(tr("Abstract"), this);
    auto* abstractRow = new QHBoxLayout(abstract);
    abstractRow->addWidget(CreateLabel(tr("Max &length:"), m_pMaxLength));
    abstractRow->addWidget(m_pMaxLength);
    abstractRow->addSpacing(8);
    abstractRow->addWidget(CreateLabel(tr("&Starting point:"), m_pStart));
    abstractRow->addWidget(m_pStart);
    abstractRow->addSpacing(8);
    abstractRow->addWidget(CreateLabel(tr("&Offset:"), m_pOffset));
    abstractRow->addWidget(m_pOffset);
    abstractRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(search);
    layout->addWidget(abstract);
    layout->addStretch();
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
