#include "ui/ThreadList.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <algorithm>

#include "common/StringTable.h"

namespace {
constexpr int kNumberColumnWidth = 50;
constexpr int kNarrowScreen = 800;  // pixels; at most this wide, the status column is narrower
constexpr int kStatusWidthNarrow = 640;
constexpr int kStatusWidthWide = 860;
constexpr int kPhaseRole = Qt::UserRole;

QIcon PhaseIcon(int phase) {
    return QIcon(QString::fromLatin1(":/ui/phase%1.png").arg(phase));
}

QString Text(unsigned id) {
    return QString::fromStdString(LoadString(id));
}
}  // namespace

CThreadList::CThreadList(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(2);
    setHeaderLabels({Text(IDS_COLUMN_THREAD), Text(IDS_COLUMN_STATUS)});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    setAccessibleName(Text(IDS_THREAD_BAR_TITLE));
    header()->setStretchLastSection(false);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const bool narrow = screen != nullptr && screen->geometry().width() <= kNarrowScreen;
    // At least as wide as its title, which the font may make wider.
    setColumnWidth(0, std::max(kNumberColumnWidth, header()->sectionSizeHint(0)));
    setColumnWidth(1, narrow ? kStatusWidthNarrow : kStatusWidthWide);
    for (int row = 0; row < kRows; ++row) {
        auto* item = new QTreeWidgetItem(this);
        item->setText(0, QString::number(row + 1));
    }
    ResetRows();
}

void CThreadList::SetRow(int row, int phase, const QString& text) {
    QTreeWidgetItem* item = topLevelItem(row);
    item->setIcon(0, phase >= 0 && phase < kPhases ? PhaseIcon(phase) : QIcon());
    item->setData(0, kPhaseRole, phase);
    item->setText(1, text);
    // A screen reader reads the row as one line: "Thread 4: Reading web page: ...".
    const QString spoken = QString::fromStdString(
        FormatString(IDS_THREAD_ROW, {int64_t{row + 1}, text.toStdString()}));
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
        SetRow(row, 0, Text(IDS_STATUS_NA));
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
