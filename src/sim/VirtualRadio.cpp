#include "sim/VirtualRadio.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <unistd.h>

namespace
{

constexpr qint64 FrameTimeoutNs = 100 * 1000000LL;

char checkByte(const QByteArray &bytes)
{
    char check = 0;
    for (const char byte : bytes)
        check ^= byte;
    return check;
}

QByteArray withCheck(QByteArray bytes)
{
    bytes.append(checkByte(bytes));
    return bytes;
}

quint8 at(const QByteArray &bytes, int index)
{
    return quint8(bytes.at(index));
}

} // namespace

const QByteArray VirtualRadio::BusyAnswer = QByteArray::fromHex("090009");
const QByteArray VirtualRadio::AcknowledgeAnswer = QByteArray::fromHex("060006");
const QByteArray VirtualRadio::HandshakeAnswer = QByteArray::fromHex("060676657371617202");
const QByteArray VirtualRadio::Garbage = QByteArray::fromHex("E51A00FF3C");

bool VirtualRadio::Fault::hits(Step step)
{
    if (count <= 0 || !steps.testFlag(step))
        return false;
    if (repeat == Repeat::FirstCommands) {
        if (used >= count)
            return false;
        ++used;
        return true;
    }
    // A streak of count hits, then one command served, then again.
    if (used < count) {
        ++used;
        return true;
    }
    used = 0;
    return false;
}

int VirtualRadio::Line::due(int queuedBytes, qint64 now)
{
    const qint64 through = (now - headStart) / ByteNanoseconds;
    const int count = int(std::min<qint64>(queuedBytes, std::max<qint64>(through, 0)));
    headStart += count * ByteNanoseconds;
    return count;
}

VirtualRadio::VirtualRadio(QObject *parent) : QObject(parent), m_image(RadioImage::sample())
{
    m_clock.start();
    m_paceTimer = new QTimer(this);
    m_paceTimer->setSingleShot(true);
    m_paceTimer->setTimerType(Qt::PreciseTimer);
    connect(m_paceTimer, &QTimer::timeout, this, &VirtualRadio::pump);
}

VirtualRadio::~VirtualRadio()
{
    // Quietly: nobody listens to a radio being destroyed.
    const QSignalBlocker blocker(this);
    vanish();
}

bool VirtualRadio::start()
{
    vanish();
    m_errorString.clear();
    if (!m_pty.open(&m_errorString))
        return false;
    m_mode = Mode::Idle;
    m_frame.clear();
    m_commands.clear();
    m_commandCount = 0;
    m_readNotifier = new QSocketNotifier(m_pty.master(), QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &VirtualRadio::readMaster);
    m_writeNotifier = new QSocketNotifier(m_pty.master(), QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &VirtualRadio::writeMaster);
    return true;
}

void VirtualRadio::vanish()
{
    if (!m_pty.isOpen())
        return;
    ++m_generation;
    delete m_readNotifier;
    delete m_writeNotifier;
    m_readNotifier = nullptr;
    m_writeNotifier = nullptr;
    m_paceTimer->stop();
    m_pty.close();
    m_in.clear();
    m_out.clear();
    m_unwritten.clear();
    m_mode = Mode::Idle;
    Q_EMIT vanished();
}

void VirtualRadio::setRowOfRadios(int count, int stayMs, int gapMs)
{
    if (!m_rowLeaveTimer) {
        m_rowLeaveTimer = new QTimer(this);
        m_rowLeaveTimer->setSingleShot(true);
        connect(m_rowLeaveTimer, &QTimer::timeout, this, &VirtualRadio::rowLeave);
    }
    m_rowLeaveTimer->stop();
    m_rowCount = qMax(0, count);
    m_rowStayMs = qMax(0, stayMs);
    m_rowGapMs = qMax(0, gapMs);
    m_rowIndex = m_rowCount > 0 ? 1 : 0;
    m_rowAbsent = false;
    m_rowWrote = false;
    m_rowFresh = m_image;
    m_rowImages.clear();
}

void VirtualRadio::rowLeave()
{
    if (m_rowCount == 0 || m_rowAbsent)
        return;
    m_rowAbsent = true;
    m_mode = Mode::Idle;
    m_rowImages.append(m_image);
    const int left = m_rowIndex;
    Q_EMIT radioLeft(left);
    if (left < m_rowCount)
        QTimer::singleShot(m_rowGapMs, this, &VirtualRadio::rowArrive);
}

void VirtualRadio::rowArrive()
{
    if (m_rowCount == 0 || !m_rowAbsent)
        return;
    ++m_rowIndex;
    m_image = m_rowFresh;
    m_rowWrote = false;
    m_rowAbsent = false;
    Q_EMIT radioArrived(m_rowIndex);
}

