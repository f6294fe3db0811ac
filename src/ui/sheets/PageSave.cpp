#include "ui/sheets/PageSave.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "common/NumberText.h"
#include "ui/controls/ColorButton.h"
#include "ui/controls/EditableListView.h"

namespace {
constexpr int kLimitColumn = 1;
const char* const kRowTexts[CPageSave::ROW_COUNT] = {
    QT_TR_NOOP("Text(*.htm,*.html,*.txt,*.shtm,*.shtml...)"),
    QT_TR_NOOP("Image(*.jpg,*.jpeg,*.gif,*.xbm,*.png...)"),
    QT_TR_NOOP("Others(Application,Audio,Video...)"),
};
}  // namespace

CPageSave::CPageSave(QWidget* parent) : CSheetPage(tr("Retrieval"), parent) {
    createControls();
}

void CPageSave::createControls() {
    m_pFilters = new CEditableListView(this);
    m_pFilters->setAccessibleName(tr("File Filters"));
    m_pFilters->AddColumn(tr("Type"), 220, Qt::AlignLeft, false);
    m_pFilters->AddColumn(tr("Max size(K bytes)"), 80, Qt::AlignRight, true);
    for (const char* text : kRowTexts) {
        m_pFilters->AddRow(tr(text), true);
    }
    // 220 and 80 pixels, or wider where a font needs more for the texts.
    for (int column = 0; column < m_pFilters->columnCount(); ++column) {
        const int width = m_pFilters->columnWidth(column);
        m_pFilters->resizeColumnToContents(column);
        m_pFilters->setColumnWidth(column, std::max(width, m_pFilters->columnWidth(column)));
    }
    // Room for the three rows and the headings, no more.
    const int frame = 2 * m_pFilters->frameWidth();
    m_pFilters->setFixedSize(m_pFilters->columnWidth(0) + m_pFilters->columnWidth(1) + frame,
                             m_pFilters->header()->sizeHint().height() +
                                 ROW_COUNT * m_pFilters->sizeHintForRow(0) + frame);
    m_pFilters->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pFilters->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* filters = new QGroupBox(tr("File Filters"), this);
    auto* filtersLayout = new QVBoxLayout(filters);
    filtersLayout->addWidget(m_pFilters, 0, Qt::AlignLeft);

    m_pRecolorLinks = new QCheckBox(tr("C&hange the color of retrieved links to"), this);
    m_pLinkColor = new CColorButton(this);
    m_pLinkColor->setAccessibleDescription(tr("Color of retrieved links"));
    connect(m_pRecolorLinks, &QCheckBox::toggled, m_pLinkColor, &QWidget::setEnabled);
    auto* colorRow = new QHBoxLayout;
    colorRow->addWidget(m_pRecolorLinks);
    colorRow->addWidget(m_pLinkColor);
    colorRow->addStretch();

    m_pRetries = CreateNumberEdit();
    m_pTimeout = CreateNumberEdit();
    m_pMaxThreads = CreateNumberEdit();
    auto* connection = new QGroupBox(tr("Connection"), this);
    auto* grid = new QGridLayout(connection);
    grid->addWidget(CreateLabel(tr("&Retries:"), m_pRetries), 0, 0);
    grid->addWidget(m_pRetries, 0, 1);
    grid->addWidget(CreateLabel(tr("&Timeout(sec):"), m_pTimeout), 0, 2, Qt::AlignRight);
    grid->addWidget(m_pTimeout, 0, 3);
    grid->addWidget(CreateLabel(tr("&Max number of worker threads:"), m_pMaxThreads), 1, 0, 1, 3);
    grid->addWidget(m_pMaxThreads, 1, 3);
    grid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(filters);
    layout->addLayout(colorRow);
    layout->addWidget(connection);
    layout->addStretch();
}

void CPageSave::InitPage() {
    for (int row = 0; row < ROW_COUNT; ++row) {
        // A negative limit read from a file means no limit, as the run reads it.
        m_pFilters->SetCellText(row, kLimitColumn, QString::number(std::max(m_nMaxK[row], 0)));
        m_pFilters->SetChecked(row, m_bFilter[row]);
    }
    m_pLinkColor->SetColor(m_crLinkColor);
    m_pLinkColor->SetDefaultColor(m_crDefaultLinkColor);
    m_pRecolorLinks->setChecked(m_bRecolorLinks);
    m_pLinkColor->setEnabled(m_bRecolorLinks);
    m_pRetries->setText(QString::number(m_nRetries));
    m_pTimeout->setText(QString::number(m_nTimeout));
    m_pMaxThreads->setText(QString::number(m_nMaxThreads));
    m_pFilters->setCurrentItem(m_pFilters->topLevelItem(0));
}

bool CPageSave::UpdateMembers() {
    m_nFailedRow = -1;
    for (int row = 0; row < ROW_COUNT; ++row) {
        m_bFilter[row] = m_pFilters->IsChecked(row);
        const std::string text = m_pFilters->CellText(row, kLimitColumn).toStdString();
        if (!Fail(nullptr, CheckLimitText(text, m_nMaxK[row]))) {
            m_nFailedRow = row;
            return false;
        }
    }
    m_bRecolorLinks = m_pRecolorLinks->isChecked();
    m_crLinkColor = m_pLinkColor->Color();
    return CheckUnsigned(m_pRetries, 0, 50, m_nRetries) &&
           CheckUnsigned(m_pTimeout, 0, 600, m_nTimeout) &&
           CheckUnsigned(m_pMaxThreads, 1, 15, m_nMaxThreads);
}

QWidget* CPageSave::FirstField() const {
    return m_pFilters;
}

void CPageSave::ShowFailedField() {
    if (m_nFailedRow < 0) {
        CSheetPage::ShowFailedField();
        return;
    }
    // The refused cell opens for editing, its text selected; where the
    // column is too narrow to edit, its row is selected at least.
    m_pFilters->setFocus();
    if (!m_pFilters->EditCell(m_nFailedRow, kLimitColumn)) {
        m_pFilters->setCurrentItem(m_pFilters->topLevelItem(m_nFailedRow));
    }
}
