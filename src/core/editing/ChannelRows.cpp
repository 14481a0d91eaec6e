#include "core/editing/ChannelRows.h"

#include "core/base/AppError.h"
#include "core/base/BandList.h"
#include "core/base/LanguageTexts.h"
#include "core/base/LocaleNumber.h"
#include "core/channels/ChannelTable.h"
#include "core/channels/ToneList.h"
#include "core/workspace/LanguageSwitch.h"

#include <QLocale>
#include <algorithm>
#include <optional>

namespace
{

using ChannelRows::PasteTexts;

constexpr QChar kTab = QLatin1Char('\t');
constexpr QChar kQuote = QLatin1Char('"');
// A line of the grid's width starts with the channel number.
constexpr int kFullLineFields = ChannelTable::ColumnCount;
// The number column is never written; cell c of a pasted row is column c + 1.
constexpr int kCells = ChannelTable::ColumnCount - 1;
static_assert(kCells == int(std::tuple_size_v<decltype(ChannelRows::Paste::rows)::value_type>));

// The lines of the text without their ends; the empty text after a final
// line end is no line.
QStringList splitLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// A field without surrounding blanks; a field in double quotes, as
// spreadsheets quote, without its quotes and with "" inside read as ".
QString fieldText(const QString &field)
{
    const QString trimmed = field.trimmed();
    if (trimmed.size() >= 2 && trimmed.startsWith(kQuote) && trimmed.endsWith(kQuote))
        return trimmed.mid(1, trimmed.size() - 2)
            .replace(QStringLiteral("\"\""), QStringLiteral("\""))
            .trimmed();
    return trimmed;
}

bool hasDigit(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

// ASCII digits with at most one separator, the point or the system's.
bool isPlainDecimal(const QString &text)
{
    const QChar separator = LocaleNumber::decimalSeparator();
    int digits = 0;
    bool separated = false;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            ++digits;
        else if (!separated && (c == QLatin1Char('.') || c == separator))
            separated = true;
        else
            return false;
    }
    return digits > 0;
}

// The value of a plain decimal, whichever separator it has.
double plainDecimalValue(QString text)
{
    text.replace(LocaleNumber::decimalSeparator(), QLatin1Char('.'));
    return QLocale::c().toDouble(text);
}

// The default of each word column of a new channel, as
// ChannelTable::fillNewChannelDefaults writes it.
QString LanguageTexts::*defaultWord(int column)
{
    switch (column) {
    case ChannelTable::Power:
        return &LanguageTexts::highWord;
    case ChannelTable::Bandwidth:
        return &LanguageTexts::wideWord;
    case ChannelTable::Option7:
    case ChannelTable::Option9:
        return &LanguageTexts::onWord;
    default: // the tones, options 8 and 11, voice privacy
        return &LanguageTexts::offWord;
    }
}

// Checks the lines of one paste and turns them into the table's cells.
class Reader
{
public:
    Reader(const LanguageTexts &texts, const BandList &bands, const PasteTexts &messages)
        : m_texts(texts), m_bandText(bands.currentText()), m_messages(messages),
          m_tones(ToneList::entries(texts.offWord))
    {
        try {
            m_edges = {bands.lowerEdge(), bands.upperEdge()};
        } catch (const AppError &) {
            // No band chosen: the first frequency is refused.
        }
    }

    // The row of one line's fields; throws for a field the table cannot take.
    std::array<QString, kCells> row(const QStringList &fields, int line)
    {
        m_line = line;
        if (fields.size() > kFullLineFields)
            refuse(m_messages.tooManyFields.arg(QString::number(fields.size()),
                                                QString::number(kFullLineFields)));
        const int first = fields.size() == kFullLineFields ? 1 : 0;
        const auto field = [&](int column) { return fieldText(fields.value(first + column - 1)); };

        std::array<QString, kCells> cells;
        const auto cell = [&cells](int column) -> QString & { return cells[column - 1]; };
        const QString rx = field(ChannelTable::RxFrequency);
        if (rx.isEmpty())
            return cells; // an unused channel
        cell(ChannelTable::RxFrequency) = frequency(rx, ChannelTable::RxFrequency);
        const QString tx = field(ChannelTable::TxFrequency);
        cell(ChannelTable::TxFrequency) = tx.isEmpty() ? cell(ChannelTable::RxFrequency)
                                                       : frequency(tx, ChannelTable::TxFrequency);
        for (int column : {ChannelTable::RxTone, ChannelTable::TxTone})
            cell(column) = tone(field(column), column);
        for (int column = ChannelTable::Power; column < ChannelTable::ColumnCount; ++column)
            cell(column) = word(field(column), column);
        return cells;
    }

    // The receive frequency field of a line, by which a header line is known.
    static QString rxField(const QStringList &fields)
    {
        return fieldText(fields.value(fields.size() == kFullLineFields ? 1 : 0));
    }

    // A header line, as the grid's own copy or a spreadsheet's first row
    // gives it, has a word where the receive frequency stands, or (the
    // grid's copy without a language's column names) nothing in its number
    // column either. An empty first row of a spreadsheet is a channel.
    static bool isHeaderLine(const QStringList &fields)
    {
        if (fields.size() > kFullLineFields)
            return false;
        const QString rx = rxField(fields);
        if (!rx.isEmpty())
            return !hasDigit(rx);
        return fields.size() == kFullLineFields && !hasDigit(fieldText(fields.first()));
    }

private:
    [[noreturn]] void refuse(const QString &problem) const
    {
        const QString located = m_messages.line.arg(QString::number(m_line), problem);
        throw AppError(m_messages.nothingPasted.arg(located));
    }

