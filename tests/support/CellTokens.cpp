#include "support/CellTokens.h"

#include "core/workspace/Workspace.h"

#include <QHash>

namespace CellTokens
{

QString word(const Workspace &ws, const QString &token)
{
    const LanguageTexts &w = ws.texts();
    const QHash<QString, QString> words = {
        {QStringLiteral("OFF"), w.offWord},        {QStringLiteral("ON"), w.onWord},
        {QStringLiteral("HIGH"), w.highWord},      {QStringLiteral("LOW"), w.lowWord},
        {QStringLiteral("WIDE"), w.wideWord},      {QStringLiteral("NARROW"), w.narrowWord},
        {QStringLiteral("COMP"), w.companderWord}, {QStringLiteral("SCR"), w.scramblerWord},
    };
    return words.value(token, token);
}

QStringList words(const Workspace &ws, const QStringList &tokens)
{
    QStringList texts;
    for (const QString &token : tokens)
        texts << word(ws, token);
    return texts;
}

void setRow(Workspace &ws, int row, const QStringList &tokens)
{
    for (int column = 1; column < ChannelTable::ColumnCount; ++column)
        ws.channels().setCell(column, row, word(ws, tokens.value(column - 1)));
}

QStringList rowCells(const Workspace &ws, int row)
{
    QStringList cells;
    for (int column = 1; column < ChannelTable::ColumnCount; ++column)
        cells << ws.channels().cell(column, row);
    return cells;
}

} // namespace CellTokens
