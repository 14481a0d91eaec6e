#include "app/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace
{

QPixmap radio(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // Antenna, body, display and speaker grille.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 48));
    p.drawRoundedRect(QRectF(38, 2, 6, 20), 3, 3);
    p.setBrush(QColor(28, 92, 160));
    p.drawRoundedRect(QRectF(16, 16, 32, 46), 6, 6);
    p.setBrush(QColor(200, 232, 200));
    p.drawRoundedRect(QRectF(21, 22, 22, 12), 2, 2);
    p.setBrush(QColor(230, 236, 245));
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            p.drawEllipse(QPointF(25 + column * 7, 42 + row * 6.5), 2, 2);
    return pixmap;
}

} // namespace

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(radio(size));
    return icon;
}
