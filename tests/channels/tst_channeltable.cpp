#include "core/base/AppError.h"
#include "core/base/BandList.h"
#include "core/base/LanguageTexts.h"
#include "core/channels/ChannelTable.h"

#include <QSignalSpy>
#include <QTest>

// The channel table's rules: frequency normalisation into the band, the three
// commit rules, and conversion errors that leave the cell as it was.
class TestChannelTable : public QObject
{
    Q_OBJECT

    LanguageTexts words() const
    {
        LanguageTexts t;
        t.offWord = QStringLiteral("禁用");
        t.onWord = QStringLiteral("启用");
        t.highWord = QStringLiteral("高功率");
        t.lowWord = QStringLiteral("低功率");
        t.wideWord = QStringLiteral("宽带");
        t.narrowWord = QStringLiteral("窄带");
        t.companderWord = QStringLiteral("压扩");
        t.scramblerWord = QStringLiteral("扰频");
        return t;
    }

    struct Fixture {
        LanguageTexts texts;
        BandList bands;
        ChannelTable table{texts, bands};
        explicit Fixture(const LanguageTexts &words,
                         const QString &band = QStringLiteral("400-470MHz"))
            : texts(words)
        {
            if (!band.isNull()) {
                bands.add(band);
                bands.setCurrentIndex(0);
            }
            table.labelRows();
        }
        QStringList row(int r) const
        {
            QStringList cells;
            for (int c = 0; c < ChannelTable::ColumnCount; ++c)
                cells << table.cell(c, r);
            return cells;
        }
    };

private Q_SLOTS:
    void normalisation_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("plain") << "438.5"
                               << "438.50000";
        QTest::newRow("up to 5 kHz") << "438.503"
                                     << "438.50500";
        QTest::newRow("up to 6.25 kHz") << "438.5062"
                                        << "438.50625";
        QTest::newRow("up to 12.5 kHz") << "455.1234"
                                        << "455.12500";
        QTest::newRow("below band, small") << "4"
                                           << "400.00000";
        QTest::newRow("below band") << "399.99"
                                    << "400.00000";
        QTest::newRow("above band") << "470.1"
                                    << "470.00000";
        QTest::newRow("nine digits, no separator") << "438500000"
                                                   << "470.00000";
        QTest::newRow("already normalised") << "438.50625"
                                            << "438.50625";
        QTest::newRow("upper edge") << "470"
                                    << "470.00000";
        QTest::newRow("digits below 100 Hz dropped") << "400.00009"
                                                     << "400.00000";
        QTest::newRow("25 kHz step") << "438.525"
                                     << "438.52500";
    }
    void normalisation()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        Fixture f(words());
        f.table.setCell(ChannelTable::RxFrequency, 3, typed);
        f.table.sendcell(ChannelTable::RxFrequency, 3);
        QCOMPARE(f.table.cell(ChannelTable::RxFrequency, 3), stored);
        QCOMPARE(stored.size(), 9);
    }

    void newChannelIsCompleted()
    {
        Fixture f(words());
        f.table.setCell(1, 2, QStringLiteral("438.5"));
        f.table.setCurrentCell(1, 2);
        f.table.sendallcell();
        QCOMPARE(f.row(2), (QStringList{"02", "438.50000", "禁用", "438.50000", "禁用", "高功率",
                                        "宽带", "启用", "禁用", "启用", "禁用", "禁用"}));
    }

    // A complete channel whose receive frequency changes keeps its transmit
    // frequency: only a new channel copies column 1 into column 3.
    void changedFrequencyOfCompleteChannel_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("rx");
        QTest::addColumn<QString>("tx");
        QTest::newRow("receive") << 1 << "439.1"
                                 << "439.10000"
                                 << "438.50000";
        QTest::newRow("transmit") << 3 << "445.0031"
                                  << "438.50000"
                                  << "445.00500";
    }
    void changedFrequencyOfCompleteChannel()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, rx);
        QFETCH(QString, tx);
        Fixture f(words());
        f.table.setCell(1, 4, QStringLiteral("438.5"));
        f.table.setCurrentCell(1, 4);
        f.table.sendallcell();
        f.table.setCell(column, 4, typed);
        f.table.setCurrentCell(column, 4);
        f.table.sendallcell();
        QCOMPARE(f.table.cell(1, 4), rx);
        QCOMPARE(f.table.cell(3, 4), tx);
        QCOMPARE(f.table.cell(2, 4), QStringLiteral("禁用"));
    }

    void erasedReceiveFrequencyEmptiesRow()
    {
        Fixture f(words());
        f.table.setCell(1, 5, QStringLiteral("450"));
        f.table.setCurrentCell(1, 5);
        f.table.sendallcell();
        f.table.setCell(1, 5, QString());
        f.table.sendallcell();
        QStringList expected(ChannelTable::ColumnCount, QString());
        expected[0] = QStringLiteral("05");
        QCOMPARE(f.row(5), expected);
    }

    // Committing a word cell of a complete channel, or a transmit frequency
    // the user erased, changes nothing.
    void commitsThatChangeNothing_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("eraseTransmit");
        for (int c = 2; c <= 11; ++c)
            QTest::addRow("column %d", c) << c << false;
        QTest::newRow("erased transmit frequency") << 3 << true;
    }
    void commitsThatChangeNothing()
    {
        QFETCH(int, column);
        QFETCH(bool, eraseTransmit);
        Fixture f(words());
        f.table.setCell(1, 7, QStringLiteral("438.5"));
        f.table.setCurrentCell(1, 7);
        f.table.sendallcell();
        f.table.setCell(5, 7, QStringLiteral("低功率"));
        if (eraseTransmit)
            f.table.setCell(3, 7, QString());
        const QStringList before = f.row(7);
        QSignalSpy changes(&f.table, &QAbstractItemModel::dataChanged);
        f.table.setCurrentCell(column, 7);
        f.table.sendallcell();
        QCOMPARE(f.row(7), before);
        QCOMPARE(changes.count(), 0);
    }

    void headerAndNumbersNeverChange()
    {
        Fixture f(words());
        f.table.setCell(1, 0, QStringLiteral("接收频率"));
        f.table.setCurrentCell(1, 0);
        f.table.sendallcell();
        f.table.setCurrentCell(3, 0);
        f.table.sendallcell();
        QCOMPARE(f.table.cell(1, 0), QStringLiteral("接收频率"));
        f.table.clearAllChannels();
        for (int r = 1; r <= 16; ++r)
            QCOMPARE(f.table.cell(0, r), QString::asprintf("%.2d", r));
        QCOMPARE(f.table.cell(1, 0), QStringLiteral("接收频率"));
    }

    // A text that is no number, or a band whose edges are no numbers, raises
    // the conversion error and the cell keeps its text.
    void conversionErrorsKeepTheCell_data()
    {
        QTest::addColumn<QString>("band");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("letters") << "400-470MHz"
                                 << "43a.5"
                                 << "'43a.5' is not a valid floating point value";
        QTest::newRow("two separators") << "400-470MHz"
                                        << "438.5.1"
                                        << "'438.5.1' is not a valid floating point value";
        QTest::newRow("no band selected") << QString() << "438.5"
                                          << "'' is not a valid integer value";
        QTest::newRow("band without edges") << "UHF"
                                            << "438.5"
                                            << "'UHF' is not a valid integer value";
    }
    void conversionErrorsKeepTheCell()
    {
        QFETCH(QString, band);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        Fixture f(words(), band);
        f.table.setCell(1, 1, typed);
        f.table.setCurrentCell(1, 1);
        try {
            f.table.sendallcell();
            QFAIL("no conversion error");
        } catch (const AppError &error) {
            QCOMPARE(error.message(), message);
        }
        QCOMPARE(f.table.cell(1, 1), typed);
        QCOMPARE(f.table.cell(2, 1), QString());
    }

    // Before any language is applied the words are empty: a new channel gets
    // empty word cells and is completed again at every commit.
    void emptyWordsLeaveChannelIncomplete()
    {
        Fixture f{LanguageTexts()};
        f.table.setCell(1, 1, QStringLiteral("438.5"));
        f.table.setCurrentCell(1, 1);
        f.table.sendallcell();
        QCOMPARE(f.table.cell(3, 1), QStringLiteral("438.50000"));
        QCOMPARE(f.table.cell(2, 1), QString());
        f.table.setCell(3, 1, QStringLiteral("440"));
        f.table.sendallcell();
        QCOMPARE(f.table.cell(3, 1), QStringLiteral("438.50000"));
    }

    void gridModelShowsTextsCentredAndFixedCellsUnselectable()
    {
        Fixture f(words());
        QCOMPARE(f.table.rowCount(), 17);
        QCOMPARE(f.table.columnCount(), 12);
        QCOMPARE(f.table.data(f.table.index(16, 0)).toString(), QStringLiteral("16"));
        QCOMPARE(f.table.data(f.table.index(3, 4), Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignCenter));
        QVERIFY(!(f.table.flags(f.table.index(0, 3)) & Qt::ItemIsSelectable));
        QVERIFY(!(f.table.flags(f.table.index(5, 0)) & Qt::ItemIsSelectable));
        QVERIFY(f.table.flags(f.table.index(5, 5)) & Qt::ItemIsSelectable);
    }
};

QTEST_GUILESS_MAIN(TestChannelTable)
#include "tst_channeltable.moc"
