#include "core/channels/ChannelTable.h"
#include "core/workspace/Workspace.h"
#include "gui/ChannelGrid.h"
#include "gui/Tchannel.h"

#include <QImage>
#include <QScrollBar>
#include <QTest>

// The channel editor window as it is drawn: designed column widths, the whole
// grid without scroll bars, numbered rows, texts centred in their cells.
class TestTchannel : public QObject
{
    Q_OBJECT

    // Bounding box of the pixels in the rectangle that differ from its
    // first pixel (the cell background).
    static QRect inkBox(const QImage &image, const QRect &cell)
    {
        const QRgb background = image.pixel(cell.topLeft() + QPoint(2, 2));
        QRect box;
        for (int y = cell.top() + 1; y < cell.bottom(); ++y)
            for (int x = cell.left() + 1; x < cell.right(); ++x)
                if (image.pixel(x, y) != background)
                    box |= QRect(x, y, 1, 1);
        return box;
    }

private Q_SLOTS:
    void gridHasDesignedGeometry()
    {
        Workspace ws;
        ChannelTable &table = ws.channels();
        table.labelRows();
        Tchannel window(ws);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ChannelGrid *grid = window.grid();
        QCOMPARE(grid->objectName(), QStringLiteral("StringGrid1"));
        QCOMPARE(grid->geometry().size(), QSize(727, 360));
        const int widths[] = {30, 70, 69, 70, 70, 61, 60, 57, 56, 54, 57, 51};
        for (int column = 0; column < 12; ++column)
            QCOMPARE(grid->cellRect(column, 1).width(), widths[column]);
        QCOMPARE(grid->cellRect(1, 1).height(), 20);
        QVERIFY(!grid->verticalScrollBar()->isVisible());
        QVERIFY(!grid->horizontalScrollBar()->isVisible());
        // All 17 rows are on screen.
        QVERIFY(grid->viewport()->rect().contains(grid->visualRect(table.index(16, 11))));
    }

    void cellsAreDrawnCentredOnTheirBackground()
    {
        Workspace ws;
        ChannelTable &table = ws.channels();
        table.labelRows();
        table.setCell(3, 0, QStringLiteral("TX"));
        table.setCell(6, 4, QStringLiteral("W"));
        Tchannel window(ws);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ChannelGrid *grid = window.grid();
        const QImage image = grid->viewport()->grab().toImage();

        for (const QPoint &cell : {QPoint(3, 0), QPoint(6, 4), QPoint(0, 12)}) {
            const QRect rect = grid->visualRect(table.index(cell.y(), cell.x()));
            const QRect ink = inkBox(image, rect.adjusted(0, 0, -1, -1));
            QVERIFY2(!ink.isEmpty(), "no text drawn");
            const QPoint offset = ink.center() - rect.center();
            QVERIFY2(qAbs(offset.x()) <= 2 && qAbs(offset.y()) <= 2,
                     qPrintable(QStringLiteral("cell (%1,%2) text off centre by %3,%4")
                                    .arg(cell.x())
                                    .arg(cell.y())
                                    .arg(offset.x())
                                    .arg(offset.y())));
        }
        // Header and number cells are filled differently from channel cells.
        const QRect fixed = grid->visualRect(table.index(0, 5));
        const QRect normal = grid->visualRect(table.index(5, 5));
        QVERIFY(image.pixel(fixed.topLeft() + QPoint(3, 3)) !=
                image.pixel(normal.topLeft() + QPoint(3, 3)));
    }
};

QTEST_MAIN(TestTchannel)
#include "tst_tchannel.moc"
