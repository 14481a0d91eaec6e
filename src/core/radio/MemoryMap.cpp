#include "core/radio/MemoryMap.h"

#include "core/base/AppError.h"
#include "core/base/LocaleNumber.h"
#include "core/radio/ToneCodes.h"
#include "core/workspace/Workspace.h"

#include <QDateTime>
#include <optional>

namespace
{

using FS = FunctionSettings;
using CellProblem = MemoryMap::CellProblem;

constexpr int kChannelAddressOffset = 24; // channel n lies at (n + 24) x 16
constexpr int kNameLength = 7;            // administrator name bytes 9 to 15
constexpr int kFrequencyDigits = 8;       // units of 10 Hz, decimal
constexpr int kFrequencyTextLength = 9;   // ddd.ddddd
constexpr int kKeyTimeReplacement = 15;   // a received long-press time out of range

// Hex digit pairs and single digits as the write formats them.
QString hexByte(int value)
{
    return QString::asprintf("%.2x", value);
}

QString hexDigit(int value)
{
    return QString::asprintf("%.1x", value);
}

// The value of the hex character at a position counted from 1, as the block
// tables count; -1 when there is none.
int nibble(const QString &block, int position)
{
    bool ok = false;
    const int value = block.mid(position - 1, 1).toInt(&ok, 16);
    return ok ? value : -1;
}

// The byte whose high digit is at a position counted from 1.
int byteAt(const QString &block, int position)
{
    bool ok = false;
    const int value = block.mid(position - 1, 2).toInt(&ok, 16);
    return ok ? value : -1;
}

bool isAsciiDigits(const QString &text)
{
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

// Frequencies ----------------------------------------------------------------------

// A received frequency field as a cell text: the 8 decimal digits in units of
// 10 Hz as MHz with five decimals, in the system's number format; empty when
// the field is not 8 decimal digits (FFFFFFFF).
QString frequencyText(const QString &field)
{
    if (field.size() != kFrequencyDigits || !isAsciiDigits(field))
        return {};
    return LocaleNumber::fixed(field.toInt() / 100000.0, 5);
}

// A cell text the encoder can send: three digits, a decimal separator, five
// digits. The separator is not sent; the system's separator, and the point or
// comma of a file written under another system, are all taken. Digits are
// those the system writes numbers with.
bool isFrequencyText(const QString &text)
{
    if (text.size() != kFrequencyTextLength)
        return false;
    for (int i = 0; i < kFrequencyTextLength; ++i) {
        if (i != 3 && !text.at(i).isDigit())
            return false;
    }
    const QChar separator = text.at(3);
    return separator == QLatin1Char('.') || separator == QLatin1Char(',') ||
           separator == LocaleNumber::decimalSeparator();
}

// The 8 digits of a frequency cell: characters 1 to 3 and 5 to 9.
QString frequencyField(const QString &text)
{
    QString digits;
    for (int i = 0; i < kFrequencyTextLength; ++i) {
        if (i != 3)
            digits.append(QChar('0' + text.at(i).digitValue()));
    }
    return digits;
}

// Validation ----------------------------------------------------------------------

// Each list setting the write sends, with the smallest and largest index its
// field holds: one decimal digit, one hex digit, a bit, or a byte. VOX
// sensitivity is stored as its index + 1, so no selection (-1) is the byte
// 00 a radio may hold, and writes back as it was read.
struct EncodedList {
    FS::List list;
    int largestIndex;
    int smallestIndex = 0;
};

constexpr EncodedList kEncodedLists[] = {
    {FS::Squelch, 9},   {FS::ScanKind, 1},   {FS::Step, 9},      {FS::TOT, 9},
    {FS::APO, 15},      {FS::VoxSQL, 8, -1}, {FS::VoxDelay, 9},  {FS::Beep, 15},
    {FS::LongKey0, 15}, {FS::LongKey1, 15},  {FS::LongKey2, 15}, {FS::ShortKey2, 15},
    {FS::Volume, 255},
};

std::optional<CellProblem> listProblem(const FS &functions, const EncodedList &field)
{
    const int index = functions.index(field.list);
    if (index >= field.smallestIndex && index <= field.largestIndex)
        return std::nullopt;
    CellProblem problem;
    problem.reason = index < 0 ? CellProblem::NoSelection : CellProblem::SettingOutOfRange;
    problem.setting = field.list;
    problem.text = functions.currentText(field.list);
    return problem;
}

QList<CellProblem> channelProblems(const Workspace &workspace, int row)
{
    const ChannelTable &table = workspace.channels();
    QList<CellProblem> problems;
    if (!table.isInUse(row))
        return problems;
    const auto report = [&](int column, CellProblem::Reason reason) {
        CellProblem problem;
        problem.reason = reason;
        problem.row = row;
        problem.column = column;
        problem.text = table.cell(column, row);
        problems.append(problem);
    };
    const QString offWord = workspace.texts().offWord;
    for (int column = ChannelTable::RxFrequency; column <= ChannelTable::TxTone; ++column) {
        const QString text = table.cell(column, row);
        const bool frequency =
            column == ChannelTable::RxFrequency || column == ChannelTable::TxFrequency;
        if (frequency && !isFrequencyText(text) &&
            !(column == ChannelTable::TxFrequency && text.isEmpty()))
            report(column, CellProblem::BadFrequency);
        if (!frequency && !ToneCodes::hasCode(text, offWord))
            report(column, CellProblem::UnknownTone);
    }
    return problems;
}

std::optional<CellProblem> nameProblem(const QString &name)
{
    const QString written = name.left(kNameLength);
    for (const QChar c : written) {
        if (c.unicode() > 0x7F) {
            CellProblem problem;
            problem.reason = CellProblem::NameNotAscii;
            problem.text = name;
            return problem;
        }
    }
    return std::nullopt;
}

[[noreturn]] void refuse(const CellProblem &problem)
{
    throw AppError(problem.describe());
}

// The index of a list setting as its field carries it; throws when the field
// cannot hold it.
int encodedIndex(const FS &functions, FS::List list)
{
    for (const EncodedList &field : kEncodedLists) {
        if (field.list != list)
            continue;
        if (const auto problem = listProblem(functions, field))
            refuse(*problem);
        break;
    }
    return functions.index(list);
}

// Received list values ---------------------------------------------------------

// Selects a received index. Where no rule replaces a value outside the list,
// the previous selection stays (the first item when there was none), so that
// the next write still has a value to send.
void selectReceived(FS &functions, FS::List list, int index)
{
    if (index >= 0 && index < functions.valueCount(list))
        functions.setIndex(list, index);
    else if (functions.index(list) < 0)
        functions.setIndex(list, 0);
}

// v when it lies below the list's value count, else the replacement.
int belowCountOr(const FS &functions, FS::List list, int v, int replacement)
{
    return v < functions.valueCount(list) ? v : replacement;
}

} // namespace

namespace MemoryMap
{

int channelAddress(int channel)
{
    return (channel + kChannelAddressOffset) * BlockSize;
}

int channelOfAddress(int address)
{
    if (address < FirstChannelAddress || address % BlockSize != 0)
        return 0;
    return address / BlockSize - kChannelAddressOffset;
}

QString blockName(int address)
{
    switch (address) {
    case FunctionBlock1Address:
        return QStringLiteral("function block 1");
    case FunctionBlock2Address:
        return QStringLiteral("function block 2");
    case BandAddress:
        return QStringLiteral("band block");
    case IdentificationAddress:
        return QStringLiteral("identification block");
    case InformationAddress:
        return QStringLiteral("information block");
    default:
        break;
    }
    if (const int channel = channelOfAddress(address))
        return QStringLiteral("channel %1").arg(channel);
    return QStringLiteral("block %1").arg(addressText(address));
}

QString addressText(int address)
{
    return QString::asprintf("%04X", address);
}

QString channelAddressText(int channel)
{
    return QLatin1Char('0') + hexByte(channel + kChannelAddressOffset) + QLatin1Char('0');
}

bool isBlockText(const QString &text)
{
    if (text.size() != BlockTextLength)
        return false;
    for (int position = 1; position <= BlockTextLength; ++position) {
        if (nibble(text, position) < 0)
            return false;
    }
    return true;
}

// Identification ------------------------------------------------------------------

int modelIndex(const QString &identificationBlock)
{
    static const QString models[] = {QStringLiteral("4B542D010000FF06"),
                                     QStringLiteral("4B542D010100FF06")};
    const QString id = identificationBlock.left(16);
    for (int index = 0; index < int(std::size(models)); ++index) {
        if (id.compare(models[index], Qt::CaseInsensitive) == 0)
            return index;
    }
    return -1;
}

// Band ---------------------------------------------------------------------------

QString bandText(const QString &bandBlock)
{
    const QString block = bandBlock.toUpper();
    return block.mid(4, 3) + QLatin1Char('-') + block.mid(0, 3) + QStringLiteral("MHz");
}

QString noBandText()
{
    return QStringLiteral("FFF-FFFMHz");
}

// Information --------------------------------------------------------------------

void decodeInformation(const QString &informationBlock, Workspace &workspace)
{
    if (!isBlockText(informationBlock))
        return;
    const QString &b = informationBlock;
    const QLatin1Char dash('-');
    const QLatin1Char colon(':');
    workspace.info().setLastWriteTime(b.mid(0, 4) + dash + b.mid(4, 2) + dash + b.mid(6, 2) +
                                      QStringLiteral("  ") + b.mid(8, 2) + colon + b.mid(10, 2) +
                                      colon + b.mid(12, 2));
    // Only the low digit of the length byte counts.
    const int length = qMin(nibble(b, 32), kNameLength);
    QString name;
    for (int k = 0; k < length; ++k)
        name.append(QChar(byteAt(b, 17 + 2 * k)));
    workspace.info().setAdministrator(name);
}

QString encodeInformation(const Workspace &workspace, const QDateTime &now)
{
    if (const auto problem = nameProblem(workspace.administrator()))
        refuse(*problem);
    const QString name = workspace.administrator().left(kNameLength);
    QString block = now.toString(QStringLiteral("yyyyMMddHHmmss")) + QStringLiteral("FF");
    for (const QChar c : name)
        block += hexByte(c.unicode());
    block += QStringLiteral("FF").repeated(kNameLength - name.size());
    block += hexByte(int(name.size()));
    return block;
}

// Channels ------------------------------------------------------------------------

void decodeChannel(const QString &record, int row, Workspace &workspace)
{
    ChannelTable &table = workspace.channels();
    const LanguageTexts &words = workspace.texts();
    table.clearChannel(row);
    if (!isBlockText(record))
        return;
    const QString rx = frequencyText(record.mid(0, 8));
    if (rx.isEmpty())
        return;
    table.setCell(ChannelTable::RxFrequency, row, rx);
    table.setCell(ChannelTable::TxFrequency, row, frequencyText(record.mid(8, 8)));
    table.setCell(ChannelTable::RxTone, row,
                  ToneCodes::sendCTC(record.mid(16, 4), words.offWord,
                                     table.cell(ChannelTable::RxTone, row)));
    table.setCell(ChannelTable::TxTone, row,
                  ToneCodes::sendCTC(record.mid(20, 4), words.offWord,
                                     table.cell(ChannelTable::TxTone, row)));

    // Byte 15 high: power, bandwidth, column 8 (a set bit is the OFF word).
    const int flags = nibble(record, 29);
    table.setCell(ChannelTable::Power, row, flags & 8 ? words.highWord : words.lowWord);
    table.setCell(ChannelTable::Bandwidth, row, flags & 4 ? words.wideWord : words.narrowWord);
    table.setCell(ChannelTable::Option8, row, flags & 1 ? words.offWord : words.onWord);

    // Byte 15 low: column 9 (a set bit is the ON word) and voice privacy.
    const int privacy = nibble(record, 30);
    table.setCell(ChannelTable::Option9, row, privacy & 1 ? words.onWord : words.offWord);
    const int mode = privacy / 4;
    table.setCell(ChannelTable::Privacy, row,
                  mode == 1   ? words.companderWord
                  : mode == 2 ? words.scramblerWord
                              : words.offWord);

    // Byte 14 low: columns 7 and 11 (a set bit is the OFF word).
    const int options = nibble(record, 28);
    table.setCell(ChannelTable::Option7, row, options & 1 ? words.offWord : words.onWord);
    table.setCell(ChannelTable::Option11, row, options & 2 ? words.offWord : words.onWord);
}

QString encodeChannel(const Workspace &workspace, int row)
{
    const ChannelTable &table = workspace.channels();
    const LanguageTexts &words = workspace.texts();
    const auto cell = [&](int column) { return table.cell(column, row); };
    if (!table.isInUse(row))
        return QString(BlockTextLength, QLatin1Char('F'));
    const QList<CellProblem> problems = channelProblems(workspace, row);
    if (!problems.isEmpty())
        refuse(problems.first());

    const QString rx = cell(ChannelTable::RxFrequency);
    const QString tx = cell(ChannelTable::TxFrequency);
    QString record = frequencyField(rx);
    record += tx.isEmpty() ? QStringLiteral("FFFFFFFF") : frequencyField(tx);
    record += ToneCodes::writeRxcode(cell(ChannelTable::RxTone), words.offWord);
    record += ToneCodes::writeTxcode(cell(ChannelTable::TxTone), words.offWord);
    record += QStringLiteral("FFF");

    const auto isOff = [&](int column) { return cell(column) == words.offWord; };
    record += hexDigit(12 + (isOff(ChannelTable::Option7) ? 1 : 0) +
                       (isOff(ChannelTable::Option11) ? 2 : 0));
    record += hexDigit(2 + (isOff(ChannelTable::Option8) ? 1 : 0) +
                       (cell(ChannelTable::Bandwidth) == words.wideWord ? 4 : 0) +
                       (cell(ChannelTable::Power) == words.highWord ? 8 : 0));
    const QString privacy = cell(ChannelTable::Privacy);
    const int privacyBits = privacy == words.offWord         ? 14
                            : privacy == words.scramblerWord ? 10
                            : privacy == words.companderWord ? 6
                                                             : 2;
    record += hexDigit(privacyBits + (cell(ChannelTable::Option9) == words.onWord ? 1 : 0));

    // How the receive frequency relates to the transmit frequency, compared
    // as texts; an empty transmit frequency sorts first.
    const int order = QString::compare(rx, tx);
    record += order == 0  ? QStringLiteral("FC")
              : order > 0 ? QStringLiteral("FD")
                          : QStringLiteral("FE");
    return record;
}

// Function blocks -------------------------------------------------------------------

void decodeFunctionBlock1(const QString &block, Workspace &workspace)
{
    if (!isBlockText(block))
        return;
    FS &f = workspace.functions();
    const int squelch = nibble(block, 12);
    selectReceived(f, FS::Squelch, squelch > 9 ? 2 : squelch);

    const int beeps = nibble(block, 13);
    f.setChecked(FS::TxOver, beeps & 1);
    f.setChecked(FS::OpenBeep, beeps & 8);
    f.setChecked(FS::BatBeep, nibble(block, 14) & 1);
    f.setChecked(FS::Save, nibble(block, 15) & 1);

    const int vox = nibble(block, 17);
    f.setChecked(FS::VoxRX, vox & 1);
    selectReceived(f, FS::ScanKind, (vox >> 1) & 1);

    const int step = nibble(block, 22);
    selectReceived(f, FS::Step, step > 4 ? 3 : step);
    const int tot = nibble(block, 24);
    selectReceived(f, FS::TOT, tot > 7 ? 3 : tot);
    selectReceived(f, FS::APO, nibble(block, 26));

    // VOX sensitivity 1..8 is stored as itself; 0 selects nothing, which a
    // write gives back as 0.
    const int voxLevel = nibble(block, 28);
    if (voxLevel == 0)
        f.setIndex(FS::VoxSQL, -1);
    else
        selectReceived(f, FS::VoxSQL, voxLevel <= f.valueCount(FS::VoxSQL) ? voxLevel - 1 : 3);

    selectReceived(f, FS::VoxDelay, belowCountOr(f, FS::VoxDelay, nibble(block, 30), 2));
    selectReceived(f, FS::Beep, belowCountOr(f, FS::Beep, nibble(block, 32), 2));
}

void decodeFunctionBlock2(const QString &block, Workspace &workspace)
{
    if (!isBlockText(block))
        return;
    FS &f = workspace.functions();
    const int keyTime = byteAt(block, 1);
    f.setKeyTime(keyTime < FS::KeyTimeMinimum || keyTime > FS::KeyTimeMaximum ? kKeyTimeReplacement
                                                                              : keyTime);
    const FS::List keys[] = {FS::LongKey0,  FS::ShortKey0, FS::LongKey1,
                             FS::ShortKey1, FS::LongKey2,  FS::ShortKey2};
    for (int k = 0; k < int(std::size(keys)); ++k)
        selectReceived(f, keys[k], nibble(block, 3 + k) % 8);
    selectReceived(f, FS::Volume, nibble(block, 10) % 9);
}

QString encodeFunctionBlock1(const Workspace &workspace)
{
    const FS &f = workspace.functions();
    const auto decimal = [&](FS::List list) {
        return QLatin1Char('0') + QString::number(encodedIndex(f, list));
    };
    const auto checkedDigit = [&](FS::Check check) {
        return f.isChecked(check) ? QStringLiteral("F") : QStringLiteral("E");
    };

    QString block = QStringLiteral("00") + hexByte(workspace.channels().channelCount()) +
                    QStringLiteral("00FF02");
    block += decimal(FS::Squelch);
    block += hexDigit(6 + (f.isChecked(FS::TxOver) ? 1 : 0) + (f.isChecked(FS::OpenBeep) ? 8 : 0));
    block += checkedDigit(FS::BatBeep);
    block += checkedDigit(FS::Save) + QStringLiteral("F");
    block += hexDigit(12 + (f.isChecked(FS::VoxRX) ? 1 : 0) +
                      (encodedIndex(f, FS::ScanKind) == 1 ? 2 : 0));
    block += QStringLiteral("1FF");
    block += decimal(FS::Step);
    block += decimal(FS::TOT);
    block += QLatin1Char('0') + hexDigit(encodedIndex(f, FS::APO));
    block += QLatin1Char('0') + QString::number(encodedIndex(f, FS::VoxSQL) + 1);
    block += decimal(FS::VoxDelay);
    block += QLatin1Char('0') + hexDigit(encodedIndex(f, FS::Beep));
    return block;
}

QString encodeFunctionBlock2(const Workspace &workspace)
{
    const FS &f = workspace.functions();
    // The P1 and P2 short keys are always written as 0.
    return hexByte(f.keyTimePosition()) + hexDigit(encodedIndex(f, FS::LongKey0)) +
           QLatin1Char('0') + hexDigit(encodedIndex(f, FS::LongKey1)) + QLatin1Char('0') +
           hexDigit(encodedIndex(f, FS::LongKey2)) + hexDigit(encodedIndex(f, FS::ShortKey2)) +
           hexByte(encodedIndex(f, FS::Volume));
}

// Validation ----------------------------------------------------------------------

QString CellProblem::describe() const
{
    const QString where = QStringLiteral("channel %1, column %2").arg(row).arg(column);
    // Only the setting reasons name a setting; the others leave it at ListCount.
    const QString setting = this->setting < FS::ListCount ? FS::key(this->setting) : QString();
    switch (reason) {
    case BadFrequency:
        return QStringLiteral("%1: '%2' is not a frequency of the form ddd.ddddd").arg(where, text);
    case UnknownTone:
        return QStringLiteral("%1: '%2' is not a tone of the tone list").arg(where, text);
    case NoSelection:
        return QStringLiteral("setting '%1' has no item selected").arg(setting);
    case SettingOutOfRange:
        return QStringLiteral("setting '%1': the radio cannot store '%2'").arg(setting, text);
    case NameNotAscii:
        return QStringLiteral("administrator name '%1' holds characters beyond 7-bit ASCII")
            .arg(text);
    }
    return {};
}

QList<CellProblem> validate(const Workspace &workspace)
{
    QList<CellProblem> problems;
    for (int row = 1; row <= workspace.channels().channelCount(); ++row)
        problems += channelProblems(workspace, row);
    for (const EncodedList &field : kEncodedLists) {
        if (const auto problem = listProblem(workspace.functions(), field))
            problems.append(*problem);
    }
    if (const auto problem = nameProblem(workspace.administrator()))
        problems.append(*problem);
    return problems;
}

} // namespace MemoryMap
