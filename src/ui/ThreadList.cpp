#include "ui/ThreadList.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <algorithm>

#include "common/StringTable.h"
#include "ui/UiImage.h"
#include "ui/UiText.h"

namespace {
constexpr int kNumberColumnWidth = 50;
constexpr int kNarrowScreen = 800;  // pixels; at most this wide, the status column is narrower
constexpr int kStatusWidthNarrow = 640;
constexpr int kStatusWidthWide = 860;
constexpr int kPhaseRole = Qt::UserRole;

// Made once: a row changes its icon many times a second while a page is read.
const QIcon& PhaseIcon(int phase) {
    static const QIcon icons[CThreadList::kPhases] = {
        UiIcon(UiImage::Phase0), UiIcon(UiImage::Phase1), UiIcon(UiImage::Phase2),
        UiIcon(UiImage::Phase3)};
    static const QIcon none;
    return phase >= 0 && phase < CThreadList::kPhases ? icons[phase] : none;
}

}  // namespace

CThreadList::CThreadList(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(2);
    setHeaderLabels({UiText(IDS_COLUMN_THREAD), UiText(IDS_COLUMN_STATUS)});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    setAccessibleName(UiText(IDS_THREAD_BAR_TITLE));
    header()->setStretchLastSection(false);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const bool narrow = screen != nullptr && screen->geometry().width() <= kNarrowScreen;
    // At least as wide as its title, which the font may make wider.
    setColumnWidth(0, std::max(kNumberColumnWidth, header()->sectionSizeHint(0)));
    m_nStatusWidth = narrow ? kStatusWidthNarrow : kStatusWidthWide;
    setColumnWidth(1, m_nStatusWidth);
    for (int row = 0; row < kRows; ++row) {
        auto* item = new QTreeWidgetItem(this);
        item->setText(0, QString::number(row + 1));
    }
    ResetRows();
}

void CThreadList::SetRow(int row, int phase, const QString& text) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (item->data(0, kPhaseRole).toInt() == phase && item->text(1) == text &&
        item->data(0, kPhaseRole).isValid()) {
        return;
    }
    item->setIcon(0, PhaseIcon(phase));
    item->setData(0, kPhaseRole, phase);
    item->setText(1, text);
    // A screen reader reads the row as one line: "Thread 4: Reading web page: ...".
    const QString spoken = UiFormat(IDS_THREAD_ROW, row + 1, text);
    item->setData(0, Qt::AccessibleTextRole, spoken);
    item->setData(1, Qt::AccessibleTextRole, spoken);
}

void CThreadList::SetStatus(int slot, int phase, const QString& text) {
    const int row = slot & 0xFF;
    if (row < kRows) {
        SetRow(row, phase, text);
    }
}

void CThreadList::ResetRows() {
    for (int row = 0; row < kRows; ++row) {
        SetRow(row, 0, UiText(IDS_STATUS_NA));
    }
}

QString CThreadList::StatusText(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->text(1) : QString();
}

int CThreadList::Phase(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->data(0, kPhaseRole).toInt() : -1;
}

int CThreadList::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.first());
}

void CThreadList::contextMenuEvent(QContextMenuEvent* event) {
    QPoint globalPos = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        // A right click selects the row under the mouse first.
        if (QTreeWidgetItem* item = itemAt(event->pos())) {
            setCurrentItem(item);
        }
    } else if (QTreeWidgetItem* item = currentItem()) {
        globalPos = viewport()->mapToGlobal(visualItemRect(item).center());
    }
    emit PopupRequested(globalPos);
}

void CThreadList::focusInEvent(QFocusEvent* event) {
    // Tabbed into, the list shows where the keyboard is: a current row, in sight.
    if (currentItem() == nullptr && topLevelItemCount() > 0) {
        setCurrentItem(topLevelItem(0), 0, QItemSelectionModel::NoUpdate);
    }
    if (currentItem() != nullptr) {
        scrollToItem(currentItem());
    }
    QTreeWidget::focusInEvent(event);
}

void CThreadList::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    FitStatusColumn();
}

void CThreadList::FitStatusColumn() {
    // The status column keeps its width and takes whatever room the list has
    // beyond it, so the header always spans the list.
    setColumnWidth(1, std::max(m_nStatusWidth, viewport()->width() - columnWidth(0)));
}
