#include "ui/wizard/WizardPage.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/DialogLayout.h"
#include "ui/SharedFonts.h"

namespace {
constexpr int kPictureWidth = 102;
constexpr int kPictureHeight = 192;
constexpr int kBodyWidthUnits = 236;  // the text column, in dialog units
constexpr int kPictureGap = 14;
}  // namespace

CWizardPage::CWizardPage(const QString& strTitle, const QString& strHeading, QWidget* parent)
    : QWizardPage(parent), m_strTitle(strTitle) {
    setFont(CSharedFonts::Normal());
    setAccessibleName(strTitle);

    auto* pPicture = new QLabel(this);
    pPicture->setPixmap(
        QIcon(QStringLiteral(":/ui/wizard.png")).pixmap(kPictureWidth, kPictureHeight));
    pPicture->setFixedSize(kPictureWidth, kPictureHeight);
    pPicture->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* pStep = new QLabel(strTitle, this);
    pStep->setForegroundRole(QPalette::PlaceholderText);
    m_pHeading = new QLabel(strHeading, this);
    m_pHeading->setFont(CSharedFonts::Title());
    m_pHeading->setWordWrap(true);

    m_pBody = new QVBoxLayout;
    auto* pColumn = new QVBoxLayout;
    pColumn->setContentsMargins(0, 0, 0, 0);
    pColumn->addWidget(pStep);
    pColumn->addWidget(m_pHeading);
    pColumn->addSpacing(fontMetrics().height());
    pColumn->addLayout(m_pBody);
    pColumn->addStretch(1);

    auto* pColumnWidget = new QWidget(this);
    pColumnWidget->setLayout(pColumn);
    pColumnWidget->setFixedWidth(DialogUnitsX(font(), kBodyWidthUnits));

    auto* pLayout = new QHBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->addWidget(pPicture, 0, Qt::AlignTop);
    pLayout->addSpacing(kPictureGap);
    pLayout->addWidget(pColumnWidget);
}

QLabel* CWizardPage::AddText(const QString& strText) {
    auto* pText = new QLabel(strText, this);
    pText->setWordWrap(true);
    m_pBody->addWidget(pText);
    return pText;
}
