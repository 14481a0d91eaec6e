#pragma once

#include <QString>
#include <QStringList>

class Workspace;

// Channel rows written in tests with the cell words as tokens ("OFF", "ON",
// "HIGH", "LOW", "WIDE", "NARROW", "COMP", "SCR"), so that a case reads the
// same whatever language the workspace's words are in.
namespace CellTokens
{

// The workspace's word for a token; any other text as it stands.
QString word(const Workspace &ws, const QString &token);
QStringList words(const Workspace &ws, const QStringList &tokens);
// Columns 1 to 11 of the row from the tokens (missing ones empty).
void setRow(Workspace &ws, int row, const QStringList &tokens);
// Columns 1 to 11 of the row as they stand.
QStringList rowCells(const Workspace &ws, int row);

} // namespace CellTokens
