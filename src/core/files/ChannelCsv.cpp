#include "core/files/ChannelCsv.h"

#include "core/base/AppError.h"
#include "core/base/LocaleNumber.h"
#include "core/channels/ToneList.h"
#include "core/workspace/LanguageSwitch.h"
#include "core/workspace/Workspace.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <optional>

namespace
{

constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";
constexpr char kLineEnd[] = "\r\n";
constexpr qint64 kHertzPerMHz = 1000000;
// The grid's two channel rasters, in hertz.
constexpr qint64 kStep5kHz = 5000;
constexpr qint64 kStep6k25Hz = 6250;

// The values writers put into the tone columns a channel does not use.
const char *const kDefaultCtcss = "88.5";
const char *const kDefaultDcs = "023";
const char *const kDefaultPolarity = "NN";
const char *const kDefaultCrossMode = "Tone->Tone";

using Problem = ChannelCsv::Problem;

// Frequencies ------------------------------------------------------------------------

// A decimal number of MHz as whole hertz: digits with at most one of the
// given separators, blanks around it allowed; digits beyond the sixth
// decimal must be zeros. Nothing for any other text.
std::optional<qint64> hertz(const QString &text, QStringView separators)
{
    const QString trimmed = text.trimmed();
    qint64 whole = 0;
    qint64 fraction = 0;
    int wholeDigits = 0;
    int fractionDigits = 0;
    bool separated = false;
    for (const QChar c : trimmed) {
        if (c.isDigit()) {
            const int digit = c.digitValue();
            if (!separated) {
                if (++wholeDigits > 6)
                    return std::nullopt;
                whole = whole * 10 + digit;
            } else if (fractionDigits < 6) {
                fraction = fraction * 10 + digit;
                ++fractionDigits;
            } else if (digit != 0) {
                return std::nullopt;
            }
        } else if (!separated && separators.contains(c)) {
            separated = true;
        } else {
            return std::nullopt;
        }
    }
    if (wholeDigits == 0 && fractionDigits == 0)
        return std::nullopt;
    for (int digits = fractionDigits; digits < 6; ++digits)
        fraction *= 10;
    return whole * kHertzPerMHz + fraction;
}

// A frequency of the list: the point is its only separator.
std::optional<qint64> listHertz(const QString &text)
{
    return hertz(text, u".");
}

// A frequency cell: the system's separator, or the point or comma of a file
// written under another system, as a write to the radio takes them.
std::optional<qint64> cellHertz(const QString &text)
{
    const QString separators = QStringLiteral(".,") + LocaleNumber::decimalSeparator();
    return hertz(text, separators);
}

// "462.125000", as the list writes frequencies and offsets.
QString listMHz(qint64 hz)
{
    return QString::asprintf("%lld.%06lld", hz / kHertzPerMHz, hz % kHertzPerMHz);
}

// "462.125", "462.1275", "146.520": for the problems, with three decimals
// at least.
QString shownMHz(qint64 hz)
{
    QString text = listMHz(qAbs(hz));
    while (text.endsWith(QLatin1Char('0')) && text.size() - text.indexOf(QLatin1Char('.')) > 4)
        text.chop(1);
    return hz < 0 ? QLatin1Char('-') + text : text;
}

// The cell text the grid writes for a frequency: MHz with five decimals in
// the system's number format.
QString cellText(qint64 hz)
{
    return LocaleNumber::fixed(double(hz) / kHertzPerMHz, 5);
}

bool isOnStep(qint64 hz)
{
    return hz % kStep5kHz == 0 || hz % kStep6k25Hz == 0;
}

// Tones --------------------------------------------------------------------------------

// A CTCSS tone in tenths of a hertz: "88.5", "100", "67.00"; -1 for a text
// that is no such number.
int toneTenths(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,4})(?:\\.([0-9]+))?$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return -1;
    const QString decimals = match.captured(2);
    for (int i = 1; i < decimals.size(); ++i) {
        if (decimals.at(i) != QLatin1Char('0'))
            return -1;
    }
    return match.captured(1).toInt() * 10 + (decimals.isEmpty() ? 0 : decimals.at(0).digitValue());
}

