#pragma once

#include "core/base/LanguageTexts.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class Workspace;

// Channel lists in the CSV format of the CHIRP programming tool, which
// dealers keep in spreadsheets: a header line naming the columns, then one
// line per memory. Readers match columns by name and ignore the ones they do
// not know; frequencies are in MHz, tones are a tone mode ("Tone", "TSQL",
// "DTCS", "Cross" with its CrossMode) and the value columns it uses.
//
// Export writes the channels in use. Import reads a whole list, checks every
// row against what the channel table can hold and keeps a list of the
// problems; nothing that does not fit is changed into something else.
// Failures that stop a whole file are AppErrors: no windows here, so the GUI
// and the command-line tool share all of it.
namespace ChannelCsv
{

// The file dialogs' filter and default extension.
QString dialogFilter();  // "CHIRP CSV (*.csv)"
QString defaultSuffix(); // "csv"

// The columns as export writes them, in order.
const QStringList &columns();

// The largest file import reads, as for channel files: a list of a few
// hundred memories has some ten kilobytes.
constexpr qint64 MaxFileBytes = 1024 * 1024;

// Export ---------------------------------------------------------------------
// The list for the channels in use (rows 1 to 16 whose receive frequency is
// set): the full header, then one CR LF line per channel with Location the
// channel number. The cell words of any of the three languages are taken;
// any other text in the power, bandwidth and scan add cells is read as a
// write to the radio reads it (only the high word is high power). Throws
// AppError, naming each channel and cell, when a frequency cell is not a
// number of MHz or a tone cell is not an entry of the tone list.
QByteArray encode(const Workspace &workspace);
// Writes encode() through a temporary file that replaces the old file only
// once it is complete. Throws AppError (the cells above, or "Unable to write
// to <path>").
void save(const Workspace &workspace, const QString &path);

// Import ---------------------------------------------------------------------

// One row (or one tone of a row) that cannot be taken as it stands.
struct Problem {
    enum Reason {
        NotAFrequency,   // Frequency or Offset is not a number of MHz
        OutsideBand,     // a receive or transmit frequency outside the selected band
        OffStep,         // a frequency that is not a multiple of 5 kHz or 6.25 kHz
        UnknownTone,     // a CTCSS tone or DCS code that is not in the tone list
        NoEquivalent,    // a Mode, tone mode, cross mode or duplex this radio does not have
        NotUnderstood,   // a Power, Skip or DtcsPolarity value that means nothing known
        TooManyChannels, // a good row after the 16th
    };

    Reason reason = NotAFrequency;
    int line = 0;   // the line of the file where the row starts; the header is line 1
    QString column; // the column the problem is in; empty for TooManyChannels
    QString value;  // the column's text, or the frequency in MHz
    QString band;   // OutsideBand: the selected band
    // A row whose only problems are in its tones (a tone, code or polarity)
    // is imported with those tones off; any other problem leaves its row out.
    bool rowLeftOut = true;

    // "line 5: Mode 'AM' has no equivalent in this radio; the row is left out"
    QString describe(const LanguageTexts::CsvTexts &texts) const;
    QString english() const { return describe(englishTexts()); }
    static const LanguageTexts::CsvTexts &englishTexts();
};

// One channel as a row gave it. Frequencies are cell texts ("462.12500", in
// the system's number format, as the grid writes them); an empty tone is no
// tone, else an entry of the tone list ("67.0", "D023N", "D023I").
struct Channel {
    int line = 0;
    QString rxFrequency;
    QString txFrequency; // empty: the channel does not transmit
    QString rxTone;
    QString txTone;
    bool highPower = true;
    bool wide = true;
    bool scanAdd = true;
};

// What a whole file gives: at most 16 channels in file order, and every
// problem in line order.
struct Import {
    QList<Channel> channels;
    QList<Problem> problems;
};

// Reads and checks a whole list against the workspace's selected band. A
// UTF-8 byte-order mark is skipped; lines end in CR LF or LF; fields may be
// quoted. Rows without a frequency are skipped. Throws AppError when the
// bytes are no such list at all (the header names no Frequency column, a
// quoted field is never closed) or when no band is selected.
Import decode(const QByteArray &bytes, const Workspace &workspace);
// Reads the file and decodes it. Throws AppError ("File not found" when it
// cannot be opened, a file beyond MaxFileBytes, and decode()'s errors).
Import read(const QString &path, const Workspace &workspace);
// Replaces the whole channel table: rows 1 to 16 emptied, then each channel
// in order gets the new-channel defaults of the grid and the values of its
// row, in the cell words of the language in use. Cannot fail.
void apply(const Import &import, Workspace &workspace);

} // namespace ChannelCsv
