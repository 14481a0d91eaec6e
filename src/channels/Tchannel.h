#pragma once

#include <QWidget>

class ChannelGrid;
class ChannelTable;
class Workspace;
class StringTable;

// The channel editor window: the channel grid in a window of 750 x 480 that
// scrolls when it is made smaller.
class Tchannel : public QWidget
{
    Q_OBJECT
public:
    explicit Tchannel(Workspace &workspace, QWidget *parent = nullptr);

    ChannelGrid *grid() const { return StringGrid1; }

    // The window caption; the header row is part of the table.
    void applyLanguage(const StringTable &table);

private:
    Workspace &m_workspace;
    ChannelTable &m_table;
    ChannelGrid *StringGrid1; // the channel grid
};