// The tone list's entry for a CTCSS value of the list ("88.5" -> "88.5",
// "100" -> "100.0"); empty when the list has no such tone.
QString ctcssEntry(const QString &text)
{
    static const QHash<int, QString> byTenths = [] {
        QHash<int, QString> tones;
        for (const QString &tone : ToneList::ctcssTones())
            tones.insert(toneTenths(tone), tone);
        return tones;
    }();
    return byTenths.value(toneTenths(text));
}

// The three digits of a DCS code of the list ("023", "23"); empty when the
// tone list has no such code.
QString dcsCode(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^[0-7]{1,3}$"));
    const QString trimmed = text.trimmed();
    if (!form.match(trimmed).hasMatch())
        return QString();
    const QString code = trimmed.rightJustified(3, QLatin1Char('0'));
    return ToneList::dcsCodes().contains(code) ? code : QString();
}

// A tone cell as the list sees it: none, a CTCSS tone or a DCS code with its
// polarity ('N' normal, 'R' reversed: the list's word for our inverted code).
struct Tone {
    enum Kind { None, Ctcss, Dcs } kind = None;
    QString value; // "67.0"; "023"
    QChar polarity = QLatin1Char('N');

    bool operator==(const Tone &other) const
    {
        return kind == other.kind && value == other.value && polarity == other.polarity;
    }
    // The entry of the tone list; empty for none.
    QString entry() const
    {
        if (kind == Ctcss)
            return value;
        if (kind == Dcs)
            return QLatin1Char('D') + value +
                   (polarity == QLatin1Char('R') ? QLatin1Char('I') : QLatin1Char('N'));
        return QString();
    }
};

// A tone cell's text as a tone; nothing when it is not an entry of the tone
// list. The OFF word and an empty cell are no tone.
std::optional<Tone> cellTone(const QString &cell, const QString &offWord)
{
    const QString text = cell.trimmed();
    if (text.isEmpty() || text == offWord)
        return Tone{};
    if (ToneList::ctcssTones().contains(text))
        return Tone{Tone::Ctcss, text, QLatin1Char('N')};
    if (text.size() == 5 && text.startsWith(QLatin1Char('D')) &&
        ToneList::dcsCodes().contains(text.mid(1, 3))) {
        if (text.endsWith(QLatin1Char('N')))
            return Tone{Tone::Dcs, text.mid(1, 3), QLatin1Char('N')};
        if (text.endsWith(QLatin1Char('I')))
            return Tone{Tone::Dcs, text.mid(1, 3), QLatin1Char('R')};
    }
    return std::nullopt;
}

// Export ----------------------------------------------------------------------------------

enum Column {
    Location,
    Name,
    Frequency,
    Duplex,
    Offset,
    ToneMode,
    RToneFreq,
    CToneFreq,
    DtcsCode,
    DtcsPolarity,
    RxDtcsCode,
    CrossMode,
    Mode,
    TStep,
    Skip,
    Power,
    Comment,
    Urcall,
    Rpt1call,
    Rpt2call,
    Dvcode,
    ColumnCount
};

