#pragma once

#include "core/radio/MemoryMap.h"

#include <QString>

// The frames of the programming protocol and the answers the radio gives,
// as hex texts without the check byte a frame gets when it is sent (an
// answer is compared whole, its check byte included).
namespace Protocol
{

inline const QString HandshakeCommand = QStringLiteral("020551556D7461");    // 02 05 "QUmta"
inline const QString HandshakeAnswer = QStringLiteral("060676657371617202"); // 06 06 "vesqar"
inline const QString StartCommand = QStringLiteral("0600");
inline const QString EndCommand = QStringLiteral("64016F");
inline const QString AcknowledgeAnswer = QStringLiteral("060006");
inline const QString BusyAnswer = QStringLiteral("090009");
inline const QString ReadAnswerStart = QStringLiteral("57");
inline const QString ReadCommandStart = QStringLiteral("5203");
inline const QString WriteCommandStart = QStringLiteral("5712");
// Function block 2 is written with 5 data bytes only.
inline const QString ShortWriteCommandStart = QStringLiteral("5707");

// A read answer: 57, three bytes not examined, the 16 data bytes, the check
// byte; the data start at hex character 9. Bytes beyond the data are not
// examined either.
constexpr int ReadAnswerMinimumLength = 2 * (4 + MemoryMap::BlockSize + 1);
constexpr int ReadDataOffset = 8;

inline QString readCommand(const QString &address)
{
    return ReadCommandStart + address + QStringLiteral("10");
}

inline QString writeCommand(const QString &address, const QString &data)
{
    return WriteCommandStart + address + data;
}

} // namespace Protocol
