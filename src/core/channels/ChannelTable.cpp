#include "core/channels/ChannelTable.h"

#include "core/base/AppError.h"
#include "core/base/BandList.h"
#include "core/base/LanguageTexts.h"
#include "core/base/LocaleNumber.h"

#include <cmath>
#include <iterator>

ChannelTable::ChannelTable(const LanguageTexts &texts, const BandList &bands, QObject *parent)
    : QAbstractTableModel(parent), m_texts(texts), m_bands(bands)
{
}

bool ChannelTable::isCell(int column, int row)
{
    return column >= 0 && column < ColumnCount && row >= 0 && row < RowCount;
}

QString ChannelTable::cell(int column, int row) const
{
    return isCell(column, row) ? m_cells[row][column] : QString();
}

void ChannelTable::setCell(int column, int row, const QString &text)
{
    if (!isCell(column, row) || m_cells[row][column] == text)
        return;
    m_cells[row][column] = text;
    const QModelIndex changed = index(row, column);
    Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole});
}

void ChannelTable::setChannelCount(int count)
{
    m_channelCount = qBound(0, count, MaxChannels);
}

void ChannelTable::setCurrentCell(int column, int row)
{
    if (column == m_currentColumn && row == m_currentRow)
        return;
    m_currentColumn = column;
    m_currentRow = row;
    Q_EMIT currentCellChanged();
}

void ChannelTable::labelRows()
{
    for (int row = 1; row <= MaxChannels; ++row)
        setCell(NumberColumn, row, QString::asprintf("%.2d", row));
}

void ChannelTable::clearChannel(int row)
{
    for (int column = 1; column < ColumnCount; ++column)
        setCell(column, row, QString());
}

void ChannelTable::clearAllChannels()
{
    for (int row = 1; row <= m_channelCount; ++row)
        clearChannel(row);
}

void ChannelTable::swapChannels(int rowA, int rowB)
{
    if (rowA < 1 || rowB < 1 || rowA >= RowCount || rowB >= RowCount)
        return;
    for (int column = 1; column < ColumnCount; ++column) {
        const QString a = cell(column, rowA);
        setCell(column, rowA, cell(column, rowB));
        setCell(column, rowB, a);
    }
}

void ChannelTable::fillNewChannelDefaults(int row)
{
    setCell(TxFrequency, row, cell(RxFrequency, row));
    setCell(RxTone, row, m_texts.offWord);
    setCell(TxTone, row, m_texts.offWord);
    setCell(Power, row, m_texts.highWord);
    setCell(Bandwidth, row, m_texts.wideWord);
    setCell(Option7, row, m_texts.onWord);
    setCell(Option8, row, m_texts.offWord);
    setCell(Option9, row, m_texts.onWord);
    setCell(Privacy, row, m_texts.offWord);
    setCell(Option11, row, m_texts.offWord);
}

QString ChannelTable::normalisedFrequency(const QString &text, int lowerEdgeMHz, int upperEdgeMHz)
{
    double mhz = LocaleNumber::parseDecimal(text);
    if (!std::isfinite(mhz))
        throw AppError::invalidFloat(text);
    if (lowerEdgeMHz > mhz)
        mhz = lowerEdgeMHz;
    if (upperEdgeMHz <= mhz)
        mhz = upperEdgeMHz;
    // Units of 10 Hz with the digits below 100 Hz dropped. The small epsilon
    // keeps a value such as 438.5062, stored as 438.50619999..., from losing a
    // digit to binary rounding.
    qint64 units = qint64(std::floor(mhz * 10000.0 + 1e-7)) * 10;
    // Round up to the next multiple of 5 kHz (500 units) or 6.25 kHz (625 units).
    while (units < 55000000 && units % 500 != 0 && units % 625 != 0)
        units += 5;
    return LocaleNumber::fixed(double(units) / 100000.0, 5);
}

void ChannelTable::sendcell(int column, int row)
{
    const QString text = cell(column, row);
    LocaleNumber::parseDecimal(text); // the text is checked before the band
    const int lower = m_bands.lowerEdge();
    const int upper = m_bands.upperEdge();
    setCell(column, row, normalisedFrequency(text, lower, upper));
}

