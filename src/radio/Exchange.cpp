#include "radio/Exchange.h"

#include "app/AppError.h"
#include "app/Workspace.h"
#include "radio/SerialLink.h"

#include <QPointer>

namespace
{

// Commands and the answers compared with the whole receive text.
const QString HandshakeCommand = QStringLiteral("020551556D7461");    // 02 05 "QUmta"
const QString HandshakeAnswer = QStringLiteral("060676657371617202"); // 06 06 "vesqar"
const QString StartCommand = QStringLiteral("0600");
const QString EndCommand = QStringLiteral("64016F");
const QString AcknowledgeAnswer = QStringLiteral("060006");
const QString BusyAnswer = QStringLiteral("090009");
const QString ReadAnswerStart = QStringLiteral("57");

constexpr int SettleMs = 150; // after closing and after reopening the port
constexpr int HandshakeWaitMs = 80;
constexpr int HandshakeAttempts = 6;
constexpr int StartWaitMs = 70;
constexpr int BlockWaitMs = 100; // every block read and write
constexpr int EndWaitMs = 70;
constexpr int AttemptBudget = 2;  // rejected answers a channel may get
constexpr int FixedProgress = 20; // the four blocks beyond the channels

// A read answer: 57, three bytes not examined, the 16 data bytes, the check
// byte; the data start at hex character 9. Bytes beyond the data are not
// examined either.
constexpr int ReadAnswerMinimumLength = 2 * (4 + MemoryMap::BlockSize + 1);
constexpr int ReadDataOffset = 8;

QString readCommand(const QString &address)
{
    return QStringLiteral("5203") + address + QStringLiteral("10");
}

QString writeCommand(const QString &address, const QString &data)
{
    return QStringLiteral("5712") + address + data;
}

QString channelWhat(const char *action, int row)
{
    return QStringLiteral("the %1 of channel %2").arg(QLatin1String(action)).arg(row);
}

} // namespace

Exchange::Exchange(SerialLink &link, Workspace &workspace, QObject *parent)
    : QObject(parent), m_link(link), m_workspace(workspace),
      m_clock([] { return QDateTime::currentDateTime(); })
{
}

Exchange::Result Exchange::run(Direction direction, const QString &devicePath)
{
    if (m_running)
        return Result::Failed;
    m_failureText.clear();
    m_portErrorReason.clear();
    m_problems.clear();
    m_success = false;
    m_lost = false;
    m_stopRequested = false;
    m_devicePath = devicePath;
    m_progress = 0;
    m_progressMaximum = 0;
    Q_EMIT progressChanged(m_progress, m_progressMaximum);

    if (direction == Direction::Write) {
        m_problems = MemoryMap::validate(m_workspace);
        if (!m_problems.isEmpty()) {
            m_failureText = QStringLiteral("nothing was written: %1 cell(s) or setting(s) "
                                           "cannot be sent to the radio, the first: %2")
                                .arg(m_problems.size())
                                .arg(m_problems.first().describe());
            return Result::Refused;
        }
    }

    m_running = true;
    // Single-port mode is the program's setting; the link asks for it at every
    // receive, also after this run.
    m_link.setSinglePortSource([workspace = QPointer<Workspace>(&m_workspace)] {
        return workspace && workspace->singlePort();
    });
    if (!opening()) {
        m_running = false;
        return Result::PortError;
    }
    try {
        if (m_success && direction == Direction::Read)
            readSequence();
        else if (m_success && direction == Direction::Write)
            writeSequence();
    } catch (const AppError &error) {
        // Data the encoders cannot express despite the check before the
        // write (changed during a wait): stop here, the closing still runs.
        fail(error.message());
    }
    closing();
    m_running = false;
    if (!m_success)
        return Result::Failed;
    m_failureText.clear();
    return Result::Success;
}

bool Exchange::opening()
{
    // Whatever the driver still holds from before is discarded.
    m_link.close();
    m_link.SysDelay(SettleMs);
    if (!m_link.open(m_devicePath)) {
        m_portErrorReason = m_link.errorString();
        m_failureText =
            QStringLiteral("cannot open the port %1: %2").arg(m_devicePath, m_portErrorReason);
        return false;
    }
    m_link.SysDelay(SettleMs);
    setProgress(0);

    for (int attempt = 0; attempt < HandshakeAttempts && !m_success; ++attempt) {
        m_link.SendFrame(HandshakeCommand, HandshakeWaitMs);
        if (mustStop())
            return true;
        m_success = m_link.RxHex() == HandshakeAnswer;
    }
    if (!m_success) {
        fail(QStringLiteral("no answer to the handshake: no radio on the port, "
                            "or the radio is not switched on"));
    } else {
        const QString what = QStringLiteral("the start of programming");
        for (int repeats = 0;; ++repeats) {
            m_link.SendFrame(StartCommand, StartWaitMs);
            if (mustStop())
                return true;
            if (m_link.RxHex() != BusyAnswer)
                break;
            if (repeats >= m_repeatLimit) {
                fail(QStringLiteral("the radio answered busy %1 times in a row to %2")
                         .arg(repeats + 1)
                         .arg(what));
                return true;
            }
        }
        if (m_link.RxHex() != AcknowledgeAnswer)
            fail(QStringLiteral("the radio did not acknowledge the start of programming"));
    }

    // The identification is read even after a failed handshake: a radio that
    // answers it still selects its model.
    QString identification;
    if (!readBlock(MemoryMap::IdentificationAddress, QStringLiteral("the identification read"),
                   &identification))
        return true;
    const int model = MemoryMap::modelIndex(identification);
    if (model < 0) {
        fail(QStringLiteral("the radio's identification %1 is not one of a known model")
                 .arg(identification.left(16)));
        return true;
    }
    m_workspace.setModelIndex(model);
    m_workspace.applyModelChange();
    m_progressMaximum = m_workspace.channels().channelCount() * ProgressPerBlock + FixedProgress;
    Q_EMIT progressChanged(m_progress, m_progressMaximum);
    return true;
}

