#pragma once

#include "core/channels/ChannelTable.h"
#include "core/options/FunctionSettings.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

class Workspace;

// Channel files ("*.q42"): one whole configuration (model, band, function
// settings, the 16 channels) as GBK text lines ended by CR LF, written and read
// by position. Line 1 "VESQAR MEMORY CHANNEL", lines 2 and 3 empty, line 4
// "TYPE<index> <model>", line 5 "BAND <band>", lines 6 to 26 one function
// setting each ("<key> <index> <item text>" for a list, "<key> 1" or "0" for a
// flag, "Key Time <position>"), lines 27 to 42 the channel rows as
// "CH<label> | <cell 1> | ... | <cell 11> | ". Save always writes GBK; Open
// also reads a file that a user's editor saved as UTF-8.
//
// Every failure is an AppError for the caller to show: no windows here, so the
// GUI and the command-line tool share all of it.
namespace ChannelFile
{

// The file dialogs' filter and default extension.
QString dialogFilter();  // "DVT-842  文件 (*.q42)"
QString defaultSuffix(); // "q42"

constexpr int CellCount = ChannelTable::ColumnCount - 1; // columns 1 to 11

// The largest file Open reads. A real file has a few kilobytes; a huge file
// that merely starts like one must not flood memory. A larger file is
// refused whole: reading a part of it would drop content without a word.
constexpr qint64 MaxFileBytes = 1024 * 1024;

// Everything Open sets, read from a file and checked.
struct Contents {
    int modelIndex = 0;
    QString band; // empty: no band is selected
    // List indices (-1: nothing selected), flags and the long-press time.
    std::array<int, FunctionSettings::ListCount> lists{};
    std::array<bool, FunctionSettings::CheckCount> checks{};
    int keyTime = FunctionSettings::KeyTimeDefault;
    // Columns 1 to 11 of channel rows 1 to 16; rows the file lacks are empty.
    std::array<std::array<QString, CellCount>, ChannelTable::MaxChannels> rows;
};

// Save ---------------------------------------------------------------------
// The file's bytes for the workspace's present state. Throws AppError naming
// the text, and the channel and column or key it sits in, when GBK has no code
// for one of its characters.
QByteArray encode(const Workspace &workspace);
// Writes encode() to the path through a temporary file that replaces the old
// file only once it is complete, so a failed save leaves the old file whole.
// Throws AppError (unencodable text, or "Unable to write to <path>").
void save(const Workspace &workspace, const QString &path);

// Open ---------------------------------------------------------------------
// Reads and checks a whole file: as UTF-8 when it is valid UTF-8 throughout
// and holds bytes beyond ASCII, else as GBK; a UTF-8 byte-order mark at its
// start is skipped. Nothing (no error) when the first line is
// not exactly "VESQAR MEMORY CHANNEL" or the model line names no model of the
// model list: such a file is ignored without a message. Throws AppError when
// a value that must be a number is not one ("'%s' is not a valid integer
// value"; lines the file lacks read as empty), when a list index lies outside
// its list (the limits come from the settings given), or when a line that is
// used is not text (in a file read as GBK, not GBK text).
std::optional<Contents> decode(const QByteArray &bytes, const FunctionSettings &limits);
// Puts checked contents into the workspace: selects the model and runs the
// model change; selects the band, adding it to the band list when the list
// lacks it (an empty band selects none); sets the caption to the model, three
// blanks and the band in brackets; sets every list index and flag without the
// short-press rule, the long-press position and its text in seconds (20 ->
// "2"); and puts the file's rows into columns 1 to 11 of rows 1 to 16, rows
// the file lacks emptied. Column 0 keeps its labels. Cannot fail.
void apply(const Contents &contents, Workspace &workspace);
// Open: reads the file, decode(), then apply() only when the whole file is
// good, so that a failure changes nothing. Returns false when the file was
// ignored (see decode). Throws AppError ("File not found" when the file
// cannot be opened, a file beyond MaxFileBytes, and decode()'s errors).
bool open(Workspace &workspace, const QString &path);

// New ----------------------------------------------------------------------
// Empties columns 1 to 11 of all 16 channel rows, returns the function
// settings to their defaults (long-press time 15, "1.5") and runs the model
// change, so the caption shows the model alone. Keeps the model, the band
// list with its selection and the radio information.
void newConfiguration(Workspace &workspace);

} // namespace ChannelFile
