#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QTreeWidget>
#include <vector>

// A list of rows with check boxes and full-row selection whose cells in
// editable columns are edited in place: a click on such a cell, or F2 on the
// selected row, opens an edit box exactly over the cell, in the column's
// alignment and the list's font, with the text selected. The box grows to the
// right while typing (the text plus 5 pixels) up to the list's edge. Enter or
// leaving the box stores the text; Esc closes it and keeps the old text.
class CEditableListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit CEditableListView(QWidget* parent = nullptr);
    ~CEditableListView() override;

    // Adds a column of width pixels with its heading and alignment
    // (Qt::AlignLeft or Qt::AlignRight); returns its index.
    int AddColumn(const QString& heading, int width, Qt::Alignment alignment, bool editable);
    // Adds a row with a check box; returns its index.
    int AddRow(const QString& text, bool checked);

    QString CellText(int row, int column) const;
    void SetCellText(int row, int column, const QString& text);
    bool IsChecked(int row) const;
    void SetChecked(int row, bool checked);

    // Opens the edit box over a cell of an editable column; false when the
    // column is not editable or too narrow to edit (4 pixels or less).
    bool EditCell(int row, int column);
    // The open edit box, or null.
    QLineEdit* Editor() const { return m_pEditor; }

signals:
    // The edit box stored text into a cell.
    void CellEdited(int row, int column, const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Qt::Alignment ColumnAlignment(int column) const;
    void OnClicked(const QModelIndex& index);
    void OnEditorTextChanged(const QString& text);
    // Closes the edit box, storing its text when store.
    void CloseEditor(bool store);

    std::vector<bool> m_arrEditable;  // per column
    QPointer<QLineEdit> m_pEditor;
    int m_nEditRow = -1;
    int m_nEditColumn = -1;
    int m_nCellWidth = 0;  // the edited cell's width, the box's least width
};
