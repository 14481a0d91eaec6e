#pragma once

#include "core/base/LanguageTexts.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

class BandList;
class ChannelTable;

// Channel rows as clipboard text: tab-separated lines, one a channel, in the
// grid's column order, as spreadsheets copy and paste them. Reading checks
// every line before anything is written, so a paste either goes in whole or
// not at all.
namespace ChannelRows
{

// The texts of the problems that refuse a paste (each names the line of the
// pasted text it was found on), and the names of the grid's columns 0 to 11
// as the problems name them.
struct PasteTexts : LanguageTexts::PasteTexts {
    QStringList columnNames;

    // The English texts built into the program.
    static const PasteTexts &english();
};

// The rows (1..16; sorted, each once, others left out) as tab-separated text:
// a header line of the grid's header row (columns 0..11), then one line per
// row with its 12 cells (the number "03" first). Lines end in "\n". An unused
// row gives its number and 11 empty fields.
QString copyText(const ChannelTable &table, const QList<int> &rows);

// Rows read from clipboard text, each checked and already in the table's
// form: 11 cells for columns 1..11, words in the current language; all empty
// for an unused channel.
struct Paste {
    QList<std::array<QString, 11>> rows;
};

// Reads text copied by copyText or from a spreadsheet (same column order).
// A line of 12 fields starts with the channel number, which is ignored; a
// shorter line starts with the receive frequency, and the fields it lacks
// take the new-channel defaults. A first line whose receive frequency field
// holds no digit is a header line and is skipped. Throws AppError naming the
// line (1-based, of the pasted text) and the problem; then nothing may be
// applied. `texts` gives the current language's words, `bands` the current
// band's edges. Text with no channel line gives no rows.
Paste read(const QString &text, const LanguageTexts &texts, const BandList &bands,
           const PasteTexts &messages = PasteTexts::english());

// Writes the rows into the table from firstRow down. Throws AppError (table
// untouched) when the rows run past the table's channelCount(). Returns the
// last row written (firstRow - 1 for no rows).
int apply(const Paste &paste, ChannelTable &table, int firstRow,
          const PasteTexts &messages = PasteTexts::english());

} // namespace ChannelRows
