#include "ui/wizard/WizardPage.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/DialogLayout.h"
#include "ui/SharedFonts.h"
#include "ui/UiImage.h"

namespace {
constexpr int kPictureWidth = 102;
constexpr int kPictureHeight = 192;
constexpr int kBodyWidthUnits = 236;  // the text column, in dialog units
constexpr int kPictureGap = 14;
}  // namespace

CWizardPage::CWizardPage(const QString& title, const QString& heading, QWidget* parent)
    : QWizardPage(parent), m_strTitle(title) {
    setFont(CSharedFonts::Normal());
    setAccessibleName(title);

    auto* picture = new QLabel(this);
    picture->setPixmap(UiIcon(UiImage::Wizard).pixmap(kPictureWidth, kPictureHeight));
    picture->setFixedSize(kPictureWidth, kPictureHeight);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* step = new QLabel(title, this);
    step->setForegroundRole(QPalette::PlaceholderText);
    m_pHeading = new QLabel(heading, this);
    m_pHeading->setFont(CSharedFonts::Title());
    m_pHeading->setWordWrap(true);

    m_pBody = new QVBoxLayout;
    auto* column = new QVBoxLayout;
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(step);
    column->addWidget(m_pHeading);
    column->addSpacing(fontMetrics().height());
    column->addLayout(m_pBody);
    column->addStretch(1);

    auto* columnWidget = new QWidget(this);
    columnWidget->setLayout(column);
    columnWidget->setFixedWidth(DialogUnitsX(font(), kBodyWidthUnits));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(picture, 0, Qt::AlignTop);
    layout->addSpacing(kPictureGap);
    layout->addWidget(columnWidget);
}

QLabel* CWizardPage::AddText(const QString& text) {
    auto* paragraph = new QLabel(text, this);
    paragraph->setWordWrap(true);
    m_pBody->addWidget(paragraph);
    return paragraph;
}
