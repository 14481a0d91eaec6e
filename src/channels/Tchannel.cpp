#include "channels/Tchannel.h"

#include "app/ApplyText.h"

#include "channels/ChannelGrid.h"
#include "app/Workspace.h"
#include "channels/ChannelTable.h"

#include <QScrollArea>
#include <QVBoxLayout>

Tchannel::Tchannel(Workspace &workspace, QWidget *parent)
    : QWidget(parent), m_workspace(workspace), m_table(workspace.channels())
{
    setObjectName(QStringLiteral("channel"));
    setWindowTitle(QStringLiteral("信道编辑"));
    resize(750, 480);
    QFont windowFont(QStringLiteral("Tahoma"));
    windowFont.setPixelSize(11);
    setFont(windowFont);

    // The designed surface keeps its size; the window scrolls over it.
    auto *surface = new QWidget;
    surface->setObjectName(QStringLiteral("surface"));
    surface->setFixedSize(742, 446);
    StringGrid1 = new ChannelGrid(m_table, surface);
    StringGrid1->setGeometry(8, 8, 727, 360);

    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(surface);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
}

void Tchannel::applyLanguage(const StringTable &table)
{
    applyCaption(this, table, 19);
}