// The tone columns for a channel's transmit and receive tone, in the
// simplest tone mode that says them; the columns a mode does not use keep
// the writers' usual values.
void putTones(QStringList &row, const Tone &tx, const Tone &rx)
{
    row[RToneFreq] = QLatin1String(kDefaultCtcss);
    row[CToneFreq] = QLatin1String(kDefaultCtcss);
    row[DtcsCode] = QLatin1String(kDefaultDcs);
    row[DtcsPolarity] = QLatin1String(kDefaultPolarity);
    row[RxDtcsCode] = QLatin1String(kDefaultDcs);
    row[CrossMode] = QLatin1String(kDefaultCrossMode);

    if (tx.kind == Tone::None && rx.kind == Tone::None)
        return;
    if (tx.kind == Tone::Ctcss && rx.kind == Tone::None) {
        row[ToneMode] = QStringLiteral("Tone");
        row[RToneFreq] = tx.value;
        return;
    }
    if (tx.kind == Tone::Ctcss && tx == rx) {
        row[ToneMode] = QStringLiteral("TSQL");
        row[CToneFreq] = tx.value;
        return;
    }
    if (tx.kind == Tone::Dcs && rx.kind == Tone::Dcs && tx.value == rx.value) {
        row[ToneMode] = QStringLiteral("DTCS");
        row[DtcsCode] = tx.value;
        row[DtcsPolarity] = QString(tx.polarity) + rx.polarity;
        return;
    }
    // Cross: the transmit side, "->", the receive side.
    const auto kindName = [](const Tone &tone) {
        return tone.kind == Tone::Ctcss ? QStringLiteral("Tone")
               : tone.kind == Tone::Dcs ? QStringLiteral("DTCS")
                                        : QString();
    };
    row[ToneMode] = QStringLiteral("Cross");
    row[CrossMode] = kindName(tx) + QStringLiteral("->") + kindName(rx);
    QChar txPolarity = QLatin1Char('N');
    QChar rxPolarity = QLatin1Char('N');
    if (tx.kind == Tone::Ctcss)
        row[RToneFreq] = tx.value;
    if (tx.kind == Tone::Dcs) {
        row[DtcsCode] = tx.value;
        txPolarity = tx.polarity;
    }
    if (rx.kind == Tone::Ctcss)
        row[CToneFreq] = rx.value;
    if (rx.kind == Tone::Dcs) {
        row[RxDtcsCode] = rx.value;
        rxPolarity = rx.polarity;
    }
    row[DtcsPolarity] = QString(txPolarity) + rxPolarity;
}

// One line of the list for a channel in use; the cells it cannot express go
// to `problems`.
QStringList exportRow(const ChannelTable &table, int row, const LanguageTexts &words,
                      QStringList &problems)
{
    const auto problem = [&](const QString &what, const QString &text, const QString &why) {
        problems << QStringLiteral("channel %1: %2 '%3' %4").arg(row).arg(what, text, why);
    };
    const QString rxText = table.cell(ChannelTable::RxFrequency, row);
    const QString txText = table.cell(ChannelTable::TxFrequency, row);
    const std::optional<qint64> rx = cellHertz(rxText);
    const bool transmits = !txText.isEmpty();
    const std::optional<qint64> tx = cellHertz(txText);
    if (!rx)
        problem(QStringLiteral("receive frequency"), rxText,
                QStringLiteral("is not a frequency in MHz"));
    if (transmits && !tx)
        problem(QStringLiteral("transmit frequency"), txText,
                QStringLiteral("is not a frequency in MHz"));
    const QString rxToneText = table.cell(ChannelTable::RxTone, row);
    const QString txToneText = table.cell(ChannelTable::TxTone, row);
    const std::optional<Tone> rxTone = cellTone(rxToneText, words.offWord);
    const std::optional<Tone> txTone = cellTone(txToneText, words.offWord);
    if (!rxTone)
        problem(QStringLiteral("receive tone"), rxToneText,
                QStringLiteral("is not in the tone list"));
    if (!txTone)
        problem(QStringLiteral("transmit tone"), txToneText,
                QStringLiteral("is not in the tone list"));
    if (!rx || (transmits && !tx) || !rxTone || !txTone)
        return {};

    const qint64 rxHz = *rx;
    const qint64 txHz = transmits ? *tx : rxHz;
    QStringList line(ColumnCount);
    line[Location] = QString::number(row);
    line[Frequency] = listMHz(rxHz);
    if (!transmits)
        line[Duplex] = QStringLiteral("off");
    else if (txHz != rxHz)
        line[Duplex] = txHz > rxHz ? QStringLiteral("+") : QStringLiteral("-");
    line[Offset] = listMHz(qAbs(txHz - rxHz));
    putTones(line, *txTone, *rxTone);
    // As the write to the radio reads these cells.
    line[Mode] = table.cell(ChannelTable::Bandwidth, row) == words.wideWord ? QStringLiteral("FM")
                                                                            : QStringLiteral("NFM");
    const bool fiveKHz = rxHz % kStep5kHz == 0 && txHz % kStep5kHz == 0;
    line[TStep] = fiveKHz ? QStringLiteral("5.00") : QStringLiteral("6.25");
    line[Skip] =
        table.cell(ChannelTable::Option7, row) == words.offWord ? QStringLiteral("S") : QString();
    line[Power] = table.cell(ChannelTable::Power, row) == words.highWord ? QStringLiteral("High")
                                                                         : QStringLiteral("Low");
    return line;
}

