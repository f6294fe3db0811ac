// The status bar: the prompt pane, then four panes of fixed width with the
// task's state and counters.
#include <QLabel>
#include <QStatusBar>

#include "common/StringTable.h"
#include "ui/MainFrame.h"

namespace {
// Counter panes are as wide as their text with this number, so that common
// counts show whole; a longer one is clipped.
constexpr int64_t kWidestCount = 99999;
constexpr int kPanePadding = 4;  // pixels on each side of a pane's text

QString Text(unsigned id) {
    return QString::fromStdString(LoadString(id));
}

QString Count(unsigned id, int64_t count) {
    return QString::fromStdString(FormatString(id, {count}));
}
}  // namespace

void CMainFrame::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    const unsigned kNames[PANE_COUNT] = {IDS_PANE_PROMPT, IDS_PANE_STATE, IDS_PANE_SITES_LEFT,
                                          IDS_PANE_LINKS_QUEUED, IDS_PANE_LINKS_REQUESTED};
    const QString kInitial[PANE_COUNT] = {Text(IDS_IDLE_MESSAGE), Text(IDS_STATE_IDLE),
                                          Count(IDS_SITES_LEFT, 0), Count(IDS_LINKS_QUEUED, 0),
                                          Count(IDS_LINKS_REQUESTED, 0)};
    const QString kSizing[PANE_COUNT] = {QString(), Text(IDS_STATE_SEEKING_WIDTH),
                                         Count(IDS_SITES_LEFT, kWidestCount),
                                         Count(IDS_LINKS_QUEUED, kWidestCount),
                                         Count(IDS_LINKS_REQUESTED, kWidestCount)};
    for (int pane = 0; pane < PANE_COUNT; ++pane) {
        auto* label = new QLabel(kInitial[pane], bar);
        // A screen reader reads the pane's text as its name, and what it is as its description.
        label->setAccessibleDescription(Text(kNames[pane]));
        label->setContentsMargins(kPanePadding, 0, kPanePadding, 0);
        m_pPanes[pane] = label;
        if (pane == PANE_PROMPT) {
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
    connectBarToggle(Action(ID_VIEW_STATUS_BAR), bar);
}

void CMainFrame::SetPaneText(int pane, const QString& text) {
    m_pPanes[pane]->setText(text);
}

QString CMainFrame::PaneText(int pane) const {
    if (pane < 0 || pane >= PANE_COUNT) {
        return QString();
    }
    // A command's prompt covers the idle text while it shows.
    if (pane == PANE_PROMPT && !statusBar()->currentMessage().isEmpty()) {
        return statusBar()->currentMessage();
    }
    return m_pPanes[pane]->text();
}
