#include "core/radio/LinkTrace.h"

#include "core/radio/MemoryMap.h"
#include "core/radio/Protocol.h"
#include "core/radio/SerialLink.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>

LinkTrace::LinkTrace()
{
    m_clock.start();
}

LinkTrace::~LinkTrace() = default;

bool LinkTrace::open(const QString &path)
{
    m_file.reset();
    m_path = path;
    m_errorString.clear();
    auto file = std::make_unique<QFile>();
    bool opened = false;
    if (path == QLatin1String("-")) {
        opened = file->open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    } else {
        const QString folder = QFileInfo(path).absolutePath();
        QDir().mkpath(folder);
        file->setFileName(path);
        opened = file->open(QIODevice::WriteOnly | QIODevice::Append);
    }
    if (!opened) {
        m_errorString = file->errorString();
        return false;
    }
    m_file = std::move(file);
    return true;
}

QString LinkTrace::defaultDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/KT-700/traces");
}

QString LinkTrace::newPath(const QString &dir, const QDateTime &time)
{
    return QDir(dir).filePath(time.toString(QStringLiteral("yyyy-MM-dd_hh-mm-ss")) +
                              QStringLiteral(".txt"));
}

void LinkTrace::setSink(std::function<void(const QString &)> sink)
{
    m_sink = std::move(sink);
}

void LinkTrace::begin(const QString &title)
{
    m_clock.restart();
    event(title);
}

qint64 LinkTrace::elapsedMs() const
{
    return m_clock.elapsed();
}

void LinkTrace::sent(const QByteArray &frame)
{
    write(line(elapsedMs(), Direction::Sent, frame, commandMeaning(frame)));
}

void LinkTrace::received(const QString &answerHex, qint64 at)
{
    const QByteArray bytes = QByteArray::fromHex(answerHex.toLatin1());
    write(line(at < 0 ? elapsedMs() : at, Direction::Received, bytes,
               answerWord(classify(answerHex))));
}

void LinkTrace::event(const QString &text, const QByteArray &bytes, qint64 at)
{
    write(line(at < 0 ? elapsedMs() : at, Direction::Event, bytes, text));
}

QString LinkTrace::line(qint64 ms, Direction direction, const QByteArray &bytes,
                        const QString &meaning)
{
    const char *arrow = direction == Direction::Sent       ? "TX"
                        : direction == Direction::Received ? "RX"
                                                           : "--";
    QString text = QString::asprintf("%7lld ms  %s  ", static_cast<long long>(ms), arrow);
    if (!bytes.isEmpty())
        text += QString::fromLatin1(bytes.toHex(' ').toUpper()) + QStringLiteral("  ");
    return text + meaning;
}

QString LinkTrace::commandMeaning(const QByteArray &frame)
{
    // The frame without its check byte.
    const QString hex = QString::fromLatin1(frame.left(frame.size() - 1).toHex().toUpper());
    if (hex == Protocol::HandshakeCommand)
        return QStringLiteral("handshake");
    if (hex == Protocol::StartCommand)
        return QStringLiteral("start");
    if (hex == Protocol::EndCommand)
        return QStringLiteral("end");
    const auto block = [&hex](const char *verb) {
        bool ok = false;
        const int address = hex.mid(4, 4).toInt(&ok, 16);
        return QStringLiteral("%1 %2 (%3)")
            .arg(QLatin1String(verb), hex.mid(4, 4), MemoryMap::blockName(address));
    };
    if (hex.size() >= 8 && hex.startsWith(Protocol::ReadCommandStart))
        return block("read");
    if (hex.size() >= 8 && (hex.startsWith(Protocol::WriteCommandStart) ||
                            hex.startsWith(Protocol::ShortWriteCommandStart)))
        return block("write");
    return QStringLiteral("command");
}

LinkTrace::Answer LinkTrace::classify(const QString &answerHex)
{
    if (answerHex.isEmpty())
        return Answer::Nothing;
    if (answerHex == Protocol::AcknowledgeAnswer)
        return Answer::Acknowledge;
    if (answerHex == Protocol::BusyAnswer)
        return Answer::Busy;
    if (answerHex == Protocol::HandshakeAnswer)
        return Answer::Handshake;
    if (answerHex.startsWith(Protocol::ReadAnswerStart)) {
        if (!SerialLink::hasValidCheck(answerHex))
            return Answer::WrongCheck;
        return answerHex.size() < Protocol::ReadAnswerMinimumLength ? Answer::TooShort
                                                                    : Answer::Read;
    }
    return Answer::Unexpected;
}

QString LinkTrace::answerWord(Answer answer)
{
    switch (answer) {
    case Answer::Nothing:
        return QStringLiteral("no answer");
    case Answer::Acknowledge:
        return QStringLiteral("acknowledge");
    case Answer::Busy:
        return QStringLiteral("busy");
    case Answer::Handshake:
        return QStringLiteral("handshake answer");
    case Answer::Read:
        return QStringLiteral("read answer");
    case Answer::WrongCheck:
        return QStringLiteral("answer with a wrong check byte");
    case Answer::TooShort:
        return QStringLiteral("read answer too short");
    case Answer::Unexpected:
        break;
    }
    return QStringLiteral("unexpected answer");
}

QString LinkTrace::spacedHex(const QString &hexText)
{
    return QString::fromLatin1(QByteArray::fromHex(hexText.toLatin1()).toHex(' ').toUpper());
}

void LinkTrace::write(const QString &line)
{
    if (m_sink) {
        m_sink(line);
        return;
    }
    if (!m_file)
        return;
    m_file->write(line.toUtf8() + '\n');
    m_file->flush();
}