// Import ----------------------------------------------------------------------------------

// One record of the file: its fields and the line it starts on.
struct Record {
    int line = 0;
    QStringList fields;
};

// The records of the text: fields part at commas, records at CR LF, LF or
// CR. A field that starts with a quote runs to the next lone quote, and two
// quotes in it stand for one; commas and line ends inside belong to it.
// Throws AppError for a quoted field that is never closed.
QList<Record> records(const QString &text)
{
    QList<Record> records;
    Record record{1, {}};
    QString field;
    bool inQuotes = false;
    bool fieldQuoted = false; // the field had quotes: it is there even when empty
    int line = 1;
    int quoteLine = 0;
    const qsizetype size = text.size();
    const auto endField = [&] {
        record.fields << field;
        field.clear();
        fieldQuoted = false;
    };
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        const bool lineEnd = c == QLatin1Char('\n') || c == QLatin1Char('\r');
        // CR LF is one line end.
        if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        if (inQuotes) {
            if (c == QLatin1Char('"') && i + 1 < size && text.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else if (lineEnd) {
                ++line;
                field += QLatin1Char('\n');
            } else {
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && field.isEmpty() && !fieldQuoted) {
            inQuotes = true;
            fieldQuoted = true;
            quoteLine = line;
        } else if (c == QLatin1Char(',')) {
            endField();
        } else if (lineEnd) {
            endField();
            records << record;
            record = Record{++line, {}};
        } else {
            field += c;
        }
    }
    if (inQuotes)
        throw AppError(QStringLiteral("The quoted field that starts on line %1 is never closed")
                           .arg(quoteLine));
    if (!field.isEmpty() || fieldQuoted || !record.fields.isEmpty()) {
        endField();
        records << record;
    }
    return records;
}

// The columns of the header, by name: blanks around a name and its case do
// not count; the first of two columns of one name is used.
class Header
{
public:
    explicit Header(const QStringList &names)
    {
        for (int i = 0; i < names.size(); ++i) {
            const QString key = names.at(i).trimmed().toLower();
            if (!m_index.contains(key))
                m_index.insert(key, i);
        }
    }
    bool has(const char *name) const
    {
        return m_index.contains(QString::fromLatin1(name).toLower());
    }
    // The record's field of the column, without blanks around it; empty when
    // the file has no such column or the record is short.
    QString value(const Record &record, const char *name) const
    {
        const int index = m_index.value(QString::fromLatin1(name).toLower(), -1);
        return index < 0 ? QString() : record.fields.value(index).trimmed();
    }

private:
    QHash<QString, int> m_index;
};

// Checks one row into a channel; its problems are added to `problems`.
class RowReader
{
public:
    RowReader(const Header &header, const Record &record, qint64 lowerHz, qint64 upperHz,
              const QString &band)
        : m_header(header), m_record(record), m_lowerHz(lowerHz), m_upperHz(upperHz), m_band(band)
    {
    }

    // The channel, or nothing when the row is left out; the problems are in
    // problems().
    std::optional<ChannelCsv::Channel> read()
    {
        ChannelCsv::Channel channel;
        channel.line = m_record.line;
        readFrequencies(channel);
        readMode(channel);
        readTones(channel);
        readPower(channel);
        readSkip(channel);
        if (m_leftOut) {
            for (Problem &problem : m_problems)
                problem.rowLeftOut = true;
            return std::nullopt;
        }
        return channel;
    }

    const QList<Problem> &problems() const { return m_problems; }

private:
    QString value(const char *column) const { return m_header.value(m_record, column); }

    void report(Problem::Reason reason, const QString &column, const QString &text,
                bool leavesRowOut = true)
    {
        Problem problem;
        problem.reason = reason;
        problem.line = m_record.line;
        problem.column = column;
        problem.value = text;
        problem.rowLeftOut = leavesRowOut;
        if (reason == Problem::OutsideBand)
            problem.band = m_band;
        m_problems << problem;
        m_leftOut = m_leftOut || leavesRowOut;
    }

    // Whether the frequency is one the channel table can hold; reports it
    // otherwise.
    bool checkFrequency(qint64 hz, const char *column)
    {
        if (hz < m_lowerHz || hz > m_upperHz) {
            report(Problem::OutsideBand, QString::fromLatin1(column), shownMHz(hz));
            return false;
        }
        if (!isOnStep(hz)) {
            report(Problem::OffStep, QString::fromLatin1(column), shownMHz(hz));
            return false;
        }
        return true;
    }

    void readFrequencies(ChannelCsv::Channel &channel)
    {
        const QString rxText = value("Frequency");
        const std::optional<qint64> rx = listHertz(rxText);
        if (!rx) {
            report(Problem::NotAFrequency, QStringLiteral("Frequency"), rxText);
            return;
        }
        if (!checkFrequency(*rx, "Frequency"))
            return;
        channel.rxFrequency = cellText(*rx);

        const QString duplex = value("Duplex").toLower();
        const QString offsetText = value("Offset");
        if (duplex == QLatin1String("off"))
            return; // no transmit
        std::optional<qint64> tx = *rx;
        if (duplex == QLatin1String("+") || duplex == QLatin1String("-") ||
            duplex == QLatin1String("split")) {
            // A shift without an offset is no shift; a split needs its frequency.
            const std::optional<qint64> offset =
                offsetText.isEmpty() && duplex != QLatin1String("split") ? 0
                                                                         : listHertz(offsetText);
            if (!offset) {
                report(Problem::NotAFrequency, QStringLiteral("Offset"), offsetText);
                return;
            }
            tx = duplex == QLatin1String("+")   ? *rx + *offset
                 : duplex == QLatin1String("-") ? *rx - *offset
                                                : *offset;
        } else if (!duplex.isEmpty()) {
            report(Problem::NoEquivalent, QStringLiteral("Duplex"), value("Duplex"));
            return;
        }
        if (checkFrequency(*tx, "Offset"))
            channel.txFrequency = cellText(*tx);
    }

    void readMode(ChannelCsv::Channel &channel)
    {
        const QString mode = value("Mode");
        if (mode.isEmpty() || mode.compare(QLatin1String("FM"), Qt::CaseInsensitive) == 0)
            channel.wide = true;
        else if (mode.compare(QLatin1String("NFM"), Qt::CaseInsensitive) == 0)
            channel.wide = false;
        else
            report(Problem::NoEquivalent, QStringLiteral("Mode"), mode);
    }

    // The polarity letter of one side: 0 transmit, 1 receive. An empty or
    // missing column is normal on both sides.
    std::optional<QChar> polarity(int side)
    {
        const QString text = value("DtcsPolarity").toUpper();
        if (text.isEmpty())
            return QLatin1Char('N');
        const bool good = text.size() == 2 && QStringLiteral("NR").contains(text.at(0)) &&
                          QStringLiteral("NR").contains(text.at(1));
        if (!good) {
            if (!m_polarityReported)
                report(Problem::NotUnderstood, QStringLiteral("DtcsPolarity"),
                       value("DtcsPolarity"), false);
            m_polarityReported = true;
            return std::nullopt;
        }
        return text.at(side);
    }

    // The CTCSS tone of the column, or no tone and a problem.
    Tone ctcss(const char *column)
    {
        const QString entry = ctcssEntry(value(column));
        if (entry.isEmpty()) {
            report(Problem::UnknownTone, QString::fromLatin1(column), value(column), false);
            return Tone{};
        }
        return Tone{Tone::Ctcss, entry, QLatin1Char('N')};
    }

    // The DCS code of the column with the polarity of the side, or no tone
    // and a problem.
    Tone dcs(const char *column, int side)
    {
        const QString code = dcsCode(value(column));
        if (code.isEmpty()) {
            report(Problem::UnknownTone, QString::fromLatin1(column), value(column), false);
            return Tone{};
        }
        const std::optional<QChar> letter = polarity(side);
        if (!letter)
            return Tone{};
        return Tone{Tone::Dcs, code, *letter};
    }

    void readTones(ChannelCsv::Channel &channel)
    {
        const QString mode = value("Tone");
        const QString lower = mode.toLower();
        Tone tx;
        Tone rx;
        if (lower.isEmpty()) {
            // no tone either way
        } else if (lower == QLatin1String("tone")) {
            tx = ctcss("rToneFreq");
        } else if (lower == QLatin1String("tsql")) {
            tx = rx = ctcss("cToneFreq");
        } else if (lower == QLatin1String("dtcs")) {
            // One code for both sides, each with its polarity.
            tx = dcs("DtcsCode", 0);
            if (tx.kind == Tone::Dcs) {
                const std::optional<QChar> letter = polarity(1);
                if (letter)
                    rx = Tone{Tone::Dcs, tx.value, *letter};
            }
        } else if (lower == QLatin1String("cross")) {
            readCross(tx, rx);
        } else {
            // TSQL-R and DTCS-R (reverse squelch) and anything else.
            report(Problem::NoEquivalent, QStringLiteral("Tone"), mode);
        }
        channel.txTone = tx.entry();
        channel.rxTone = rx.entry();
    }

    void readCross(Tone &tx, Tone &rx)
    {
        QString cross = value("CrossMode");
        cross.remove(QLatin1Char(' '));
        const qsizetype arrow = cross.indexOf(QLatin1String("->"));
        const QString txKind = arrow < 0 ? QString() : cross.left(arrow).toLower();
        const QString rxKind = arrow < 0 ? QString() : cross.mid(arrow + 2).toLower();
        const auto known = [](const QString &kind) {
            return kind.isEmpty() || kind == QLatin1String("tone") || kind == QLatin1String("dtcs");
        };
        if (arrow < 0 || !known(txKind) || !known(rxKind) ||
            (txKind.isEmpty() && rxKind.isEmpty())) {
            report(Problem::NoEquivalent, QStringLiteral("CrossMode"), value("CrossMode"));
            return;
        }
        if (txKind == QLatin1String("tone"))
            tx = ctcss("rToneFreq");
        else if (txKind == QLatin1String("dtcs"))
            tx = dcs("DtcsCode", 0);
        if (rxKind == QLatin1String("tone"))
            rx = ctcss("cToneFreq");
        else if (rxKind == QLatin1String("dtcs"))
            rx = dcs("RxDtcsCode", 1);
    }

    // A level's name (High, Hi, Low, Lo, Low1, Mid, Med...) or watts ("5.0W",
    // "1W"): the highest level is our high power, any lower one our low
    // power; 2 W and more is high power. Empty: the new-channel default.
    void readPower(ChannelCsv::Channel &channel)
    {
        const QString text = value("Power");
        const QString name = text.toLower();
        static const QRegularExpression watts(QStringLiteral("^([0-9]+(?:\\.[0-9]*)?)\\s*w$"));
        const QRegularExpressionMatch match = watts.match(name);
        if (name.isEmpty())
            channel.highPower = true;
        else if (match.hasMatch())
            channel.highPower = match.captured(1).toDouble() >= 2.0;
        else if (name.startsWith(QLatin1String("hi")) || name == QLatin1String("h") ||
                 name == QLatin1String("max") || name == QLatin1String("turbo"))
            channel.highPower = true;
        else if (name.startsWith(QLatin1String("lo")) || name.startsWith(QLatin1String("mid")) ||
                 name.startsWith(QLatin1String("med")) || name == QLatin1String("l") ||
                 name == QLatin1String("m") || name == QLatin1String("min"))
            channel.highPower = false;
        else
            report(Problem::NotUnderstood, QStringLiteral("Power"), text);
    }

    // Empty: scanned; S: skipped; P (a priority channel of the scan) stays in
    // the scan, which has no priority channel here.
    void readSkip(ChannelCsv::Channel &channel)
    {
        const QString text = value("Skip");
        const QString skip = text.toUpper();
        if (skip.isEmpty() || skip == QLatin1String("P"))
            channel.scanAdd = true;
        else if (skip == QLatin1String("S"))
            channel.scanAdd = false;
        else
            report(Problem::NotUnderstood, QStringLiteral("Skip"), text);
    }

    const Header &m_header;
    const Record &m_record;
    const qint64 m_lowerHz;
    const qint64 m_upperHz;
    const QString m_band;
    QList<Problem> m_problems;
    bool m_leftOut = false;
    bool m_polarityReported = false;
};

LanguageTexts::CsvTexts makeEnglishTexts()
{
    LanguageTexts::CsvTexts t;
    t.line = QStringLiteral("line %1: %2");
    t.notAFrequency = QStringLiteral("%1 '%2' is not a frequency in MHz");
    t.outsideBand = QStringLiteral("%1 MHz lies outside the band %2");
    t.offStep = QStringLiteral("%1 MHz is not on a 5 kHz or 6.25 kHz step");
    t.unknownTone = QStringLiteral("%1 '%2' is not in the tone list");
    t.noEquivalent = QStringLiteral("%1 '%2' has no equivalent in this radio");
    t.notUnderstood = QStringLiteral("%1 '%2' is not understood");
    t.tooManyChannels = QStringLiteral("more than %1 channels");
    t.rowLeftOut = QStringLiteral("; the row is left out");
    t.toneOff = QStringLiteral("; imported with this tone off");
    return t;
}

} // namespace

