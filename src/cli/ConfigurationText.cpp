#include "cli/ConfigurationText.h"

#include "core/workspace/Workspace.h"

#include <QList>
#include <QStringList>

namespace
{

const QString kNone = QStringLiteral("-");
const QString kGap = QStringLiteral("  ");

bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) ||
           (c >= 0x20000 && c <= 0x3FFFD);
}

QString padded(const QString &text, int width)
{
    return text + QString(qMax(0, width - ConfigurationText::displayWidth(text)), QLatin1Char(' '));
}

// Rows of cells as lines, each column as wide as its widest cell, without
// blanks at the line ends.
QStringList alignedLines(const QList<QStringList> &rows)
{
    QList<int> widths;
    for (const QStringList &row : rows) {
        for (int column = 0; column < row.size(); ++column) {
            if (widths.size() <= column)
                widths.append(0);
            widths[column] = qMax(widths[column], ConfigurationText::displayWidth(row[column]));
        }
    }
    QStringList lines;
    for (const QStringList &row : rows) {
        QString line;
        for (int column = 0; column < row.size(); ++column)
            line += (column ? kGap : QString()) + padded(row[column], widths[column]);
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        lines << line;
    }
    return lines;
}

// The header row as the channel table holds it; a column whose header no
// language has filled is named by its number.
QStringList headerRow(const ChannelTable &channels)
{
    QStringList header;
    for (int column = 0; column < ChannelTable::ColumnCount; ++column) {
        const QString text = channels.cell(column, 0);
        header << (text.isEmpty() ? QStringLiteral("#%1").arg(column) : text);
    }
    return header;
}

QList<QStringList> channelRows(const ChannelTable &channels)
{
    QList<QStringList> rows{headerRow(channels)};
    for (int row = 1; row <= ChannelTable::MaxChannels; ++row) {
        QStringList cells{channels.cell(ChannelTable::NumberColumn, row)};
        for (int column = 1; column < ChannelTable::ColumnCount; ++column) {
            const QString text = channels.cell(column, row);
            // An empty cell of a channel in use (no transmit frequency) shows
            // as a dash; unused channels stay blank.
            cells << (text.isEmpty() && channels.isInUse(row) ? kNone : text);
        }
        rows << cells;
    }
    return rows;
}

QList<QStringList> settingRows(const Workspace &workspace)
{
    using FS = FunctionSettings;
    const FS &functions = workspace.functions();
    QList<QStringList> rows;
    for (int list = 0; list < FS::ListCount; ++list) {
        const QString text = functions.currentText(FS::List(list));
        rows << QStringList{FS::key(FS::List(list)), text.isEmpty() ? kNone : text};
    }
    for (int check = 0; check < FS::CheckCount; ++check) {
        const bool on = functions.isChecked(FS::Check(check));
        rows << QStringList{FS::key(FS::Check(check)),
                            on ? workspace.texts().onWord : workspace.texts().offWord};
    }
    rows << QStringList{FS::keyTimeKey(), functions.keyTimeSeconds() + QStringLiteral(" s")};
    return rows;
}

} // namespace

namespace ConfigurationText
{

int displayWidth(const QString &text)
{
    int width = 0;
    for (char32_t c : text.toUcs4())
        width += isWide(c) ? 2 : 1;
    return width;
}

QString format(const Workspace &workspace)
{
    const QString band = workspace.bands().currentText();
    QStringList lines = alignedLines({{QStringLiteral("Model:"), workspace.modelText()},
                                      {QStringLiteral("Band:"), band.isEmpty() ? kNone : band}});
    lines << QString() << alignedLines(channelRows(workspace.channels()));
    lines << QString() << QStringLiteral("Function settings:");
    for (const QString &line : alignedLines(settingRows(workspace)))
        lines << kGap + line;
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace ConfigurationText
