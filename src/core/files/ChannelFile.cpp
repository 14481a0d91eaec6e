#include "core/files/ChannelFile.h"

#include "core/base/AppError.h"
#include "core/base/LocaleNumber.h"
#include "core/workspace/Workspace.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <iterator>

namespace
{

constexpr char kHeader[] = "VESQAR MEMORY CHANNEL";
constexpr char kLineEnd[] = "\r\n";
constexpr char kCellSeparator[] = " | ";
constexpr char kEncoding[] = "GBK";
constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

constexpr int kModelLine = 4;
constexpr int kBandLine = 5;
constexpr int kFirstSettingLine = 6;
constexpr int kFirstChannelLine = 27;
constexpr int kBandLength = 10;
// "CH01 | ": what comes before cell 1 of a channel line.
constexpr int kChannelPrefixLength = 7;

// Lines 6 to 26 in file order: which setting each one holds.
struct SettingLine {
    enum Kind { List, Check, KeyTime } kind;
    int which; // a FunctionSettings::List or ::Check
};

using FS = FunctionSettings;
constexpr SettingLine kSettingLines[] = {
    {SettingLine::List, FS::APO},       {SettingLine::List, FS::Squelch},
    {SettingLine::List, FS::Beep},      {SettingLine::List, FS::ScanKind},
    {SettingLine::List, FS::TOT},       {SettingLine::List, FS::Step},
    {SettingLine::Check, FS::OpenBeep}, {SettingLine::Check, FS::TxOver},
    {SettingLine::Check, FS::BatBeep},  {SettingLine::Check, FS::Save},
    {SettingLine::List, FS::VoxSQL},    {SettingLine::List, FS::VoxDelay},
    {SettingLine::Check, FS::VoxRX},    {SettingLine::KeyTime, 0},
    {SettingLine::List, FS::LongKey0},  {SettingLine::List, FS::ShortKey0},
    {SettingLine::List, FS::LongKey1},  {SettingLine::List, FS::ShortKey1},
    {SettingLine::List, FS::LongKey2},  {SettingLine::List, FS::ShortKey2},
    {SettingLine::List, FS::Volume},
};
static_assert(std::size(kSettingLines) == 21);

// The key as the file spells it, without its trailing blank.
QString keyOf(const SettingLine &line)
{
    switch (line.kind) {
    case SettingLine::List:
        return FS::key(FS::List(line.which));
    case SettingLine::Check:
        return FS::key(FS::Check(line.which));
    case SettingLine::KeyTime:
        break;
    }
    return FS::keyTimeKey();
}

// Both converters work on one text at a time, so a character cut in two at
// the end of a text counts as an error instead of waiting for more input.
QStringEncoder gbkEncoder()
{
    QStringEncoder encoder(kEncoding, QStringConverter::Flag::Stateless);
    if (!encoder.isValid())
        throw AppError(QStringLiteral("This system has no GBK text encoding"));
    return encoder;
}

QStringDecoder gbkDecoder()
{
    QStringDecoder decoder(kEncoding, QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        throw AppError(QStringLiteral("This system has no GBK text encoding"));
    return decoder;
}

// The first character of the text that GBK has no code for.
QString firstUnencodable(const QString &text)
{
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype length = text.at(at).isHighSurrogate() ? 2 : 1;
        const QString character = text.mid(at, length);
        QStringEncoder encoder = gbkEncoder();
        const QByteArray encoded = encoder(character); // converts only when taken
        if (encoder.hasError())
            return character;
        at += length;
    }
    return QString();
}

// Builds the file line by line.
class Writer
{
public:
    Writer() : m_encoder(gbkEncoder()) {}

