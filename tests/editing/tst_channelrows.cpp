#include "core/base/AppError.h"
#include "core/base/BandList.h"
#include "core/base/LanguageTexts.h"
#include "core/channels/ChannelTable.h"
#include "core/editing/ChannelRows.h"

#include <QLocale>
#include <QTest>

// Channel rows through clipboard text: the grid's own copy read back, rows
// from a spreadsheet, and pastes refused whole with the line at fault.
class TestChannelRows : public QObject
{
    Q_OBJECT

    struct Fixture {
        LanguageTexts texts = LanguageTexts::builtIn();
        BandList bands;
        ChannelTable table{texts, bands};
        explicit Fixture(const QString &band = QStringLiteral("400-470MHz"))
        {
            if (!band.isEmpty()) {
                bands.add(band);
                bands.setCurrentIndex(0);
            }
            table.labelRows();
        }
        // A channel as the grid completes one typed in.
        void addChannel(int row, const QString &rx)
        {
            table.setCell(ChannelTable::RxFrequency, row, rx);
            table.sendcell(ChannelTable::RxFrequency, row);
            table.fillNewChannelDefaults(row);
        }
        QStringList row(int r) const
        {
            QStringList cells;
            for (int c = 1; c < ChannelTable::ColumnCount; ++c)
                cells << table.cell(c, r);
            return cells;
        }
        QList<QStringList> rows() const
        {
            QList<QStringList> all;
            for (int r = 0; r < ChannelTable::RowCount; ++r)
                all << row(r);
            return all;
        }
    };

    static QStringList cells(const std::array<QString, 11> &row)
    {
        return QStringList(row.begin(), row.end());
    }

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // Two rows copied and pasted into rows 10 and 11 come back cell for
    // cell, an unused one included, over channels that were there before.
    void copyReadApplyRoundTrip_data()
    {
        QTest::addColumn<bool>("withHeader");
        QTest::newRow("header row filled") << true;
        QTest::newRow("header row empty") << false;
    }
    void copyReadApplyRoundTrip()
    {
        QFETCH(bool, withHeader);
        Fixture f;
        if (withHeader) {
            const QStringList header{"信道",     "接收频率", "接收亚音", "发射频率",
                                     "发射亚音", "发射功率", "带宽",     "扫描添加",
                                     "繁忙锁定", "尾音消除", "加密",     "PTT-ID"};
            for (int c = 0; c < ChannelTable::ColumnCount; ++c)
                f.table.setCell(c, 0, header.at(c));
        }
        f.addChannel(2, QStringLiteral("438.50625"));
        f.table.setCell(ChannelTable::TxFrequency, 2, QStringLiteral("431.12500"));
        f.table.setCell(ChannelTable::RxTone, 2, QStringLiteral("67.0"));
        f.table.setCell(ChannelTable::TxTone, 2, QStringLiteral("D754I"));
        f.table.setCell(ChannelTable::Power, 2, f.texts.lowWord);
        f.table.setCell(ChannelTable::Bandwidth, 2, f.texts.narrowWord);
        f.table.setCell(ChannelTable::Option7, 2, f.texts.offWord);
        f.table.setCell(ChannelTable::Privacy, 2, f.texts.scramblerWord);
        f.table.setCell(ChannelTable::Option11, 2, f.texts.onWord);
        f.addChannel(10, QStringLiteral("460"));
        f.addChannel(11, QStringLiteral("461"));

        const QString text = ChannelRows::copyText(f.table, {5, 2});
        const QStringList lines = text.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4); // header, 02, 05, and the empty text after the last end
        QCOMPARE(lines.at(1), "02\t" + f.row(2).join(QLatin1Char('\t')));
        QCOMPARE(lines.at(2), QStringLiteral("05") + QString(11, QLatin1Char('\t')));
        QVERIFY(lines.at(3).isEmpty());

