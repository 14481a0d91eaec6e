#pragma once

#include <QString>

// The radio's two-byte tone codes and the tone texts of the channel table's
// tone cells, in both directions. A code is four hex characters: the index
// byte (the tone's position in the CTCSS or DCS table of the tone list,
// counting from 1; FF for none) and the kind byte:
//
//   tone           receive  transmit
//   none           FFF0     FFF4
//   CTCSS          iiF1     iiF5
//   DCS normal     iiF2     iiF6
//   DCS inverted   iiFA     iiFE
//
// The tables themselves are the tone list's (channels/ToneList.h). Everything
// here is a pure function of its texts; the OFF word is the current
// language's word for "no tone".
namespace ToneCodes
{

// The codes of a cell without tone.
inline QString noneReceiveCode()
{
    return QStringLiteral("FFF0");
}
inline QString noneTransmitCode()
{
    return QStringLiteral("FFF4");
}

// The CTCSS index ("01" ... "33") of the tone whose whole-hertz part is the
// argument (63 for "63.0", 100 for "100.0"); empty for any other value.
QString CAL_ctc(int wholeHertz);

// The DCS index ("01" ... "6B") of the code whose three digits, read as a
// decimal number, are the argument (23 for "023"); empty for any other value.
QString CAL_dcs(int code);

// The receive and transmit code of a tone cell's text. Blanks and control
// characters around the text are ignored; an empty text and the OFF word give
// the code of no tone. A text that is not an entry of the tone list has no
// code and gives the empty string: such a text would otherwise be written as
// a different tone (or as a malformed record), so the write refuses it
// beforehand (see hasCode).
QString writeRxcode(const QString &toneText, const QString &offWord);
QString writeTxcode(const QString &toneText, const QString &offWord);

// Whether writeRxcode and writeTxcode have a code for the text.
bool hasCode(const QString &toneText, const QString &offWord);

// The tone text for a received code, receive and transmit codes alike: the
// kind (the fourth character) says none, CTCSS, DCS normal or DCS inverted;
// the first two characters give the index; the third is not examined. An
// index outside its table (CTCSS 01-33, DCS 01-6B) gives the OFF word, as an
// erased field does. Kinds 3, 7, 8, 9, B, C and D, and a code that is not
// four hex characters, leave the cell's previous text. Hex digits may be of
// either case.
QString sendCTC(const QString &code, const QString &offWord, const QString &previousText);

} // namespace ToneCodes