    Writer &ascii(const char *text)
    {
        m_bytes += text;
        return *this;
    }
    Writer &ascii(const QString &text)
    {
        m_bytes += text.toLatin1();
        return *this;
    }
    Writer &number(int value)
    {
        m_bytes += QByteArray::number(value);
        return *this;
    }
    // A text of the configuration; `where` names its place for the error.
    Writer &text(const QString &text, const QString &where)
    {
        const QByteArray bytes = m_encoder.encode(text);
        if (m_encoder.hasError())
            throw AppError(QStringLiteral("Cannot save '%1' (%2): GBK has no code for '%3'")
                               .arg(text, where, firstUnencodable(text)));
        m_bytes += bytes;
        return *this;
    }
    Writer &endLine()
    {
        m_bytes += kLineEnd;
        return *this;
    }
    QByteArray bytes() const { return m_bytes; }

private:
    QStringEncoder m_encoder; // its error state, once set, stays: one failure ends the file
    QByteArray m_bytes;
};

// The row's label from column 0 without leading blanks; a workspace whose rows
// were never labelled writes the number the label would hold.
QString rowLabel(const ChannelTable &table, int row)
{
    QString label = table.cell(ChannelTable::NumberColumn, row);
    while (label.startsWith(QLatin1Char(' ')))
        label.remove(0, 1);
    return label.isEmpty() ? QString::asprintf("%.2d", row) : label;
}

void writeSettings(Writer &out, const FunctionSettings &settings)
{
    for (const SettingLine &line : kSettingLines) {
        const QString key = keyOf(line);
        out.ascii(key).ascii(" ");
        switch (line.kind) {
        case SettingLine::List: {
            const FS::List list = FS::List(line.which);
            out.number(settings.index(list)).ascii(" ").text(settings.currentText(list), key);
            break;
        }
        case SettingLine::Check:
            out.number(settings.isChecked(FS::Check(line.which)) ? 1 : 0);
            break;
        case SettingLine::KeyTime:
            out.number(settings.keyTimePosition());
            break;
        }
        out.endLine();
    }
}

void writeChannels(Writer &out, const ChannelTable &table)
{
    for (int row = 1; row <= ChannelTable::MaxChannels; ++row) {
        const QString label = rowLabel(table, row);
        out.ascii("CH").text(label, QStringLiteral("CH%1").arg(label));
        for (int column = 1; column < ChannelTable::ColumnCount; ++column)
            out.ascii(kCellSeparator)
                .text(table.cell(column, row),
                      QStringLiteral("CH%1, column %2").arg(label).arg(column));
        out.ascii(kCellSeparator).endLine();
    }
}

// A file that is valid UTF-8 throughout and holds bytes beyond ASCII was
// saved as UTF-8 (a user edited it in a modern editor): the chance that GBK
// text is valid UTF-8 as well is small for a whole file. Any other file is GBK.
bool isUtf8Text(const QByteArray &bytes)
{
    const bool beyondAscii =
        std::any_of(bytes.begin(), bytes.end(), [](char byte) { return byte & 0x80; });
    if (!beyondAscii)
        return false;
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes); // converts only when taken
    return !decoder.hasError();
}

// The file's lines without their line ends (CR LF, or a bare LF), a UTF-8
// byte-order mark at its start skipped. Lines the file lacks read as empty.
class Lines
{
public:
    explicit Lines(QByteArray bytes)
    {
        if (bytes.startsWith(kUtf8ByteOrderMark))
            bytes.remove(0, sizeof kUtf8ByteOrderMark - 1);
        m_utf8 = isUtf8Text(bytes);
        m_lines = bytes.split('\n');
        if (bytes.endsWith('\n'))
            m_lines.removeLast(); // the last line end closes a line, it opens none
        for (QByteArray &line : m_lines) {
            if (line.endsWith('\r'))
                line.chop(1);
        }
    }

    int count() const { return int(m_lines.size()); }
    QByteArray bytes(int number) const { return m_lines.value(number - 1); }
    // The line as text; a line of a GBK file that is not GBK text reads with
    // replacement characters, and `isText` says so.
    QString text(int number, bool *isText = nullptr) const
    {
        if (m_utf8) {
            // Lines part at line feeds, which no UTF-8 sequence holds.
            if (isText)
                *isText = true;
            return QString::fromUtf8(bytes(number));
        }
        QStringDecoder decoder = gbkDecoder();
        const QString text = decoder.decode(bytes(number));
        if (isText)
            *isText = !decoder.hasError();
        return text;
    }
    // A line whose text is used as it stands must be text.
    QString checkedText(int number) const
    {
        bool isText = false;
        const QString line = text(number, &isText);
        if (!isText)
            throw AppError(
                QStringLiteral("Line %1 of the channel file is neither GBK nor UTF-8 text")
                    .arg(number));
        return line;
    }

private:
    QList<QByteArray> m_lines;
    bool m_utf8 = false;
};

