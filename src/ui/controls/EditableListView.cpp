#include "ui/controls/EditableListView.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <algorithm>

namespace {
constexpr int kTextMargin = 5;     // pixels beyond the text while the box grows
constexpr int kNarrowestCell = 4;  // a column this wide or less is not edited
}  // namespace

CEditableListView::CEditableListView(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(0);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Editing is this class's own edit box, not the view's delegates.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setMinimumSectionSize(0);  // a column may be dragged shut
    connect(this, &QTreeWidget::clicked, this, &CEditableListView::OnClicked);
}

CEditableListView::~CEditableListView() {
    // An open box goes now: as a child it would go later, and its focus-out
    // would store into a list that is half destroyed.
    if (m_pEditor != nullptr) {
        disconnect(m_pEditor, nullptr, this, nullptr);
        m_pEditor->removeEventFilter(this);
        delete m_pEditor.data();
    }
}

int CEditableListView::AddColumn(const QString& heading, int width, Qt::Alignment alignment,
                                 bool editable) {
    const int column = columnCount();
    setColumnCount(column + 1);
    headerItem()->setText(column, heading);
    headerItem()->setTextAlignment(column, alignment | Qt::AlignVCenter);
    setColumnWidth(column, width);
    m_arrEditable.resize(static_cast<size_t>(column) + 1, false);
    m_arrEditable[static_cast<size_t>(column)] = editable;
    return column;
}

int CEditableListView::AddRow(const QString& text, bool checked) {
    auto* item = new QTreeWidgetItem(this);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setText(0, text);
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    for (int column = 1; column < columnCount(); ++column) {
        item->setTextAlignment(column, ColumnAlignment(column));
    }
    return indexOfTopLevelItem(item);
}

QString CEditableListView::CellText(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->text(column) : QString();
}

void CEditableListView::SetCellText(int row, int column, const QString& text) {
    if (QTreeWidgetItem* item = topLevelItem(row)) {
        item->setText(column, text);
    }
}

bool CEditableListView::IsChecked(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr && item->checkState(0) == Qt::Checked;
}

void CEditableListView::SetChecked(int row, bool checked) {
    if (QTreeWidgetItem* item = topLevelItem(row)) {
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    }
}

Qt::Alignment CEditableListView::ColumnAlignment(int column) const {
    return Qt::Alignment(headerItem()->textAlignment(column));
}

bool CEditableListView::EditCell(int row, int column) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (item == nullptr || column < 0 || column >= columnCount() ||
        !m_arrEditable[static_cast<size_t>(column)] || columnWidth(column) <= kNarrowestCell) {
        return false;
    }
    CloseEditor(true);
    const QModelIndex index = indexFromItem(item, column);
    setCurrentItem(item, column);
    scrollTo(index);
    // Bring the whole cell into view, scrolling sideways when it lies beyond an edge.
    QRect cell = visualRect(index);
    const int overRight = cell.right() - viewport()->width() + 1;
    if (cell.left() < 0 || overRight > 0) {
        QScrollBar* bar = horizontalScrollBar();
        bar->setValue(bar->value() +
                      (cell.left() < 0 ? cell.left() : std::min(overRight, cell.left())));
        cell = visualRect(index);
    }

    m_pEditor = new QLineEdit(viewport());
    m_pEditor->setFrame(false);
    m_pEditor->setFont(font());
    m_pEditor->setAlignment(ColumnAlignment(column));
    m_pEditor->setAccessibleName(headerItem()->text(column));
    m_pEditor->setText(item->text(column));
    m_pEditor->selectAll();
    m_pEditor->installEventFilter(this);
    m_nEditRow = row;
    m_nEditColumn = column;
    m_nCellWidth = cell.width();
    m_pEditor->setGeometry(cell);
    connect(m_pEditor, &QLineEdit::textChanged, this, &CEditableListView::OnEditorTextChanged);
    connect(m_pEditor, &QLineEdit::editingFinished, this, [this] { CloseEditor(true); });
    OnEditorTextChanged(m_pEditor->text());
    m_pEditor->show();
    m_pEditor->setFocus();
    return true;
}

void CEditableListView::OnEditorTextChanged(const QString& text) {
    if (m_pEditor == nullptr) {
        return;
    }
    const QRect box = m_pEditor->geometry();
    const int wanted = QFontMetrics(m_pEditor->font()).horizontalAdvance(text) + kTextMargin;
    const int room = viewport()->width() - box.left();
    m_pEditor->resize(std::max(m_nCellWidth, std::min(wanted, room)), box.height());
}

void CEditableListView::CloseEditor(bool store) {
    if (m_pEditor == nullptr) {
        return;
    }
    // Taken first: hiding the box moves the focus, which would close it again.
    QLineEdit* editor = m_pEditor;
    m_pEditor = nullptr;
    editor->removeEventFilter(this);
    disconnect(editor, nullptr, this, nullptr);
    if (store) {
        SetCellText(m_nEditRow, m_nEditColumn, editor->text());
        emit CellEdited(m_nEditRow, m_nEditColumn, editor->text());
    }
    const bool hadFocus = editor->hasFocus();
    editor->hide();
    editor->deleteLater();
    if (hadFocus) {
        setFocus();
    }
}

void CEditableListView::OnClicked(const QModelIndex& index) {
    if (index.isValid() && index.column() > 0) {
        EditCell(index.row(), index.column());
    }
}

void CEditableListView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F2 && currentItem() != nullptr) {
        const int row = indexOfTopLevelItem(currentItem());
        for (int column = 0; column < columnCount(); ++column) {
            if (m_arrEditable[static_cast<size_t>(column)] && EditCell(row, column)) {
                return;
            }
        }
    }
    QTreeWidget::keyPressEvent(event);
}

bool CEditableListView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pEditor && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            CloseEditor(false);
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // The box's own Enter: it must not reach the dialog's OK button.
            CloseEditor(true);
            return true;
        }
    }
    if (watched == m_pEditor && event->type() == QEvent::ShortcutOverride) {
        // Esc and Enter belong to the box while it is open, not to the dialog.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
            event->accept();
            return true;
        }
    }
    return QTreeWidget::eventFilter(watched, event);
}