void VirtualRadio::setBusy(int count, Steps steps, Repeat repeat)
{
    m_busy = Fault{count, steps, repeat, 0};
}

void VirtualRadio::setGarbage(int count, Steps steps, Repeat repeat)
{
    m_garbage = Fault{count, steps, repeat, 0};
}

void VirtualRadio::setBadCheck(int count, Steps steps, Repeat repeat)
{
    m_badCheck = Fault{count, steps, repeat, 0};
}

void VirtualRadio::setCorruptWrites(int count, Repeat repeat, int address)
{
    m_corruptWrite = Fault{count, Steps(Write), repeat, 0};
    m_corruptAddress = address;
}

void VirtualRadio::setLongAnswers(int count, Steps steps, Repeat repeat)
{
    m_longAnswer = Fault{count, steps, repeat, 0};
}

void VirtualRadio::setShortAnswers(int count, Steps steps, Repeat repeat)
{
    m_shortAnswer = Fault{count, steps, repeat, 0};
}

QStringList VirtualRadio::commandTexts() const
{
    QStringList texts;
    for (const QByteArray &frame : m_commands)
        texts.append(QString::fromLatin1(frame.toHex().toUpper()));
    return texts;
}

bool VirtualRadio::parseSteps(const QString &text, Steps *steps)
{
    Steps parsed;
    for (const QString &name : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString key = name.trimmed().toLower();
        if (key == QLatin1String("handshake"))
            parsed |= Handshake;
        else if (key == QLatin1String("start"))
            parsed |= Start;
        else if (key == QLatin1String("read"))
            parsed |= Read;
        else if (key == QLatin1String("write"))
            parsed |= Write;
        else if (key == QLatin1String("end"))
            parsed |= End;
        else
            return false;
    }
    *steps = parsed;
    return true;
}

void VirtualRadio::readMaster()
{
    char buffer[4096];
    const ssize_t count = ::read(m_pty.master(), buffer, sizeof buffer);
    if (count > 0) {
        if (m_in.isEmpty())
            m_inLine.queued(now());
        m_in.append(buffer, int(count));
        pump();
    } else if (count == 0 || (errno != EAGAIN && errno != EINTR)) {
        // The pair holds its slave open, so this does not happen in normal
        // use; stop listening rather than be woken for it without end.
        m_readNotifier->setEnabled(false);
    }
}

void VirtualRadio::writeMaster()
{
    while (!m_unwritten.isEmpty()) {
        const ssize_t count = ::write(m_pty.master(), m_unwritten.constData(), m_unwritten.size());
        if (count <= 0)
            break;
        m_unwritten.remove(0, int(count));
    }
    // The device's buffer is full (nobody reads the slave): go on when it
    // has room again.
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_unwritten.isEmpty());
}

void VirtualRadio::pump()
{
    if (!m_pty.isOpen())
        return;
    const qint64 t = now();
    // On a paced line byte i is through one byte time after byte i - 1;
    // the radio's own lateness in handling them does not part a frame.
    const qint64 lineStart = m_inLine.headStart;
    const int inCount = m_paced ? m_inLine.due(int(m_in.size()), t) : int(m_in.size());
    const QByteArray arrived = m_in.left(inCount);
    m_in.remove(0, inCount);
    for (int i = 0; i < arrived.size(); ++i) {
        if (m_singleWire)
            send(QByteArray(1, arrived.at(i)));
        receiveByte(arrived.at(i), m_paced ? lineStart + (i + 1) * ByteNanoseconds : t);
        if (!m_pty.isOpen())
            return;
    }
    const int outCount = m_paced ? m_outLine.due(int(m_out.size()), t) : int(m_out.size());
    if (outCount > 0) {
        m_unwritten.append(m_out.left(outCount));
        m_out.remove(0, outCount);
        writeMaster();
    }
    schedulePump();
}

void VirtualRadio::schedulePump()
{
    if (!m_paced || (m_in.isEmpty() && m_out.isEmpty())) {
        m_paceTimer->stop();
        return;
    }
    qint64 next = std::numeric_limits<qint64>::max();
    if (!m_in.isEmpty())
        next = m_inLine.nextDue();
    if (!m_out.isEmpty())
        next = std::min(next, m_outLine.nextDue());
    const qint64 waitNs = next - now();
    // Round up: a timer that fires early finds nothing due and sleeps again.
    m_paceTimer->start(int(std::max<qint64>(0, (waitNs + 999999) / 1000000)));
}