namespace ChannelCsv
{

QString dialogFilter()
{
    return QStringLiteral("CHIRP CSV (*.csv)");
}

QString defaultSuffix()
{
    return QStringLiteral("csv");
}

const QStringList &columns()
{
    static const QStringList names =
        QStringLiteral("Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,"
                       "cToneFreq,DtcsCode,DtcsPolarity,RxDtcsCode,CrossMode,"
                       "Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,"
                       "DVCODE")
            .split(QLatin1Char(','));
    return names;
}

QByteArray encode(const Workspace &workspace)
{
    // A copy of the channels in the words of the language in use: a file
    // saved in another language holds that language's words, which mean the
    // same channel.
    ChannelTable table(workspace.texts(), workspace.bands());
    for (int row = 1; row <= ChannelTable::MaxChannels; ++row) {
        for (int column = 1; column < ChannelTable::ColumnCount; ++column)
            table.setCell(column, row, workspace.channels().cell(column, row));
    }
    LanguageSwitch::rewriteChannelWords(table, workspace.texts());
    QByteArray bytes = columns().join(QLatin1Char(',')).toLatin1() + kLineEnd;
    QStringList problems;
    for (int row = 1; row <= ChannelTable::MaxChannels; ++row) {
        if (!table.isInUse(row))
            continue;
        const QStringList line = exportRow(table, row, workspace.texts(), problems);
        if (!line.isEmpty())
            bytes += line.join(QLatin1Char(',')).toUtf8() + kLineEnd;
    }
    if (!problems.isEmpty())
        throw AppError(QStringLiteral("Cannot export the channels: %1")
                           .arg(problems.join(QStringLiteral("; "))));
    return bytes;
}

void save(const Workspace &workspace, const QString &path)
{
    const QByteArray bytes = encode(workspace);
    QSaveFile file(path);
    // As for channel files: the explicit flush catches a failure commit()
    // would overlook; without a commit the old file stays.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() ||
        !file.commit())
        throw AppError::unableToWrite(QDir::toNativeSeparators(path));
}

