#include "gui/ChannelGrid.h"

#include "core/channels/ChannelTable.h"
#include "gui/TypedKey.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QWheelEvent>

namespace
{

constexpr int kColumnWidths[ChannelTable::ColumnCount] = {30, 70, 69, 70, 70, 61,
                                                          60, 57, 56, 54, 57, 51};

// Fills the cell with the background of its state, then draws the text
// centred on one line.
class CellPainter : public QStyledItemDelegate
{
public:
    explicit CellPainter(const ChannelGrid *grid) : QStyledItemDelegate(nullptr), m_grid(grid) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const bool fixed = index.row() == 0 || index.column() == ChannelTable::NumberColumn;
        const bool rowSelected = m_grid->isRowSelected(index.row());
        const bool selected =
            !fixed && (rowSelected || option.state.testFlag(QStyle::State_Selected));
        const QPalette &palette = option.palette;
        QColor background = palette.color(QPalette::Base);
        QColor foreground = palette.color(QPalette::Text);
        if (fixed && rowSelected) {
            // The number of a selected channel: the button face, darkened.
            background = palette.color(QPalette::Mid);
            foreground = palette.color(QPalette::ButtonText);
        } else if (fixed) {
            background = palette.color(QPalette::Button);
            foreground = palette.color(QPalette::ButtonText);
        } else if (selected) {
            background = palette.color(QPalette::Highlight);
            foreground = palette.color(QPalette::HighlightedText);
        }
        painter->save();
        painter->fillRect(option.rect, background);
        painter->setPen(foreground);
        painter->setFont(option.font);
        painter->drawText(option.rect, Qt::AlignCenter | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

private:
    const ChannelGrid *m_grid;
};

} // namespace

ChannelGrid::ChannelGrid(ChannelTable &table, QWidget *parent)
    : QTableView(parent), m_table(table), m_rowSelected(ChannelTable::RowCount, false)
{
    setObjectName(QStringLiteral("StringGrid1"));
    setModel(&m_table);
    auto *painter = new CellPainter(this);
    painter->setParent(this);
    setItemDelegate(painter);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // A section holds its cell and the grid line after it, so each section is
    // one pixel more than the cell; with a one-pixel frame the 17 rows fill
    // the designed height without a scroll bar.
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    verticalHeader()->setMinimumSectionSize(RowHeight + 1);
    verticalHeader()->setDefaultSectionSize(RowHeight + 1);
    for (int column = 0; column < ChannelTable::ColumnCount; ++column)
        setColumnWidth(column, kColumnWidths[column] + 1);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    setTabKeyNavigation(false);
    // Keys reach the grid as keys, not as text an input method commits.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setCurrentIndex(m_table.index(1, 1));
}

QRect ChannelGrid::cellRect(int column, int row) const
{
    return visualRect(m_table.index(row, column)).translated(viewport()->pos());
}

int ChannelGrid::lastRow() const
{
    return m_table.rowCount() - 1;
}

int ChannelGrid::lastColumn() const
{
    return m_table.columnCount() - 1;
}

void ChannelGrid::selectCell(int column, int row)
{
    const QModelIndex target = m_table.index(row, column);
    if (!(m_table.flags(target) & Qt::ItemIsSelectable))
        return;
    clearRowSelection();
    Q_EMIT cellAboutToBeSelected(column, row);
    setCurrentIndex(target);
    Q_EMIT cellClicked();
}

QList<int> ChannelGrid::selectedRows() const
{
    QList<int> rows;
    for (int row = 1; row < m_rowSelected.size(); ++row) {
        if (m_rowSelected[row])
            rows << row;
    }
    return rows;
}

bool ChannelGrid::isRowSelected(int row) const
{
    return row >= 1 && row < m_rowSelected.size() && m_rowSelected[row];
}

void ChannelGrid::selectRows(int first, int last)
{
    m_rowSelected.fill(false);
    for (int row = qMax(1, qMin(first, last)); row <= qMin(lastRow(), qMax(first, last)); ++row)
        m_rowSelected[row] = true;
    viewport()->update();
}

void ChannelGrid::clearRowSelection()
{
    if (!m_rowSelected.contains(true))
        return;
    m_rowSelected.fill(false);
    viewport()->update();
}

void ChannelGrid::pickRow(int row, Qt::KeyboardModifiers modifiers)
{
    if (row < 1 || row > lastRow())
        return;
    if (modifiers.testFlag(Qt::ShiftModifier) && m_anchorRow >= 1) {
        selectRows(m_anchorRow, row);
    } else if (modifiers.testFlag(Qt::ControlModifier)) {
        m_rowSelected[row] = !m_rowSelected[row];
        m_anchorRow = row;
        viewport()->update();
    } else {
        m_anchorRow = row;
        selectRows(row, row);
    }
    Q_EMIT rowsSelected(row);
}

std::optional<QPoint> ChannelGrid::keyTarget(const QKeyEvent *event) const
{
    const int column = selectedColumn();
    const int row = selectedRow();
    const bool control = event->modifiers().testFlag(Qt::ControlModifier);
    // Rows below the header row that the viewport shows in full.
    const int page = qMax(1, viewport()->height() / rowHeight(0) - 1);
    QPoint target;
    switch (event->key()) {
    case Qt::Key_Up:
        target = {column, row - 1};
        break;
    case Qt::Key_Down:
        target = {column, row + 1};
        break;
    case Qt::Key_Left:
        target = {column - 1, row};
        break;
    case Qt::Key_Right:
        target = {column + 1, row};
        break;
    case Qt::Key_PageUp:
        target = {column, row - page};
        break;
    case Qt::Key_PageDown:
        target = {column, row + page};
        break;
    case Qt::Key_Home:
        target = {1, control ? 1 : row};
        break;
    case Qt::Key_End:
        target = {lastColumn(), control ? lastRow() : row};
        break;
    default:
        return std::nullopt;
    }
    return QPoint(qBound(1, target.x(), lastColumn()), qBound(1, target.y(), lastRow()));
}

void ChannelGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::SelectAll)) {
        m_anchorRow = 1;
        selectRows(1, m_table.channelCount());
        Q_EMIT rowsSelected(currentIndex().row());
        event->accept();
        return;
    }
    Q_EMIT keyDown(event->key());
    if (const std::optional<QPoint> target = keyTarget(event)) {
        if (*target != QPoint(selectedColumn(), selectedRow()))
            selectCell(target->x(), target->y());
        event->accept();
        return;
    }
    const QChar key = typedKey(event);
    if (key.isNull()) {
        event->ignore();
        return;
    }
    Q_EMIT keyTyped(key);
    event->accept();
}

void ChannelGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex cell = indexAt(event->position().toPoint());
    if (cell.isValid() && cell.column() == ChannelTable::NumberColumn && cell.row() >= 1) {
        m_draggingRows = true;
        m_dragRow = cell.row();
        pickRow(cell.row(), event->modifiers());
    } else if (cell.isValid()) {
        selectCell(cell.column(), cell.row());
    }
}

// The second press of a double click is not a second click: on the cell the
// first press selected it does nothing (a two-state cell flips once), on
// another cell it is the click that selects it.
void ChannelGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex cell = indexAt(event->position().toPoint());
    if (cell != currentIndex())
        mousePressEvent(event);
    event->accept();
}

// Dragging does not move the selection of a cell, and a release does nothing
// more: the press has done the click. A drag that started on a number cell
// selects the channels it passes over.
void ChannelGrid::mouseMoveEvent(QMouseEvent *event)
{
    if (m_draggingRows && event->buttons().testFlag(Qt::LeftButton)) {
        const int row = rowAt(event->position().toPoint().y());
        if (row >= 1 && row != m_dragRow) {
            m_dragRow = row;
            pickRow(row, Qt::ShiftModifier);
        }
    }
    event->accept();
}

void ChannelGrid::mouseReleaseEvent(QMouseEvent *event)
{
    m_draggingRows = false;
    event->accept();
}

// Each notch moves the selection one row, down when the wheel turns towards
// the user, within rows 1 to 16.
void ChannelGrid::wheelEvent(QWheelEvent *event)
{
    constexpr int kNotch = QWheelEvent::DefaultDeltasPerStep;
    m_wheelAngle += event->angleDelta().y();
    while (qAbs(m_wheelAngle) >= kNotch) {
        const int step = m_wheelAngle > 0 ? -1 : 1;
        m_wheelAngle += step * kNotch;
        Q_EMIT wheelTurned();
        const int row = qBound(1, selectedRow() + step, lastRow());
        if (row != selectedRow())
            selectCell(selectedColumn(), row);
    }
    event->accept();
}

void ChannelGrid::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    Q_EMIT cellsDrawn();
}
