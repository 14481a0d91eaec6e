#pragma once

#include <QTableView>

class ChannelTable;

// The channel grid: the whole table including the header row and the number
// column, fixed column widths, rows 20 pixels high, every cell filled with the
// background of its state (fixed, selected, normal) and its text centred on
// one line.
class ChannelGrid : public QTableView
{
    Q_OBJECT
public:
    static constexpr int RowHeight = 20;

    explicit ChannelGrid(ChannelTable &table, QWidget *parent = nullptr);

    // The cell's rectangle in the grid widget's own coordinates.
    QRect cellRect(int column, int row) const;

private:
    ChannelTable &m_table;
};