    QString columnName(int column) const { return m_messages.columnNames.value(column); }

    QString frequency(const QString &text, int column) const
    {
        if (!isPlainDecimal(text))
            refuse(m_messages.notAFrequency.arg(text, columnName(column)));
        if (!m_edges)
            refuse(m_messages.noBand.arg(text));
        const double mhz = plainDecimalValue(text);
        if (mhz < m_edges->first || mhz > m_edges->second)
            refuse(m_messages.outsideBand.arg(text, m_bandText));
        // The grid's own form: the system's separator, normalised into the band.
        QString typed = text;
        typed.replace(QLatin1Char('.'), LocaleNumber::decimalSeparator());
        return ChannelTable::normalisedFrequency(typed, m_edges->first, m_edges->second);
    }

    QString tone(const QString &text, int column) const
    {
        if (text.isEmpty())
            return m_texts.offWord;
        const QString off = LanguageSwitch::channelWord(column, text, m_texts);
        if (!off.isEmpty())
            return off;
        // The list's own spelling, whatever the case of a DCS code's letters.
        for (int i = 1; i < m_tones.size(); ++i) {
            if (m_tones.at(i).compare(text, Qt::CaseInsensitive) == 0)
                return m_tones.at(i);
        }
        refuse(m_messages.unknownTone.arg(text, columnName(column)));
    }

    QString word(const QString &text, int column) const
    {
        if (text.isEmpty())
            return m_texts.*defaultWord(column);
        const QString current = LanguageSwitch::channelWord(column, text, m_texts);
        if (current.isEmpty())
            refuse(m_messages.unknownWord.arg(text, columnName(column)));
        return current;
    }

    const LanguageTexts &m_texts;
    const QString m_bandText;
    const PasteTexts &m_messages;
    const QStringList m_tones;
    std::optional<std::pair<int, int>> m_edges;
    int m_line = 0;
};

} // namespace

namespace ChannelRows
{

const PasteTexts &PasteTexts::english()
{
    static const PasteTexts texts{
        {QStringLiteral("Line %1: %2"), QStringLiteral("\"%1\" is not a frequency (%2)"),
         QStringLiteral("\"%1\" is outside the band %2"),
         QStringLiteral("\"%1\" is not a tone of the list (%2)"),
         QStringLiteral("\"%1\" is not a %2 setting"),
         QStringLiteral("%1 fields, but a line has %2 at most"),
         QStringLiteral("no band is chosen, so the frequency \"%1\" cannot be checked"),
         QStringLiteral("%1 rows from CH%2 down do not fit in the %3 channels"),
         QStringLiteral("%1; nothing was pasted.")},
        {QStringLiteral("channel number"), QStringLiteral("RX frequency"),
         QStringLiteral("RX tone"), QStringLiteral("TX frequency"), QStringLiteral("TX tone"),
         QStringLiteral("power"), QStringLiteral("bandwidth"), QStringLiteral("scan add"),
         QStringLiteral("BCL"), QStringLiteral("STE"), QStringLiteral("privacy"),
         QStringLiteral("PTT-ID")},
    };
    return texts;
}

QString copyText(const ChannelTable &table, const QList<int> &rows)
{
    QList<int> chosen;
    for (int row : rows) {
        if (row >= 1 && row <= ChannelTable::MaxChannels)
            chosen << row;
    }
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());

    const auto line = [&table](int row, bool inUse) {
        QStringList fields{table.cell(ChannelTable::NumberColumn, row)};
        for (int column = 1; column < ChannelTable::ColumnCount; ++column)
            fields << (inUse ? table.cell(column, row) : QString());
        return fields.join(kTab) + QLatin1Char('\n');
    };
    QString text = line(0, true);
    for (int row : chosen)
        text += line(row, table.isInUse(row));
    return text;
}

Paste read(const QString &text, const LanguageTexts &texts, const BandList &bands,
           const PasteTexts &messages)
{
    Reader reader(texts, bands, messages);
    Paste paste;
    const QStringList lines = splitLines(text);
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList fields = lines.at(i).split(kTab);
        if (i == 0 && Reader::isHeaderLine(fields))
            continue;
        paste.rows << reader.row(fields, i + 1);
    }
    return paste;
}

int apply(const Paste &paste, ChannelTable &table, int firstRow, const PasteTexts &messages)
{
    const int count = int(paste.rows.size());
    const int lastRow = firstRow + count - 1;
    if (count == 0)
        return lastRow;
    if (firstRow < 1 || lastRow > table.channelCount()) {
        const QString problem =
            messages.tooManyRows.arg(QString::number(count), QString::asprintf("%.2d", firstRow),
                                     QString::number(table.channelCount()));
        throw AppError(messages.nothingPasted.arg(problem));
    }
    for (int i = 0; i < count; ++i) {
        for (int column = 1; column < ChannelTable::ColumnCount; ++column)
            table.setCell(column, firstRow + i, paste.rows.at(i)[column - 1]);
    }
    return lastRow;
}

} // namespace ChannelRows
