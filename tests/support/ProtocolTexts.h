#pragma once

#include <QByteArray>
#include <QString>

// Commands and answers of the radio's protocol as hex texts, upper case,
// without the check byte unless named a frame or an answer, for the tests
// that talk to the virtual radio.
namespace ProtocolTexts
{

inline const QString handshake = QStringLiteral("020551556D7461");
inline const QString handshakeAnswer = QStringLiteral("060676657371617202");
inline const QString start = QStringLiteral("0600");
inline const QString acknowledge = QStringLiteral("060006");
inline const QString busy = QStringLiteral("090009");
inline const QString end = QStringLiteral("64016F");

// Bytes as the link's receive text shows them: upper-case hex.
inline QString hexOf(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

} // namespace ProtocolTexts
