#include "core/radio/SerialLink.h"

#include "core/base/AppError.h"
#include "core/radio/LinkTrace.h"

#include <QEventLoop>
#include <QTimer>

#include <chrono>

namespace
{

quint32 steadyTicks()
{
    using namespace std::chrono;
    return quint32(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

QByteArray bytesOfHex(const QString &hexText)
{
    const int count = int(hexText.size() / 2);
    QByteArray bytes(count, Qt::Uninitialized);
    for (int i = 0; i < count; ++i) {
        const int high = hexDigit(hexText.at(2 * i));
        const int low = hexDigit(hexText.at(2 * i + 1));
        if (high < 0 || low < 0)
            throw AppError::invalidInteger(QStringLiteral("$") + hexText.mid(2 * i, 2));
        bytes[i] = char(high * 16 + low);
    }
    return bytes;
}

} // namespace

SerialLink::SerialLink(std::function<bool()> singlePort, QObject *parent)
    : QObject(parent), m_singlePort(std::move(singlePort)), m_ticks(steadyTicks)
{
    connect(&m_port, &QSerialPort::readyRead, this, &SerialLink::readPort);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialLink::portError);
}

SerialLink::~SerialLink() = default;

void SerialLink::setSinglePortSource(std::function<bool()> singlePort)
{
    m_singlePort = std::move(singlePort);
}

void SerialLink::setTickSource(std::function<quint32()> ticks)
{
    m_ticks = ticks ? std::move(ticks) : steadyTicks;
}

bool SerialLink::open(const QString &devicePath)
{
    close();
    m_errorString.clear();
    // QSerialPort would take an empty name for the folder /dev.
    if (devicePath.isEmpty()) {
        m_errorString = QStringLiteral("No device");
        return false;
    }
    m_port.setPortName(devicePath);
    m_port.setBaudRate(BaudRate);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_errorString = m_port.errorString();
        if (m_trace)
            m_trace->event(QStringLiteral("cannot open %1: %2").arg(devicePath, m_errorString));
        return false;
    }
    if (m_trace)
        m_trace->event(QStringLiteral("port %1 opened at %2 bit/s").arg(devicePath).arg(BaudRate));
    m_lost = false;
    // A pseudo-terminal refuses the modem lines; the radio does not need them.
    m_port.setDataTerminalReady(true);
    m_port.setRequestToSend(true);
    m_port.clear();
    m_port.clearError();
    return true;
}

void SerialLink::close()
{
    // A device lost before is over with once the port is closed: the waits
    // that follow (the settling of the next opening) run in full.
    m_lost = false;
    if (m_port.isOpen()) {
        m_port.close();
        if (m_trace)
            m_trace->event(QStringLiteral("port closed"));
    }
}

bool SerialLink::isOpen() const
{
    return m_port.isOpen();
}

void SerialLink::MakeFrame(const QString &hexText)
{
    QByteArray frame = bytesOfHex(hexText);
    char check = 0;
    for (const char byte : frame)
        check ^= byte;
    frame.append(check);
    m_txFrame = frame;
    m_echoLength = int(2 * frame.size());
}

void SerialLink::SendFrame(const QString &hexText, int waitMs, const AnswerCheck &complete)
{
    MakeFrame(hexText);
    m_rxHex.clear();
    m_answerDone = false;
    m_complete = m_fast ? complete : AnswerCheck();
    m_lastSendTick = m_ticks();
    m_lastWaitMs = waitMs;
    // The early end is only for this frame's wait.
    struct Reset {
        AnswerCheck &check;
        ~Reset() { check = AnswerCheck(); }
    } reset{m_complete};
    const bool sending = m_port.isOpen();
    if (sending)
        m_port.write(m_txFrame);
    if (!m_trace) {
        SysDelay(waitMs);
        return;
    }
    if (!sending) {
        m_trace->event(QStringLiteral("not sent: the port is closed"), m_txFrame);
        SysDelay(waitMs);
        return;
    }
    m_trace->sent(m_txFrame);
    m_lastReceiveMs = -1;
    SysDelay(waitMs);
    if (!m_lost)
        m_trace->received(m_rxHex, m_lastReceiveMs);
}

void SerialLink::finishLastWait()
{
    const quint32 elapsed = elapsedTicks(m_lastSendTick, m_ticks());
    if (m_lastWaitMs > 0 && elapsed < quint32(m_lastWaitMs))
        SysDelay(int(quint32(m_lastWaitMs) - elapsed));
    m_lastWaitMs = 0;
}

void SerialLink::SysDelay(int ms)
{
    if (ms <= 0 || m_lost)
        return;
    const quint32 start = m_ticks();
    // Each wait has its own loop, so a wait inside another one's event
    // handling (a modal dialog, a nested wait) ends on its own timer.
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &SerialLink::deviceLost, &loop, &QEventLoop::quit);
    connect(this, &SerialLink::answerComplete, &loop, &QEventLoop::quit);
    while (!m_lost && !(m_complete && m_answerDone)) {
        const quint32 elapsed = elapsedTicks(start, m_ticks());
        if (elapsed >= quint32(ms))
            return;
        timer.start(int(quint32(ms) - elapsed));
        loop.exec();
    }
}

void SerialLink::receiveBytes(const QByteArray &bytes)
{
    const int room = int((RxHexLimit - m_rxHex.size()) / 2);
    if (room > 0)
        m_rxHex += QString::fromLatin1(bytes.left(room).toHex().toUpper());
    const bool singlePort = m_singlePort && m_singlePort();
    if (m_trace)
        m_lastReceiveMs = m_trace->elapsedMs();
    if (m_echoLength != 0 && singlePort && m_rxHex.size() > m_echoLength) {
        if (m_trace)
            m_trace->event(QStringLiteral("echo removed"),
                           QByteArray::fromHex(m_rxHex.left(m_echoLength).toLatin1()));
        m_rxHex.remove(0, m_echoLength);
        m_echoLength = 0;
    }
    // In single-port mode the answer starts only behind the echo.
    if (m_complete && !m_answerDone && (!singlePort || m_echoLength == 0) && m_complete(m_rxHex)) {
        m_answerDone = true;
        Q_EMIT answerComplete();
    }
}

bool SerialLink::hasValidCheck(const QString &hexText)
{
    if (hexText.size() < 2)
        return false;
    const QByteArray bytes = QByteArray::fromHex(hexText.toLatin1());
    char check = 0;
    for (int i = 0; i + 1 < bytes.size(); ++i)
        check ^= bytes.at(i);
    return !bytes.isEmpty() && bytes.back() == check;
}

void SerialLink::readPort()
{
    receiveBytes(m_port.readAll());
}

void SerialLink::portError(QSerialPort::SerialPortError error)
{
    // A failing device keeps reporting its error on every event loop round;
    // the only way out is to close it. Other errors (a refused modem line)
    // leave the port usable.
    if (error != QSerialPort::ReadError && error != QSerialPort::WriteError &&
        error != QSerialPort::ResourceError)
        return;
    if (!m_port.isOpen())
        return;
    m_errorString = m_port.errorString();
    m_lost = true;
    m_port.close();
    if (m_trace)
        m_trace->event(QStringLiteral("device lost: %1").arg(m_errorString));
    Q_EMIT deviceLost(m_errorString);
}
