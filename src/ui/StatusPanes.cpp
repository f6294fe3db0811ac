#include "ui/StatusPanes.h"

#include <QLabel>
#include <QLayout>
#include <QStatusBar>

#include "common/StringTable.h"
#include "ui/TaskEvents.h"
#include "ui/UiText.h"

namespace {
// Counter panes are as wide as their text with this number, so that common
// counts show whole; a longer one is clipped.
constexpr int64_t kWidestCount = 99999;
constexpr int kPanePadding = 4;     // pixels on each side of a pane's text
constexpr int kLeastPromptWidth = 120;  // pixels the prompt keeps beside the panes
}  // namespace

CStatusPanes::CStatusPanes(QStatusBar* bar) : QObject(bar), m_pBar(bar) {
    const unsigned kNames[PANE_COUNT] = {IDS_PANE_PROMPT, IDS_PANE_STATE, IDS_PANE_SITES_LEFT,
                                         IDS_PANE_LINKS_QUEUED, IDS_PANE_LINKS_REQUESTED};
    const QString kInitial[PANE_COUNT] = {
        UiText(IDS_IDLE_MESSAGE), UiText(IDS_STATE_IDLE), UiFormat(IDS_SITES_LEFT, 0),
        UiFormat(IDS_LINKS_QUEUED, 0), UiFormat(IDS_LINKS_REQUESTED, 0)};
    const QString kSizing[PANE_COUNT] = {
        QString(), UiText(IDS_STATE_SEEKING_WIDTH), UiFormat(IDS_SITES_LEFT, kWidestCount),
        UiFormat(IDS_LINKS_QUEUED, kWidestCount), UiFormat(IDS_LINKS_REQUESTED, kWidestCount)};
    for (int pane = 0; pane < PANE_COUNT; ++pane) {
        auto* label = new QLabel(kInitial[pane], bar);
        // A screen reader reads the pane's text as its name, and what it is as its description.
        label->setAccessibleDescription(UiText(kNames[pane]));
        label->setContentsMargins(kPanePadding, 0, kPanePadding, 0);
        m_pPanes[pane] = label;
        if (pane == PANE_PROMPT) {
            // The prompt gives way first; its long texts never push the panes.
            label->setMinimumWidth(kLeastPromptWidth);
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            bar->addWidget(label, 1);
            continue;
        }
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setIndent(0);  // a framed label indents its text by default
        // Fixed at creation: as wide as the sizing text needs in the bar's font.
        label->setText(kSizing[pane]);
        label->setFixedWidth(label->sizeHint().width());
        label->setText(kInitial[pane]);
        bar->addPermanentWidget(label);
    }
}

void CStatusPanes::Connect(CTaskEvents& events) {
    connect(&events, &CTaskEvents::StateChanged, this,
            [this](const QString& text) { SetText(PANE_STATE, text); });
    connect(&events, &CTaskEvents::SitesLeftChanged, this,
            [this](qint64 count) { SetCount(PANE_SITES_LEFT, IDS_SITES_LEFT, count); });
    connect(&events, &CTaskEvents::LinksQueuedChanged, this,
            [this](qint64 count) { SetCount(PANE_LINKS_QUEUED, IDS_LINKS_QUEUED, count); });
    connect(&events, &CTaskEvents::LinksRequestedChanged, this,
            [this](qint64 count) { SetCount(PANE_LINKS_REQUESTED, IDS_LINKS_REQUESTED, count); });
}

void CStatusPanes::SetCount(int pane, unsigned id, qint64 count) {
    SetText(pane, UiFormat(id, count));
}

void CStatusPanes::SetText(int pane, const QString& text) {
    if (pane >= 0 && pane < PANE_COUNT && m_pPanes[pane]->text() != text) {
        m_pPanes[pane]->setText(text);
        emit TextChanged(pane, text);
    }
}

QString CStatusPanes::Text(int pane) const {
    if (pane < 0 || pane >= PANE_COUNT) {
        return QString();
    }
    if (pane == PANE_PROMPT && !m_pBar->currentMessage().isEmpty()) {
        return m_pBar->currentMessage();
    }
    return m_pPanes[pane]->text();
}

int CStatusPanes::MinimumWidth() const {
    constexpr int kBarExtra = 40;  // the bar's margins, spacing and size grip
    int width = kLeastPromptWidth + kBarExtra;
    for (int pane = PANE_STATE; pane < PANE_COUNT; ++pane) {
        width += m_pPanes[pane]->minimumWidth() + m_pBar->layout()->spacing();
    }
    return width;
}