QString Problem::describe(const LanguageTexts::CsvTexts &t) const
{
    QString what;
    switch (reason) {
    case NotAFrequency:
        what = t.notAFrequency.arg(column, value);
        break;
    case OutsideBand:
        what = t.outsideBand.arg(value, band);
        break;
    case OffStep:
        what = t.offStep.arg(value);
        break;
    case UnknownTone:
        what = t.unknownTone.arg(column, value);
        break;
    case NoEquivalent:
        what = t.noEquivalent.arg(column, value);
        break;
    case NotUnderstood:
        what = t.notUnderstood.arg(column, value);
        break;
    case TooManyChannels:
        what = t.tooManyChannels.arg(ChannelTable::MaxChannels);
        break;
    }
    // In one pass, so that a "%1" in the problem's text stays as it is.
    return t.line.arg(QString::number(line), what + (rowLeftOut ? t.rowLeftOut : t.toneOff));
}

const LanguageTexts::CsvTexts &Problem::englishTexts()
{
    static const LanguageTexts::CsvTexts texts = makeEnglishTexts();
    return texts;
}

Import decode(const QByteArray &input, const Workspace &workspace)
{
    const BandList &bands = workspace.bands();
    if (bands.currentText().isEmpty())
        throw AppError(QStringLiteral("No band is selected, so the frequencies of the list "
                                      "cannot be checked; nothing was imported"));
    const qint64 lowerHz = qint64(bands.lowerEdge()) * kHertzPerMHz;
    const qint64 upperHz = qint64(bands.upperEdge()) * kHertzPerMHz;

    QByteArray bytes = input;
    if (bytes.startsWith(kUtf8ByteOrderMark))
        bytes.remove(0, sizeof kUtf8ByteOrderMark - 1);
    // The columns that are read hold ASCII; other text (names, comments)
    // may be in any encoding and is not used.
    const QList<Record> all = records(QString::fromUtf8(bytes));
    const Header header(all.value(0).fields);
    if (all.isEmpty() || !header.has("Frequency"))
        throw AppError(QStringLiteral("This is not a CHIRP channel list: its first line names no "
                                      "Frequency column; nothing was imported"));

    Import import;
    for (qsizetype i = 1; i < all.size(); ++i) {
        const Record &record = all.at(i);
        if (header.value(record, "Frequency").isEmpty())
            continue;
        RowReader reader(header, record, lowerHz, upperHz, bands.currentText());
        const std::optional<Channel> channel = reader.read();
        QList<Problem> problems = reader.problems();
        if (channel && import.channels.size() == ChannelTable::MaxChannels) {
            Problem full;
            full.reason = Problem::TooManyChannels;
            full.line = record.line;
            problems.prepend(full);
            for (Problem &problem : problems)
                problem.rowLeftOut = true;
        } else if (channel) {
            import.channels << *channel;
        }
        import.problems << problems;
    }
    return import;
}

