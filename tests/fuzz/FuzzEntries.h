#pragma once

#include <QByteArray>
#include <QString>

// The entry points of the parsers that read bytes from outside the program,
// shared by the fuzz targets (one each) and by the test that replays every
// input of their corpus in the normal suite. Each takes any bytes; bad input
// may be refused with an AppError, never crash, hang or read past a buffer.
namespace FuzzEntries
{

// A channel file: the whole decode and, when it is good, the apply into a
// workspace with one band.
void channelFile(const QByteArray &bytes);
// A CSV channel list: the whole decode into a workspace with one band, the
// apply, and the export of what was taken.
void channelCsv(const QByteArray &bytes);
// A settings file: every key the program reads, as start-up reads them.
void profileFile(const QByteArray &bytes);
// A language file: its entries, as a language switch applies them.
void stringTable(const QByteArray &bytes);
// Radio answers: the first byte picks a decoder (identification, band,
// information, channel record, function block 1 or 2), the rest is its
// block, given as the answer's hex text and as raw text.
void radioBlocks(const QByteArray &bytes);

struct Entry {
    const char *name; // the fuzz target and its corpus folder: fuzz_<name>
    void (*run)(const QByteArray &bytes);
};
inline constexpr Entry kEntries[] = {
    {"channelfile", channelFile}, {"channelcsv", channelCsv},   {"profilefile", profileFile},
    {"stringtable", stringTable}, {"radioblocks", radioBlocks},
};

} // namespace FuzzEntries