// The number that starts at the 0-based position and runs to the next blank
// or the end of the line.
int numberAt(const QString &line, int position)
{
    QString value = line.mid(position);
    const qsizetype blank = value.indexOf(QLatin1Char(' '));
    if (blank >= 0)
        value.truncate(blank);
    return LocaleNumber::parseInteger(value);
}

// A list index must name an item of its list, or be -1 (nothing selected, as
// the file holds it for a list that had no selection when saved).
int checkedIndex(int index, FS::List list, const FunctionSettings &limits)
{
    const int count = limits.valueCount(list);
    if (index < -1 || index >= count)
        throw AppError(QStringLiteral("Index %1 of %2 lies beyond its list (0 to %3)")
                           .arg(index)
                           .arg(FS::key(list))
                           .arg(count - 1));
    return index;
}

void readSettings(const Lines &lines, const FunctionSettings &limits,
                  ChannelFile::Contents &contents)
{
    int number = kFirstSettingLine;
    for (const SettingLine &line : kSettingLines) {
        // The key's length alone fixes where the value starts; the line's own
        // text is not compared with the key.
        const int value = numberAt(lines.text(number++), int(keyOf(line).size()) + 1);
        switch (line.kind) {
        case SettingLine::List:
            contents.lists[line.which] = checkedIndex(value, FS::List(line.which), limits);
            break;
        case SettingLine::Check:
            contents.checks[line.which] = value == 1;
            break;
        case SettingLine::KeyTime:
            contents.keyTime = value;
            break;
        }
    }
}

// One channel line: "CH01 | c1 | c2 | ... | c11 | ". An empty receive
// frequency (a blank as the eighth character) makes the whole row empty.
// Otherwise each cell is the text before the next "|" less the blank in front
// of that "|"; the cells from the first one without a closing "|" on stay
// empty. The label is not read: the line's place decides the row.
std::array<QString, ChannelFile::CellCount> readChannel(const QString &line)
{
    std::array<QString, ChannelFile::CellCount> cells;
    if (line.size() > kChannelPrefixLength && line.at(kChannelPrefixLength) == QLatin1Char(' '))
        return cells;
    QString rest = line.mid(kChannelPrefixLength);
    rest.chop(1); // the blank after the last "|"
    for (QString &cell : cells) {
        const qsizetype bar = rest.indexOf(QLatin1Char('|'));
        if (bar < 0)
            break;
        cell = rest.left(qMax<qsizetype>(bar - 1, 0));
        rest = rest.mid(bar + 2);
    }
    return cells;
}

} // namespace

namespace ChannelFile
{

QString dialogFilter()
{
    return QStringLiteral("DVT-842  文件 (*.q42)");
}

QString defaultSuffix()
{
    return QStringLiteral("q42");
}

QByteArray encode(const Workspace &workspace)
{
    Writer out;
    out.ascii(kHeader).endLine().endLine().endLine();
    out.ascii("TYPE")
        .number(workspace.modelIndex())
        .ascii(" ")
        .text(workspace.modelText(), QStringLiteral("TYPE"))
        .endLine();
    out.ascii("BAND ").text(workspace.bands().currentText(), QStringLiteral("BAND")).endLine();
    writeSettings(out, workspace.functions());
    writeChannels(out, workspace.channels());
    return out.bytes();
}

void save(const Workspace &workspace, const QString &path)
{
    // Encoded in full first: a text GBK cannot hold stops the save before the
    // file is touched.
    const QByteArray bytes = encode(workspace);
    QSaveFile file(path);
    // The explicit flush: commit() itself overlooks a failure of its last
    // flush and would put a cut-off file in place of the old one. Without a
    // commit the temporary file is removed and the old file stays.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() ||
        !file.commit())
        throw AppError::unableToWrite(QDir::toNativeSeparators(path));
}