void VirtualRadio::send(const QByteArray &bytes)
{
    if (bytes.isEmpty() || !m_pty.isOpen())
        return;
    if (m_out.isEmpty())
        m_outLine.queued(now());
    m_out.append(bytes);
}

void VirtualRadio::receiveByte(char byte, qint64 arrivedAt)
{
    if (!m_frame.isEmpty() && arrivedAt - m_lastByteAt > FrameTimeoutNs)
        m_frame.clear();
    m_lastByteAt = arrivedAt;
    m_frame.append(byte);
    // Command byte, count, count bytes, check byte.
    if (m_frame.size() >= 2 && m_frame.size() == at(m_frame, 1) + 3) {
        const QByteArray frame = m_frame;
        m_frame.clear();
        handleFrame(frame);
    }
}

void VirtualRadio::handleFrame(const QByteArray &frame)
{
    m_commands.append(frame);
    Q_EMIT commandReceived(frame);
    if (m_vanishAfter > 0 && ++m_commandCount >= m_vanishAfter) {
        vanish();
        return;
    }
    if (checkByte(frame.left(frame.size() - 1)) != frame.back())
        return;

    const quint8 command = at(frame, 0);
    const quint8 count = at(frame, 1);
    Step step;
    if (command == 0x02 && frame.mid(2, count) == "QUmta")
        step = Handshake;
    else if (command == 0x06 && count == 0)
        step = Start;
    else if (command == 0x52 && count == 3 && at(frame, 4) == RadioImage::BlockSize)
        step = Read;
    else if (command == 0x57 && count >= 2)
        step = Write;
    else if (command == 0x64 && count == 1)
        step = End;
    else
        return;

    if (m_rowCount > 0 && m_rowAbsent)
        return;
    // Still busy storing the last write: the frame goes unheeded.
    if (m_writeRecoveryMs > 0 && now() < m_recoveredAt)
        return;
    if (step == End) {
        m_mode = Mode::Idle;
        // A radio of the row that was written leaves a while after its
        // last session.
        if (m_rowCount > 0 && m_rowWrote)
            m_rowLeaveTimer->start(m_rowStayMs);
        return;
    }
    if (m_silent)
        return;
    const bool allowed =
        step == Handshake || (step == Start && m_mode != Mode::Idle) || m_mode == Mode::Programming;
    if (!allowed)
        return;

    QByteArray answer;
    if (m_busy.hits(step)) {
        answer = BusyAnswer;
    } else if (m_garbage.hits(step)) {
        answer = Garbage;
    } else {
        answer = answerTo(step, frame);
        if (m_longAnswer.hits(step))
            answer = withCheck(answer.chopped(1) + QByteArray(LengthFaultBytes, '\0'));
        if (m_shortAnswer.hits(step))
            answer = withCheck(
                answer.left(std::max<qsizetype>(0, answer.size() - 1 - LengthFaultBytes)));
        if (m_badCheck.hits(step))
            answer.back() = char(answer.back() ^ 0xFF);
    }

    if (m_answerDelayMs <= 0) {
        send(answer);
        return;
    }
    const quint64 generation = m_generation;
    QTimer::singleShot(m_answerDelayMs, Qt::PreciseTimer, this, [this, answer, generation] {
        if (generation != m_generation)
            return;
        send(answer);
        pump();
    });
}

QByteArray VirtualRadio::answerTo(Step step, const QByteArray &frame)
{
    // Reads and writes carry the address after the count; the other
    // commands are shorter.
    const auto address = [&frame] { return quint16(at(frame, 2) << 8 | at(frame, 3)); };
    switch (step) {
    case Handshake:
        m_mode = Mode::Greeted;
        return HandshakeAnswer;
    case Start:
        m_mode = Mode::Programming;
        // A radio of the row stays while it is being programmed.
        if (m_rowLeaveTimer)
            m_rowLeaveTimer->stop();
        return AcknowledgeAnswer;
    case Read:
        // 57, the address and count asked for, the data.
        return withCheck(QByteArray(1, char(0x57)) + frame.mid(2, 3) + m_image.block(address()));
    case Write: {
        QByteArray data = frame.mid(4, at(frame, 1) - 2);
        if (!data.isEmpty() && (m_corruptAddress < 0 || m_corruptAddress == address()) &&
            m_corruptWrite.hits(Write))
            data[0] = char(data.at(0) ^ 0x01);
        m_image.write(address(), data);
        m_rowWrote = true;
        m_recoveredAt = now() + qint64(m_writeRecoveryMs) * 1000000;
        return AcknowledgeAnswer;
    }
    case End:
        break;
    }
    return QByteArray();
}
