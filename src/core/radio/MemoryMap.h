#pragma once

#include "core/options/FunctionSettings.h"

#include <QList>
#include <QString>

class QDateTime;
class Workspace;

// The blocks of the radio's memory that the program reads and writes, and
// their encodings in both directions: pure functions between 16-byte block
// texts (32 hex digits, first byte first) and the workspace. Decoders accept
// hex digits of either case, as the radio's answers arrive in upper case.
// Encoders format the numbers they compute with lower-case hex digits
// ("%.2x"), fixed fields and tone codes in upper case; the frame builder
// takes both. The exchange decides what to do with a result (which model,
// whether a band is known) and sends the commands.
namespace MemoryMap
{

constexpr int BlockSize = 16;                  // bytes of one block
constexpr int BlockTextLength = 2 * BlockSize; // hex digits of one block text
constexpr int FunctionBlock2WriteLength = 10;  // hex digits written to function block 2

constexpr int FunctionBlock1Address = 0x0010;
constexpr int FunctionBlock2Address = 0x0020;
constexpr int BandAddress = 0x00C0;
constexpr int IdentificationAddress = 0x00D0;
constexpr int InformationAddress = 0x00F0;
constexpr int FirstChannelAddress = 0x0190; // channel n at (n + 24) x 16

// The address of channel 1..16.
int channelAddress(int channel);
// The channel whose record starts at the address, 0 when none does.
int channelOfAddress(int address);
// A block by address in words: "channel 3", "function block 1", "information
// block"; "block 0A30" for any other.
QString blockName(int address);
// Four hex digits of a fixed block's address as the commands carry them: "00D0".
QString addressText(int address);
// A channel's address as the commands build it: "0", the two hex digits of
// n + 24 as formatted ("%.2x"), "0"; channel 5 gives "01d0".
QString channelAddressText(int channel);

// Whether a text is one block: 32 hex digits of either case.
bool isBlockText(const QString &text);

// Identification block ---------------------------------------------------------

// The model list index that the block's first 8 bytes identify: 0 for
// "PW-100", 1 for "R5"; -1 for any other radio (the exchange then fails).
int modelIndex(const QString &identificationBlock);

// Band block ---------------------------------------------------------------------

// The band text of the block ("400-470MHz" for the bytes 47 00 40 00): the
// three digits of byte 3-4, "-", those of byte 1-2, "MHz", in upper case.
// The exchange looks it up in the band list.
QString bandText(const QString &bandBlock);
// The band text of an unprogrammed radio (all FF): "FFF-FFFMHz".
QString noBandText();

// Information block -----------------------------------------------------------

// Sets the radio information's last write time ("2009-03-15  14:05:09", the
// characters as they stand) and administrator (the first L bytes as
// characters, L from the last digit, at most 7).
void decodeInformation(const QString &informationBlock, Workspace &workspace);
// The block a write sends: the time given as "yyyyMMddhhmmss", FF, the first
// 7 characters of the administrator name one byte each, FF up to byte 15,
// the name's length. The caller passes the local time of the sending.
QString encodeInformation(const Workspace &workspace, const QDateTime &now);

// Channel records ---------------------------------------------------------------

// Empties columns 1 to 11 of the row, then fills them from the record. A
// record whose receive frequency is not 8 decimal digits (FFFFFFFF for an
// unused channel) leaves the row empty; a transmit frequency that is not
// leaves column 3 empty.
void decodeChannel(const QString &record, int row, Workspace &workspace);
// The record a write sends for the row: all FF when column 1 is empty.
QString encodeChannel(const Workspace &workspace, int row);

// Function blocks -----------------------------------------------------------------

// Set the function settings from the block; out-of-range values take the
// fixed replacements of each field. Function block 2 also sets the long-press
// time (position and text).
void decodeFunctionBlock1(const QString &block, Workspace &workspace);
void decodeFunctionBlock2(const QString &block, Workspace &workspace);
// Function block 1 as 32 hex digits; function block 2 as the 10 hex digits
// (bytes 1 to 5) a write sends.
QString encodeFunctionBlock1(const Workspace &workspace);
QString encodeFunctionBlock2(const Workspace &workspace);

// Validation ----------------------------------------------------------------------

// One thing the encoders cannot express.
struct CellProblem {
    enum Reason {
        BadFrequency,      // a frequency cell of a channel in use not of the form ddd.ddddd
        UnknownTone,       // a tone cell of a channel in use whose text is not in the tone list
        NoSelection,       // a list setting the blocks carry with no item selected
        SettingOutOfRange, // a list setting whose index its field cannot hold
        NameNotAscii,      // the administrator name holds a character beyond 7-bit ASCII
    };

    Reason reason = BadFrequency;
    int row = 0;    // channel 1..16; 0 for a setting or the name
    int column = 0; // channel table column; 0 for a setting or the name
    FunctionSettings::List setting = FunctionSettings::ListCount; // for the two setting reasons
    QString text; // the cell text, the setting's item text, or the name, as they stand

    // A short description in English, as the command-line tool prints it.
    QString describe() const;
};

// Every cell of the channels in use (rows 1 to the channel count) and every
// setting the write sends that the encoders cannot express. A write refuses
// to start while the list is not empty; the encoders throw AppError for such
// data.
QList<CellProblem> validate(const Workspace &workspace);

} // namespace MemoryMap