void Exchange::readSequence()
{
    Workspace &ws = m_workspace;
    QString band;
    if (!readBlock(MemoryMap::BandAddress, QStringLiteral("the band read"), &band))
        return;
    const QString bandText = MemoryMap::bandText(band);
    if (bandText != MemoryMap::noBandText()) {
        BandList &bands = ws.bands();
        const int index = bands.indexOf(bandText);
        if (index >= 0) {
            bands.setCurrentIndex(index);
            ws.setCaption(ws.modelText() + QStringLiteral("     [") + bands.currentText() +
                          QLatin1Char(']'));
            ws.info().setModel(ws.modelText());
            ws.info().setBand(bands.currentText());
        } else {
            // The information and the channels are still read.
            fail(QStringLiteral("the radio's band %1 is not in the band list").arg(bandText));
        }
    }

    QString information;
    if (!readBlock(MemoryMap::InformationAddress, QStringLiteral("the information read"),
                   &information))
        return;
    MemoryMap::decodeInformation(information, ws);

    ChannelTable &table = ws.channels();
    for (int row = 1; row <= table.channelCount(); ++row) {
        const QString command = readCommand(MemoryMap::channelAddressText(row));
        const QString what = channelWhat("read", row);
        // The row is emptied before every sending, so a read that stops here
        // leaves it empty.
        const auto emptyRow = [&table, row] { table.clearChannel(row); };
        QString record;
        Outcome outcome = Outcome::Rejected;
        for (int budget = AttemptBudget; budget > 0 && outcome == Outcome::Rejected; --budget)
            outcome = readAnswer(command, what, &record, emptyRow);
        if (outcome == Outcome::Stopped)
            return;
        if (outcome == Outcome::Rejected) {
            fail(QStringLiteral("no valid answer to %1 in %2 attempts")
                     .arg(what)
                     .arg(AttemptBudget));
            break;
        }
        MemoryMap::decodeChannel(record, row, ws);
        advanceProgress();
    }
    if (!m_success)
        return;

    QString block;
    if (!readBlock(MemoryMap::FunctionBlock1Address, QStringLiteral("the read of function block 1"),
                   &block))
        return;
    MemoryMap::decodeFunctionBlock1(block, ws);
    advanceProgress();
    if (!readBlock(MemoryMap::FunctionBlock2Address, QStringLiteral("the read of function block 2"),
                   &block))
        return;
    MemoryMap::decodeFunctionBlock2(block, ws);
    advanceProgress();
}

