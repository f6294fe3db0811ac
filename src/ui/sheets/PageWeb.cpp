#include "ui/sheets/PageWeb.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QVBoxLayout>

#include "common/AppOptions.h"

CPageWeb::CPageWeb(QWidget* parent) : CSheetPage(tr("Web"), parent) {
    createControls();
}

void CPageWeb::createControls() {
    m_pCheckCertificates = new QCheckBox(tr("Check &certificates"), this);
    const QString note = tr("Turn this off only for an intranet's self-signed certificates.");
    auto* certificatesNote = new QLabel(note, this);
    m_pCheckCertificates->setAccessibleDescription(note);
    m_pHttpsLinks = new QCheckBox(tr("Follow &HTTPS links on other sites"), this);

    // The note belongs to the box above it: it starts where the box's text does.
    const int indent =
        style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, m_pCheckCertificates) +
        style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, m_pCheckCertificates);
    auto* secure = new QGroupBox(tr("Secure sites"), this);
    auto* secureLayout = new QVBoxLayout(secure);
    secureLayout->addWidget(m_pCheckCertificates);
    auto* noteRow = new QHBoxLayout;
    noteRow->addSpacing(indent);
    noteRow->addWidget(certificatesNote);
    secureLayout->addLayout(noteRow);
    secureLayout->addWidget(m_pHttpsLinks);

    m_pFollowRedirects = new QCheckBox(tr("Follow &redirects"), this);
    m_pRobots = new QCheckBox(tr("Obey r&obots.txt"), this);
    m_pDelay = CreateNumberEdit();
    auto* crawl = new QGroupBox(tr("Crawling"), this);
    auto* crawlLayout = new QVBoxLayout(crawl);
    crawlLayout->addWidget(m_pFollowRedirects);
    crawlLayout->addWidget(m_pRobots);
    auto* delayRow = new QHBoxLayout;
    delayRow->addWidget(CreateLabel(tr("&Delay between requests to one site (ms):"), m_pDelay));
    delayRow->addWidget(m_pDelay);
    delayRow->addStretch();
    crawlLayout->addLayout(delayRow);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(secure);
    layout->addWidget(crawl);
    layout->addStretch();
}

void CPageWeb::InitPage() {
    m_pCheckCertificates->setChecked(m_bCheckCertificates);
    m_pHttpsLinks->setChecked(m_bHttpsLinks);
    m_pFollowRedirects->setChecked(m_bFollowRedirects);
    m_pRobots->setChecked(m_bRobots);
    m_pDelay->setText(QString::number(m_nDelayMs));
}

bool CPageWeb::UpdateMembers() {
    m_bCheckCertificates = m_pCheckCertificates->isChecked();
    m_bHttpsLinks = m_pHttpsLinks->isChecked();
    m_bFollowRedirects = m_pFollowRedirects->isChecked();
    m_bRobots = m_pRobots->isChecked();
    return CheckUnsigned(m_pDelay, 0, kMaxDelayMs, m_nDelayMs);
}

QWidget* CPageWeb::FirstField() const {
    return m_pCheckCertificates;
}