void ChannelTable::sendallcell()
{
    const int column = m_currentColumn;
    const int row = m_currentRow;
    if (!cell(RxFrequency, row).isEmpty() && row > 0 && cell(RxTone, row).isEmpty()) {
        sendcell(RxFrequency, row);
        fillNewChannelDefaults(row);
    } else if (!cell(column, row).isEmpty() && row > 0 &&
               (column == RxFrequency || column == TxFrequency)) {
        sendcell(column, row);
    } else if (row > 0 && cell(RxFrequency, row).isEmpty()) {
        for (int c = RxTone; c < ColumnCount; ++c)
            setCell(c, row, QString());
    }
}

bool ChannelTable::isTwoStateColumn(int column)
{
    switch (column) {
    case Power:
    case Bandwidth:
    case Option7:
    case Option8:
    case Option9:
    case Option11:
        return true;
    default:
        return false;
    }
}

void ChannelTable::toggleCell(int column, int row)
{
    if (!isTwoStateColumn(column))
        return;
    const QString text = cell(column, row);
    if (column == Power)
        setCell(column, row, text == m_texts.highWord ? m_texts.lowWord : m_texts.highWord);
    else if (column == Bandwidth)
        setCell(column, row, text == m_texts.wideWord ? m_texts.narrowWord : m_texts.wideWord);
    else
        setCell(column, row, text == m_texts.offWord ? m_texts.onWord : m_texts.offWord);
}

bool ChannelTable::autoAddPress(int stepIndex)
{
    if (m_currentRow < 1)
        setCurrentRow(1);
    const int row = m_currentRow;
    // The current cell is committed first, whatever the add does next, so
    // that a frequency retyped there is not left as typed.
    const bool justTyped = isInUse(row) && cell(RxTone, row).isEmpty();
    sendallcell();
    if (!isInUse(row)) {
        setCell(RxFrequency, row, m_bands.lowerEdgeText());
        sendcell(RxFrequency, row);
        fillNewChannelDefaults(row);
        return true;
    }
    // A receive frequency just typed only becomes its channel.
    if (justTyped)
        return false;
    return autoAddTick(stepIndex);
}

bool ChannelTable::autoAddTick(int stepIndex)
{
    if (m_currentRow >= m_channelCount)
        return false;
    if (m_currentRow < 1)
        setCurrentRow(1);
    addChannelBelow(stepIndex);
    return true;
}

void ChannelTable::addChannelBelow(int stepIndex)
{
    const QString next = followingFrequency(cell(RxFrequency, m_currentRow), stepIndex,
                                            m_bands.lowerEdge(), m_bands.upperEdge());
    const int row = m_currentRow + 1;
    setCurrentRow(row);
    setCell(RxFrequency, row, next);
    sendcell(RxFrequency, row);
    fillNewChannelDefaults(row);
}

QString ChannelTable::followingFrequency(const QString &frequency, int stepIndex, int lowerEdgeMHz,
                                         int upperEdgeMHz)
{
    // Whole units of 10 Hz, so that a sum such as 469.975 + 0.025 lands on the
    // upper edge exactly instead of a hair above it.
    constexpr qint64 kUnitsPerMHz = 100000;
    constexpr qint64 kStepUnits[] = {500, 625, 1000, 1250, 2500};
    const qint64 step = stepIndex >= 0 && stepIndex < qint64(std::size(kStepUnits))
                            ? kStepUnits[stepIndex]
                            : kStepUnits[0];
    qint64 units = std::llround(LocaleNumber::parseDecimal(frequency) * kUnitsPerMHz) + step;
    if (units > upperEdgeMHz * kUnitsPerMHz)
        units = lowerEdgeMHz * kUnitsPerMHz;
    return LocaleNumber::shortest(double(units) / kUnitsPerMHz);
}

bool ChannelTable::moveCurrentChannel(int offset)
{
    sendallcell();
    const int row = m_currentRow;
    const int target = row + offset;
    const auto isChannel = [this](int r) { return r >= 1 && r <= m_channelCount; };
    if (cell(m_currentColumn, row).isEmpty() || !isChannel(row) || !isChannel(target))
        return false;
    swapChannels(row, target);
    setCurrentRow(target);
    return true;
}

int ChannelTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : RowCount;
}

int ChannelTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ChannelTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cell(index.column(), index.row());
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    default:
        return {};
    }
}

Qt::ItemFlags ChannelTable::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.row() == 0 || index.column() == NumberColumn)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
