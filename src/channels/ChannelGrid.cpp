#include "channels/ChannelGrid.h"

#include "channels/ChannelTable.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace
{

constexpr int kColumnWidths[ChannelTable::ColumnCount] = {30, 70, 69, 70, 70, 61,
                                                          60, 57, 56, 54, 57, 51};

// Fills the cell with the background of its state, then draws the text
// centred on one line.
class CellPainter : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const bool fixed = index.row() == 0 || index.column() == ChannelTable::NumberColumn;
        const bool selected = !fixed && option.state.testFlag(QStyle::State_Selected);
        const QPalette &palette = option.palette;
        QColor background = palette.color(QPalette::Base);
        QColor foreground = palette.color(QPalette::Text);
        if (fixed) {
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
};

} // namespace

ChannelGrid::ChannelGrid(ChannelTable &table, QWidget *parent) : QTableView(parent), m_table(table)
{
    setObjectName(QStringLiteral("StringGrid1"));
    setModel(&m_table);
    setItemDelegate(new CellPainter(this));
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
    setCurrentIndex(m_table.index(1, 1));
}

QRect ChannelGrid::cellRect(int column, int row) const
{
    return visualRect(m_table.index(row, column)).translated(viewport()->pos());
}
