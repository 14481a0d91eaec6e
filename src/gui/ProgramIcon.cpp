#include "gui/ProgramIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

QIcon programIcon()
{
    // Drawn from the SVG at the sizes window frames, task bars and the about
    // box ask for, so the icon needs no image plug-in at run time.
    // The resource lives in a static library: named here so it is linked in.
    Q_INIT_RESOURCE(icons);
    QSvgRenderer svg(QStringLiteral(":/icons/ktprog.svg"));
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        svg.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