std::optional<Contents> decode(const QByteArray &bytes, const FunctionSettings &limits)
{
    const Lines lines(bytes);
    if (lines.bytes(1) != kHeader)
        return std::nullopt;

    // "TYPE0 PW-100": the index is the one character at the fifth place, the
    // model text all from the seventh on.
    const QString modelLine = lines.text(kModelLine);
    Contents contents;
    contents.modelIndex = LocaleNumber::parseInteger(modelLine.mid(4, 1));
    const QStringList &models = Workspace::modelList();
    if (contents.modelIndex >= models.size() || models.at(contents.modelIndex) != modelLine.mid(6))
        return std::nullopt;

    contents.band = lines.checkedText(kBandLine).mid(5, kBandLength);
    readSettings(lines, limits, contents);

    const int channelLines = qMin(lines.count() - kFirstChannelLine + 1, ChannelTable::MaxChannels);
    for (int row = 0; row < channelLines; ++row)
        contents.rows[row] = readChannel(lines.checkedText(kFirstChannelLine + row));
    return contents;
}

void apply(const Contents &contents, Workspace &workspace)
{
    workspace.setModelIndex(contents.modelIndex);
    workspace.applyModelChange();

    BandList &bands = workspace.bands();
    int band = bands.indexOf(contents.band);
    if (band < 0 && !contents.band.isEmpty()) {
        bands.add(contents.band);
        band = bands.count() - 1;
    }
    bands.setCurrentIndex(band);
    workspace.setCaption(workspace.modelText() + QStringLiteral("   [") + bands.currentText() +
                         QLatin1Char(']'));

    FunctionSettings &settings = workspace.functions();
    for (int list = 0; list < FS::ListCount; ++list)
        settings.setIndex(FS::List(list), contents.lists[list]);
    for (int check = 0; check < FS::CheckCount; ++check)
        settings.setChecked(FS::Check(check), contents.checks[check]);
    // The position as the file gives it, then its text in seconds, which the
    // position follows within 5 to 25.
    settings.setKeyTimePosition(contents.keyTime);
    settings.setKeyTimeText(LocaleNumber::shortest(contents.keyTime / 10.0));

    ChannelTable &table = workspace.channels();
    for (int row = 1; row <= ChannelTable::MaxChannels; ++row) {
        for (int column = 1; column < ChannelTable::ColumnCount; ++column)
            table.setCell(column, row, contents.rows[row - 1][column - 1]);
    }
}

bool open(Workspace &workspace, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError::fileNotFound();
    // Any other file is ignored after its first line, however large it is.
    QByteArray start = file.peek(sizeof kUtf8ByteOrderMark - 1 + sizeof kHeader - 1);
    if (start.startsWith(kUtf8ByteOrderMark))
        start.remove(0, sizeof kUtf8ByteOrderMark - 1);
    if (!start.startsWith(kHeader))
        return false;
    // One byte beyond the limit tells a file that runs past it.
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw AppError(QStringLiteral("Unable to read %1").arg(QDir::toNativeSeparators(path)));
    if (bytes.size() > MaxFileBytes)
        throw AppError(QStringLiteral("The channel file is larger than %1 MiB, far more than its "
                                      "42 lines need; nothing was loaded")
                           .arg(MaxFileBytes / (1024 * 1024)));
    const std::optional<Contents> contents = decode(bytes, workspace.functions());
    if (!contents)
        return false;
    apply(*contents, workspace);
    return true;
}

void newConfiguration(Workspace &workspace)
{
    ChannelTable &table = workspace.channels();
    for (int row = 1; row <= ChannelTable::MaxChannels; ++row)
        table.clearChannel(row);
    workspace.functions().resetDefaults();
    workspace.applyModelChange();
}

} // namespace ChannelFile
