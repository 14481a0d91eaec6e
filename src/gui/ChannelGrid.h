#pragma once

#include <QList>
#include <QTableView>
#include <optional>

class ChannelTable;

// The channel grid: the whole table including the header row and the number
// column, fixed column widths, rows 20 pixels high, every cell filled with the
// background of its state (fixed, selected, normal) and its text centred on
// one line.
//
// Every move of the selected cell, by mouse, keys, wheel or program, goes
// through selectCell(), which announces the move while the current index still
// names the old cell and reports the click after it has moved. A click on a
// cell that is already selected does the same; header and number cells are
// never selected.
class ChannelGrid : public QTableView
{
    Q_OBJECT
public:
    static constexpr int RowHeight = 20;

    explicit ChannelGrid(ChannelTable &table, QWidget *parent = nullptr);

    // The cell's rectangle in the grid widget's own coordinates.
    QRect cellRect(int column, int row) const;

    int selectedColumn() const { return currentIndex().column(); }
    int selectedRow() const { return currentIndex().row(); }

    // Selects the cell as a click on it does. A selection of whole rows ends.
    void selectCell(int column, int row);

    // Whole channels selected by their number cells: a click selects one, a
    // Shift click or a drag down the numbers a range, a Ctrl click adds or
    // takes away one; Ctrl+A selects every channel. Ascending; empty when the
    // selection is a single cell.
    QList<int> selectedRows() const;
    bool isRowSelected(int row) const;
    void selectRows(int first, int last);
    void clearRowSelection();

    // Typing never jumps to a matching cell: every move goes through
    // selectCell(), and typed digits start a frequency instead.
    void keyboardSearch(const QString &) override {}

Q_SIGNALS:
    // The selection is about to move to (column, row); it still names the old cell.
    void cellAboutToBeSelected(int column, int row);
    // A cell was clicked or the selection moved.
    void cellClicked();
    // A key went down; raised before the key moves the selection.
    void keyDown(int key);
    // A key that types a character (Enter and Backspace included), after the
    // key's own handling.
    void keyTyped(QChar key);
    // One notch of the mouse wheel, before it moves the selection.
    void wheelTurned();
    // The grid has drawn its cells.
    void cellsDrawn();
    // Whole rows were selected; the row clicked (or dragged to) last.
    void rowsSelected(int row);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // Where a navigation key moves the selection; nothing for other keys.
    std::optional<QPoint> keyTarget(const QKeyEvent *event) const;
    int lastRow() const;
    int lastColumn() const;
    // A press or drag on the number cell of the row.
    void pickRow(int row, Qt::KeyboardModifiers modifiers);

    ChannelTable &m_table;
    int m_wheelAngle = 0;        // wheel turn not yet spent on a whole notch
    QList<bool> m_rowSelected;   // by row, the header row's entry unused
    int m_anchorRow = 0;         // where a Shift click or a drag starts
    bool m_draggingRows = false; // the left button went down on a number cell
    int m_dragRow = 0;           // the row the drag is over
};