        const ChannelRows::Paste paste = ChannelRows::read(text, f.texts, f.bands);
        QCOMPARE(ChannelRows::apply(paste, f.table, 10), 11);
        QCOMPARE(f.row(10), f.row(2));
        QCOMPARE(f.row(11), QStringList(11, QString()));
        QCOMPARE(f.table.cell(0, 10), QStringLiteral("10"));
    }

    // The first line is a header when its receive frequency is a word,
    // whatever the rest of it holds, or when it is the grid's own header line
    // without column names; a first line with a frequency or a channel
    // number is a channel.
    void headerLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("rows");
        QTest::newRow("English, short") << "RX Freq\tRX Tone\n438.5\n" << 1;
        const QString tenTabs(10, QLatin1Char('\t'));
        QTest::newRow("Chinese, full")
            << "信道\t接收频率\t接收亚音" + tenTabs.left(9) + "\n01\t438.5" + tenTabs + "\n"
            << 1;
        QTest::newRow("digits in other fields")
            << "CH 1\tRX Freq\tTX 2" + tenTabs.left(9) + "\n438.5\n"
            << 1;
        QTest::newRow("channel first") << "438.5\n439\n" << 2;
        QTest::newRow("numbered channel first") << "01\t438.5" + tenTabs + "\n" << 1;
        QTest::newRow("copy without column names") << tenTabs + "\t\n01\t438.5" + tenTabs + "\n"
                                                   << 1;
        QTest::newRow("empty spreadsheet row first") << "\n438.5\n" << 2;
        QTest::newRow("unused channel first") << "05" + tenTabs + "\t\n438.5\n" << 2;
        QTest::newRow("header alone") << "RX Freq\n" << 0;
        QTest::newRow("header only in the first line") << "438.5\nRX Freq\n" << -2;
    }
    void headerLine()
    {
        QFETCH(QString, text);
        QFETCH(int, rows);
        Fixture f;
        if (rows < 0) {
            // Further down, a header is a frequency that is none.
            QVERIFY_THROWS_EXCEPTION(AppError, ChannelRows::read(text, f.texts, f.bands));
            return;
        }
        QCOMPARE(ChannelRows::read(text, f.texts, f.bands).rows.size(), rows);
    }

    // Text as spreadsheets copy it: CRLF line ends, a header, 12-field and
    // short lines, quoted and padded fields, empty rows, the words of other
    // languages, the band edges themselves.
    void spreadsheetText()
    {
        Fixture f;
        const QString text = QStringLiteral(
            "CH\tRX Freq\tRX Tone\tTX Freq\tTX Tone\tTX Power\tBandwidth\tScan Add\tBCL\tSTE\t"
            "Privacy\tPTT-ID\r\n"
            "7\t438.5\td023n\t439\t254.1\tLow\tNarrow\tOFF\tON\tOFF\tComp\tON\r\n"
            "445.5\r\n"
            "\r\n"
            "\t\t\t\r\n"
            "  \"400\" \t OFF \t\t\"禁用\"\t\"低功率\"\t窄帶\t啟用\r\n"
            "470\t\t\t\t\t\t\t\t\tscrambler\r\n");
        const ChannelRows::Paste paste = ChannelRows::read(text, f.texts, f.bands);
        QCOMPARE(paste.rows.size(), 6);

        const LanguageTexts &w = f.texts;
        QCOMPARE(cells(paste.rows.at(0)),
                 (QStringList{"438.50000", "D023N", "439.00000", "254.1", w.lowWord, w.narrowWord,
                              w.offWord, w.onWord, w.offWord, w.companderWord, w.onWord}));
        // A frequency alone: the table's own new-channel defaults.
        f.addChannel(1, QStringLiteral("445.5"));
        QCOMPARE(cells(paste.rows.at(1)), f.row(1));
        QCOMPARE(cells(paste.rows.at(2)), QStringList(11, QString()));
        QCOMPARE(cells(paste.rows.at(3)), QStringList(11, QString()));
        QCOMPARE(cells(paste.rows.at(4)),
                 (QStringList{"400.00000", w.offWord, "400.00000", w.offWord, w.lowWord,
                              w.narrowWord, w.onWord, w.offWord, w.onWord, w.offWord, w.offWord}));
        f.addChannel(1, QStringLiteral("470"));
        f.table.setCell(ChannelTable::Privacy, 1, w.scramblerWord);
        QCOMPARE(cells(paste.rows.at(5)), f.row(1));
    }

    // A system that writes the comma takes it as well as the point.
    void systemSeparator()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        Fixture f;
        const ChannelRows::Paste paste =
            ChannelRows::read(QStringLiteral("438,5\t\t438.5125\n"), f.texts, f.bands);
        QCOMPARE(paste.rows.at(0)[0], QStringLiteral("438,50000"));
        QCOMPARE(paste.rows.at(0)[2], QStringLiteral("438,51250"));
    }

    // Each bad paste is refused whole, naming its line and problem, and a
    // table filled by an earlier paste keeps every cell.
    void badPasteIsRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("band");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("problem");
        const QString band = QStringLiteral("400-470MHz");
        QTest::newRow("below the band")
            << "RX Freq\n438.5\n146.520\n"
            << band << 3 << "\"146.520\" is outside the band 400-470MHz";
        QTest::newRow("TX above the band")
            << "438.5\t\t470.0001" << band << 1 << "\"470.0001\" is outside the band 400-470MHz";
        QTest::newRow("letters") << "438.5\r\n\r\n43x.5\r\n"
                                 << band << 3 << "\"43x.5\" is not a frequency (RX frequency)";
        QTest::newRow("two separators")
            << "438.5\t\t438.5.5" << band << 1 << "\"438.5.5\" is not a frequency (TX frequency)";
        QTest::newRow("sign") << "-438.5" << band << 1
                              << "\"-438.5\" is not a frequency (RX frequency)";
        QTest::newRow("no band")
            << "\n438.5" << QString() << 2
            << "no band is chosen, so the frequency \"438.5\" cannot be checked";
        QTest::newRow("tone not in the list")
            << "438.5\tD999N" << band << 1 << "\"D999N\" is not a tone of the list (RX tone)";
        QTest::newRow("tone not spelt as the list")
            << "438.5\t\t\t67" << band << 1 << "\"67\" is not a tone of the list (TX tone)";
        QTest::newRow("quotes inside a quoted field")
            << "438.5\t\"D0\"\"23N\"" << band << 1
            << "\"D0\"23N\" is not a tone of the list (RX tone)";
        QTest::newRow("unknown power")
            << "RX\n438.5\n439\t\t\t\tMAX" << band << 3 << "\"MAX\" is not a power setting";
        QTest::newRow("word of another column")
            << "438.5\t\t\t\t\tON" << band << 1 << "\"ON\" is not a bandwidth setting";
        QTest::newRow("unknown privacy")
            << "438.5\t\t\t\t\t\t\t\t\tAES" << band << 1 << "\"AES\" is not a privacy setting";
        QTest::newRow("thirteen fields") << "438.5\n" + QString(12, QLatin1Char('\t')) << band << 2
                                         << "13 fields, but a line has 12 at most";
    }
    void badPasteIsRefused()
    {
        QFETCH(QString, text);
        QFETCH(QString, band);
        QFETCH(int, line);
        QFETCH(QString, problem);
        Fixture f(band);
        if (band.isEmpty()) {
            // Without a band only frequencies are refused; unused rows go in.
            const ChannelRows::Paste unused =
                ChannelRows::read(QStringLiteral("RX Freq\n\n\t\t\n"), f.texts, f.bands);
            QCOMPARE(ChannelRows::apply(unused, f.table, 1), 2);
        } else {
            const ChannelRows::Paste good =
                ChannelRows::read(QStringLiteral("438.5\n439\t67.0\n"), f.texts, f.bands);
            QCOMPARE(ChannelRows::apply(good, f.table, 1), 2);
        }
        const QList<QStringList> before = f.rows();

        QString message;
        try {
            ChannelRows::apply(ChannelRows::read(text, f.texts, f.bands), f.table, 1);
        } catch (const AppError &error) {
            message = error.message();
        }
        QCOMPARE(message,
                 QStringLiteral("Line %1: %2; nothing was pasted.").arg(line).arg(problem));
        QCOMPARE(f.rows(), before);
    }

    // Rows run down from the first row; past the channel count nothing is
    // written.
    void rowsMustFitTheChannels_data()
    {
        QTest::addColumn<int>("channelCount");
        QTest::addColumn<int>("firstRow");
        QTest::addColumn<int>("lastRow"); // 0: refused
        QTest::addColumn<QString>("message");
        QTest::newRow("fits at the end") << 16 << 14 << 16 << QString();
        QTest::newRow("one too many") << 16 << 15 << 0
                                      << "3 rows from CH15 down do not fit in the 16 channels; "
                                         "nothing was pasted.";
        QTest::newRow("fewer channels") << 8 << 6 << 8 << QString();
        QTest::newRow("past fewer channels") << 8 << 7 << 0
                                             << "3 rows from CH07 down do not fit in the 8 "
                                                "channels; nothing was pasted.";
    }
    void rowsMustFitTheChannels()
    {
        QFETCH(int, channelCount);
        QFETCH(int, firstRow);
        QFETCH(int, lastRow);
        QFETCH(QString, message);
        Fixture f;
        f.table.setChannelCount(channelCount);
        for (int row = 1; row <= 16; ++row)
            f.addChannel(row, QStringLiteral("450"));
        const ChannelRows::Paste paste =
            ChannelRows::read(QStringLiteral("438.5\n\n439"), f.texts, f.bands);
        const QList<QStringList> before = f.rows();
        if (lastRow == 0) {
            QString refused;
            try {
                ChannelRows::apply(paste, f.table, firstRow);
            } catch (const AppError &error) {
                refused = error.message();
            }
            QCOMPARE(refused, message);
            QCOMPARE(f.rows(), before);
            return;
        }
        QCOMPARE(ChannelRows::apply(paste, f.table, firstRow), lastRow);
        QCOMPARE(f.table.cell(ChannelTable::RxFrequency, firstRow), QStringLiteral("438.50000"));
        QVERIFY(!f.table.isInUse(firstRow + 1));
        QCOMPARE(f.table.cell(ChannelTable::RxFrequency, lastRow), QStringLiteral("439.00000"));
        QCOMPARE(f.row(firstRow - 1), before.at(firstRow - 1));
    }
};

QTEST_GUILESS_MAIN(TestChannelRows)
#include "tst_channelrows.moc"