Import read(const QString &path, const Workspace &workspace)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError::fileNotFound();
    // One byte beyond the limit tells a file that runs past it.
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw AppError(QStringLiteral("Unable to read %1").arg(QDir::toNativeSeparators(path)));
    if (bytes.size() > MaxFileBytes)
        throw AppError(QStringLiteral("The CSV file is larger than %1 MiB, far more than a "
                                      "channel list needs; nothing was imported")
                           .arg(MaxFileBytes / (1024 * 1024)));
    return decode(bytes, workspace);
}

void apply(const Import &import, Workspace &workspace)
{
    ChannelTable &table = workspace.channels();
    const LanguageTexts &words = workspace.texts();
    for (int row = 1; row <= ChannelTable::MaxChannels; ++row) {
        table.clearChannel(row);
        if (row > import.channels.size())
            continue;
        const Channel &channel = import.channels.at(row - 1);
        table.setCell(ChannelTable::RxFrequency, row, channel.rxFrequency);
        // The grid's defaults for the columns the list does not carry.
        table.fillNewChannelDefaults(row);
        table.setCell(ChannelTable::TxFrequency, row, channel.txFrequency);
        table.setCell(ChannelTable::RxTone, row,
                      channel.rxTone.isEmpty() ? words.offWord : channel.rxTone);
        table.setCell(ChannelTable::TxTone, row,
                      channel.txTone.isEmpty() ? words.offWord : channel.txTone);
        table.setCell(ChannelTable::Power, row, channel.highPower ? words.highWord : words.lowWord);
        table.setCell(ChannelTable::Bandwidth, row,
                      channel.wide ? words.wideWord : words.narrowWord);
        table.setCell(ChannelTable::Option7, row, channel.scanAdd ? words.onWord : words.offWord);
    }
}

} // namespace ChannelCsv