void Exchange::writeSequence()
{
    const Workspace &ws = m_workspace;
    QString band;
    if (!readBlock(MemoryMap::BandAddress, QStringLiteral("the band read"), &band))
        return;
    if (MemoryMap::bandText(band) == MemoryMap::noBandText()) {
        fail(QStringLiteral("the radio has no band (%1); nothing was written")
                 .arg(MemoryMap::noBandText()));
        return;
    }

    for (int row = 1; row <= ws.channels().channelCount(); ++row) {
        const QString command =
            writeCommand(MemoryMap::channelAddressText(row), MemoryMap::encodeChannel(ws, row));
        const QString what = channelWhat("write", row);
        Outcome outcome = Outcome::Rejected;
        for (int budget = AttemptBudget; budget > 0 && outcome == Outcome::Rejected; --budget)
            outcome = writeAnswer([&command] { return command; }, what);
        if (outcome == Outcome::Stopped)
            return;
        if (outcome == Outcome::Rejected) {
            fail(QStringLiteral("the radio did not accept %1 in %2 attempts")
                     .arg(what)
                     .arg(AttemptBudget));
            return;
        }
        advanceProgress();
    }

    const QString block1 = writeCommand(MemoryMap::addressText(MemoryMap::FunctionBlock1Address),
                                        MemoryMap::encodeFunctionBlock1(ws));
    const QString what1 = QStringLiteral("the write of function block 1");
    Outcome outcome = writeAnswer([&block1] { return block1; }, what1);
    if (outcome == Outcome::Stopped)
        return;
    if (outcome == Outcome::Rejected)
        fail(QStringLiteral("the radio did not accept %1").arg(what1));
    advanceProgress();
    if (!m_success)
        return;

    // Function block 2: bytes 1 to 5 only, with their own count byte.
    const QString block2 = QStringLiteral("5707") +
                           MemoryMap::addressText(MemoryMap::FunctionBlock2Address) +
                           MemoryMap::encodeFunctionBlock2(ws);
    const QString what2 = QStringLiteral("the write of function block 2");
    outcome = writeAnswer([&block2] { return block2; }, what2);
    if (outcome == Outcome::Stopped)
        return;
    if (outcome == Outcome::Rejected)
        fail(QStringLiteral("the radio did not accept %1").arg(what2));
    advanceProgress();

    // The information block goes out even after function block 2 failed. It
    // carries the time of each sending.
    const QString address = MemoryMap::addressText(MemoryMap::InformationAddress);
    const QString what = QStringLiteral("the write of the information block");
    outcome = writeAnswer(
        [&] {
            const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
            return writeCommand(address, MemoryMap::encodeInformation(ws, now));
        },
        what);
    if (outcome == Outcome::Rejected)
        fail(QStringLiteral("the radio did not accept %1").arg(what));
}

void Exchange::closing()
{
    // The answer to the end command is not looked at.
    m_link.SendFrame(EndCommand, EndWaitMs);
    if (m_success)
        setProgress(m_progressMaximum);
}

Exchange::Outcome Exchange::readAnswer(const QString &command, const QString &what, QString *block,
                                       const std::function<void()> &before)
{
    for (int repeats = 0;; ++repeats) {
        if (before)
            before();
        m_link.SendFrame(command, BlockWaitMs);
        if (mustStop())
            return Outcome::Stopped;
        const QString &answer = m_link.RxHex();
        if (answer != BusyAnswer) {
            if (!answer.startsWith(ReadAnswerStart))
                return Outcome::Rejected;
            if (m_link.CheckAnswer()) {
                // A read answer too short to hold the data would give a
                // block of the wrong size: it counts as no read answer.
                if (answer.size() < ReadAnswerMinimumLength)
                    return Outcome::Rejected;
                *block = answer.mid(ReadDataOffset, MemoryMap::BlockTextLength);
                return Outcome::Done;
            }
        }
        if (repeats >= m_repeatLimit) {
            fail(QStringLiteral("the radio answered busy or with a bad check byte %1 times in a "
                                "row to %2")
                     .arg(repeats + 1)
                     .arg(what));
            return Outcome::Stopped;
        }
    }
}

bool Exchange::readBlock(int address, const QString &what, QString *block)
{
    const Outcome outcome = readAnswer(readCommand(MemoryMap::addressText(address)), what, block);
    if (outcome == Outcome::Rejected)
        fail(QStringLiteral("no valid answer to %1").arg(what));
    return outcome == Outcome::Done;
}

Exchange::Outcome Exchange::writeAnswer(const std::function<QString()> &command,
                                        const QString &what)
{
    for (int repeats = 0;; ++repeats) {
        m_link.SendFrame(command(), BlockWaitMs);
        if (mustStop())
            return Outcome::Stopped;
        const QString &answer = m_link.RxHex();
        if (answer == AcknowledgeAnswer)
            return Outcome::Done;
        if (answer != BusyAnswer)
            return Outcome::Rejected;
        if (repeats >= m_repeatLimit) {
            fail(QStringLiteral("the radio answered busy %1 times in a row to %2")
                     .arg(repeats + 1)
                     .arg(what));
            return Outcome::Stopped;
        }
    }
}

void Exchange::requestStop()
{
    if (m_running)
        m_stopRequested = true;
}

bool Exchange::mustStop()
{
    if (m_stopRequested && !m_link.isLost()) {
        m_success = false;
        m_failureText = QStringLiteral("stopped on request before the exchange was complete");
        return true;
    }
    if (!m_link.isLost())
        return false;
    if (!m_lost) {
        m_lost = true;
        m_success = false;
        // This reason wins over any earlier one: nothing after it was done.
        // The link loses its device when it was pulled out or went away;
        // the system's error text then names some last failed call
        // ("Inappropriate ioctl for device"), which would only mislead.
        m_failureText =
            QStringLiteral("lost the connection to the radio: the device %1 was disconnected")
                .arg(m_devicePath);
    }
    return true;
}

void Exchange::fail(const QString &reason)
{
    m_success = false;
    if (m_failureText.isEmpty())
        m_failureText = reason;
}

void Exchange::setProgress(int value)
{
    if (value == m_progress)
        return;
    m_progress = value;
    Q_EMIT progressChanged(m_progress, m_progressMaximum);
}
