#include "core/radio/Exchange.h"

#include "core/base/AppError.h"
#include "core/radio/LinkTrace.h"
#include "core/radio/Protocol.h"
#include "core/radio/SerialLink.h"
#include "core/workspace/Workspace.h"

#include <QPointer>

#include <algorithm>

namespace
{

using namespace Protocol;

constexpr int SettleMs = 150; // after closing and after reopening the port
constexpr int HandshakeWaitMs = 80;
constexpr int HandshakeAttempts = 6;
constexpr int StartWaitMs = 70;
constexpr int BlockWaitMs = 100; // every block read and write
constexpr int EndWaitMs = 70;
constexpr int AttemptBudget = 2;  // rejected answers a channel may get
constexpr int FixedProgress = 20; // the four blocks beyond the channels

using Reason = ExchangeFailure::Reason;
using Step = ExchangeFailure::Step;

// Fast transfer: the answers each step can judge the moment they are whole.
bool handshakeComplete(const QString &rx)
{
    return rx == HandshakeAnswer;
}

bool acknowledgeComplete(const QString &rx)
{
    return rx == AcknowledgeAnswer || rx == BusyAnswer;
}

bool readComplete(const QString &rx)
{
    return rx == BusyAnswer ||
           (rx.startsWith(ReadAnswerStart) && rx.size() >= ReadAnswerMinimumLength &&
            SerialLink::hasValidCheck(rx));
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
    m_failure = ExchangeFailure();
    m_portErrorReason.clear();
    m_problems.clear();
    m_readBlocks.clear();
    m_writtenBlocks.clear();
    m_mismatches.clear();
    m_bandText.clear();
    m_identifiedModel.clear();
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
            m_failure = ExchangeFailure(
                Reason::Other, QStringLiteral("nothing was written: %1 cell(s) or setting(s) "
                                              "cannot be sent to the radio, the first: %2")
                                   .arg(m_problems.size())
                                   .arg(m_problems.first().describe()));
            return Result::Refused;
        }
    }

    m_running = true;
    if (LinkTrace *trace = m_link.trace())
        trace->begin(
            QStringLiteral("%1 on %2%3")
                .arg(directionTitle(direction), devicePath,
                     m_workspace.singlePort() ? QStringLiteral(", single-port cable") : QString()));
    // Single-port mode is the program's setting; the link asks for it at every
    // receive, also after this run.
    m_link.setSinglePortSource([workspace = QPointer<Workspace>(&m_workspace)] {
        return workspace && workspace->singlePort();
    });
    m_link.setFastTransfer(m_workspace.fastTransfer());
    if (!opening()) {
        m_running = false;
        traceEnd();
        return Result::PortError;
    }
    try {
        if (m_success && (direction == Direction::Read || direction == Direction::Backup))
            readSequence(direction == Direction::Backup);
        else if (m_success && direction == Direction::Write)
            writeSequence();
        else if (m_success && direction == Direction::Verify)
            verifySequence();
        else if (m_success && direction == Direction::Identify)
            readBandAndInformation(true);
    } catch (const AppError &error) {
        // Data the encoders cannot express despite the check before the
        // write (changed during a wait): stop here, the closing still runs.
        fail(ExchangeFailure(Reason::Other, error.message()));
    }
    closing();
    m_running = false;
    if (m_success)
        m_failure = ExchangeFailure();
    traceEnd();
    if (!m_success)
        return m_failure.reason == Reason::Mismatch ? Result::Mismatch : Result::Failed;
    return Result::Success;
}

QString Exchange::directionTitle(Direction direction)
{
    switch (direction) {
    case Direction::Read:
        break;
    case Direction::Write:
        return QStringLiteral("write");
    case Direction::Backup:
        return QStringLiteral("backup read");
    case Direction::Verify:
        return QStringLiteral("read-back of the write");
    case Direction::Identify:
        return QStringLiteral("identification");
    }
    return QStringLiteral("read");
}

void Exchange::traceEnd()
{
    LinkTrace *trace = m_link.trace();
    if (!trace)
        return;
    trace->event(m_failure.reason == Reason::None
                     ? QStringLiteral("exchange complete")
                     : QStringLiteral("exchange failed: ") + m_failure.english());
}

Exchange::Presence Exchange::probe(const QString &devicePath)
{
    if (m_running)
        return Presence::Silent;
    m_portErrorReason.clear();
    if (!m_link.isOpen() && !m_link.open(devicePath)) {
        m_portErrorReason = m_link.errorString();
        return Presence::PortError;
    }
    m_link.SendFrame(HandshakeCommand, HandshakeWaitMs, handshakeComplete);
    if (m_link.isLost()) {
        m_portErrorReason = m_link.errorString();
        return Presence::PortError;
    }
    return m_link.RxHex() == HandshakeAnswer ? Presence::Answered : Presence::Silent;
}

bool Exchange::opening()
{
    // Whatever the driver still holds from before is discarded.
    m_link.close();
    m_link.SysDelay(SettleMs);
    if (!m_link.open(m_devicePath)) {
        m_portErrorReason = m_link.errorString();
        m_failure = ExchangeFailure(
            Reason::Other,
            QStringLiteral("cannot open the port %1: %2").arg(m_devicePath, m_portErrorReason));
        return false;
    }
    m_link.SysDelay(SettleMs);
    setProgress(0);

    for (int attempt = 0; attempt < HandshakeAttempts && !m_success; ++attempt) {
        m_link.SendFrame(HandshakeCommand, HandshakeWaitMs, handshakeComplete);
        if (mustStop())
            return true;
        m_success = m_link.RxHex() == HandshakeAnswer;
    }
    if (!m_success) {
        fail(Reason::NoHandshake);
    } else {
        for (int repeats = 0;; ++repeats) {
            m_link.SendFrame(StartCommand, StartWaitMs, acknowledgeComplete);
            if (mustStop())
                return true;
            if (m_link.RxHex() != BusyAnswer)
                break;
            if (repeats >= m_repeatLimit) {
                fail(Reason::Busy, Step{Step::Start}, repeats + 1);
                return true;
            }
        }
        if (m_link.RxHex() != AcknowledgeAnswer)
            fail(Reason::NotAcknowledged);
    }

    // The identification is read even after a failed handshake: a radio that
    // answers it still selects its model.
    QString identification;
    if (!readBlock(MemoryMap::IdentificationAddress, Step{Step::IdentificationRead},
                   &identification))
        return true;
    const int model = MemoryMap::modelIndex(identification);
    if (model < 0) {
        fail(ExchangeFailure(Reason::UnknownModel, identification.left(16)));
        return true;
    }
    m_workspace.setModelIndex(model);
    m_workspace.applyModelChange();
    m_identifiedModel = m_workspace.modelText();
    m_progressMaximum = m_workspace.channels().channelCount() * ProgressPerBlock + FixedProgress;
    Q_EMIT progressChanged(m_progress, m_progressMaximum);
    return true;
}

bool Exchange::readBandAndInformation(bool anyBand)
{
    Workspace &ws = m_workspace;
    QString band;
    if (!readBlock(MemoryMap::BandAddress, Step{Step::BandRead}, &band))
        return false;
    const QString bandText = MemoryMap::bandText(band);
    m_bandText = bandText;
    if (bandText != MemoryMap::noBandText()) {
        BandList &bands = ws.bands();
        const int index = bands.indexOf(bandText);
        if (index >= 0) {
            bands.setCurrentIndex(index);
            ws.setCaption(ws.modelText() + QStringLiteral("     [") + bands.currentText() +
                          QLatin1Char(']'));
            ws.info().setModel(ws.modelText());
            ws.info().setBand(bands.currentText());
        } else if (!anyBand) {
            // The information and the channels are still read.
            fail(ExchangeFailure(Reason::BandNotListed, bandText));
        }
    }

    QString information;
    if (!readBlock(MemoryMap::InformationAddress, Step{Step::InformationRead}, &information))
        return false;
    MemoryMap::decodeInformation(information, ws);
    return true;
}

void Exchange::readSequence(bool backup)
{
    Workspace &ws = m_workspace;
    if (!readBandAndInformation(backup))
        return;

    ChannelTable &table = ws.channels();
    for (int row = 1; row <= table.channelCount(); ++row) {
        const QString command = readCommand(MemoryMap::channelAddressText(row));
        const Step step{Step::ChannelRead, row};
        // The row is emptied before every sending, so a read that stops here
        // leaves it empty.
        const auto emptyRow = [&table, row] { table.clearChannel(row); };
        QString record;
        Outcome outcome = Outcome::Rejected;
        for (int budget = AttemptBudget; budget > 0 && outcome == Outcome::Rejected; --budget)
            outcome = readAnswer(command, step, &record, emptyRow);
        if (outcome == Outcome::Stopped)
            return;
        if (outcome == Outcome::Rejected) {
            fail(Reason::NoValidAnswer, step);
            break;
        }
        m_readBlocks.insert(MemoryMap::channelAddress(row), record.toUpper());
        MemoryMap::decodeChannel(record, row, ws);
        advanceProgress();
    }
    if (!m_success)
        return;

    QString block;
    if (!readBlock(MemoryMap::FunctionBlock1Address, Step{Step::FunctionBlockRead, 1}, &block))
        return;
    MemoryMap::decodeFunctionBlock1(block, ws);
    advanceProgress();
    if (!readBlock(MemoryMap::FunctionBlock2Address, Step{Step::FunctionBlockRead, 2}, &block))
        return;
    MemoryMap::decodeFunctionBlock2(block, ws);
    advanceProgress();
}

void Exchange::writeSequence()
{
    const Workspace &ws = m_workspace;
    QString band;
    if (!readBlock(MemoryMap::BandAddress, Step{Step::BandRead}, &band))
        return;
    m_bandText = MemoryMap::bandText(band);
    if (m_bandText == MemoryMap::noBandText()) {
        fail(ExchangeFailure(Reason::NoBand, MemoryMap::noBandText()));
        return;
    }

    for (int row = 1; row <= ws.channels().channelCount(); ++row) {
        const QString data = MemoryMap::encodeChannel(ws, row);
        m_writtenBlocks.insert(MemoryMap::channelAddress(row), data.toUpper());
        const QString command = writeCommand(MemoryMap::channelAddressText(row), data);
        const Step step{Step::ChannelWrite, row};
        Outcome outcome = Outcome::Rejected;
        for (int budget = AttemptBudget; budget > 0 && outcome == Outcome::Rejected; --budget)
            outcome = writeAnswer([&command] { return command; }, step);
        if (outcome == Outcome::Stopped)
            return;
        if (outcome == Outcome::Rejected) {
            fail(Reason::NotAccepted, step);
            return;
        }
        advanceProgress();
    }

    const QString data1 = MemoryMap::encodeFunctionBlock1(ws);
    m_writtenBlocks.insert(MemoryMap::FunctionBlock1Address, data1.toUpper());
    const QString block1 =
        writeCommand(MemoryMap::addressText(MemoryMap::FunctionBlock1Address), data1);
    const Step step1{Step::FunctionBlockWrite, 1};
    Outcome outcome = writeAnswer([&block1] { return block1; }, step1);
    if (outcome == Outcome::Stopped)
        return;
    if (outcome == Outcome::Rejected)
        fail(Reason::NotAccepted, step1);
    advanceProgress();
    if (!m_success)
        return;

    // Function block 2: bytes 1 to 5 only, with their own count byte.
    const QString data2 = MemoryMap::encodeFunctionBlock2(ws);
    m_writtenBlocks.insert(MemoryMap::FunctionBlock2Address, data2.toUpper());
    const QString block2 =
        ShortWriteCommandStart + MemoryMap::addressText(MemoryMap::FunctionBlock2Address) + data2;
    const Step step2{Step::FunctionBlockWrite, 2};
    outcome = writeAnswer([&block2] { return block2; }, step2);
    if (outcome == Outcome::Stopped)
        return;
    if (outcome == Outcome::Rejected)
        fail(Reason::NotAccepted, step2);
    advanceProgress();

    // The information block goes out even after function block 2 failed. It
    // carries the time of each sending.
    const QString address = MemoryMap::addressText(MemoryMap::InformationAddress);
    const Step step{Step::InformationWrite};
    outcome = writeAnswer(
        [&] {
            const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
            const QString data = MemoryMap::encodeInformation(ws, now);
            m_writtenBlocks.insert(MemoryMap::InformationAddress, data.toUpper());
            return writeCommand(address, data);
        },
        step);
    if (outcome == Outcome::Rejected)
        fail(Reason::NotAccepted, step);
}

void Exchange::closing()
{
    // The answer to the end command is not looked at. In fast transfer it
    // still comes no sooner than without the mode: a radio busy storing the
    // last write would not hear it and stay in programming mode.
    if (m_link.fastTransfer())
        m_link.finishLastWait();
    m_link.SendFrame(EndCommand, EndWaitMs);
    if (m_success)
        setProgress(m_progressMaximum);
}

Exchange::Outcome Exchange::readAnswer(const QString &command, Step step, QString *block,
                                       const std::function<void()> &before)
{
    for (int repeats = 0;; ++repeats) {
        if (before)
            before();
        m_link.SendFrame(command, BlockWaitMs, readComplete);
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
            fail(Reason::BusyOrBadCheck, step, repeats + 1);
            return Outcome::Stopped;
        }
    }
}

bool Exchange::readBlock(int address, Step step, QString *block)
{
    const Outcome outcome = readAnswer(readCommand(MemoryMap::addressText(address)), step, block);
    if (outcome == Outcome::Rejected)
        fail(Reason::NoValidAnswer, step);
    if (outcome == Outcome::Done)
        m_readBlocks.insert(address, block->toUpper());
    return outcome == Outcome::Done;
}

void Exchange::verifySequence()
{
    // Channels first, then the function blocks and the information block,
    // as the write sent them.
    QList<int> order = m_expectedBlocks.keys();
    std::stable_partition(order.begin(), order.end(),
                          [](int address) { return address >= MemoryMap::FirstChannelAddress; });
    for (const int address : order) {
        const QString sent = m_expectedBlocks.value(address).toUpper();
        const int channel = MemoryMap::channelOfAddress(address);
        const Step step = channel > 0 ? Step{Step::ChannelRead, channel}
                          : address == MemoryMap::InformationAddress
                              ? Step{Step::InformationRead}
                              : Step{Step::FunctionBlockRead,
                                     address == MemoryMap::FunctionBlock1Address ? 1 : 2};
        QString held;
        if (!readBlock(address, step, &held))
            return;
        held = held.toUpper().left(sent.size());
        if (held != sent) {
            // Eight digits from the first byte that differs.
            int first = 0;
            while (first < sent.size() && first < held.size() && sent.at(first) == held.at(first))
                ++first;
            first -= first % 2;
            const QString lead = first > 0 ? QStringLiteral("…") : QString();
            m_mismatches << QStringLiteral("%1: sent %2%3…, radio holds %2%4…")
                                .arg(MemoryMap::blockName(address), lead, sent.mid(first, 8),
                                     held.mid(first, 8));
        }
        advanceProgress();
    }
    if (!m_mismatches.isEmpty())
        fail(ExchangeFailure(Reason::Mismatch, m_mismatches.join(QStringLiteral("; "))));
}

Exchange::Outcome Exchange::writeAnswer(const std::function<QString()> &command, Step step)
{
    for (int repeats = 0;; ++repeats) {
        m_link.SendFrame(command(), BlockWaitMs, acknowledgeComplete);
        if (mustStop())
            return Outcome::Stopped;
        const QString &answer = m_link.RxHex();
        if (answer == AcknowledgeAnswer)
            return Outcome::Done;
        if (answer != BusyAnswer)
            return Outcome::Rejected;
        if (repeats >= m_repeatLimit) {
            fail(Reason::Busy, step, repeats + 1);
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
        m_failure = ExchangeFailure(Reason::Stopped);
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
        m_failure = ExchangeFailure(Reason::Disconnected, m_devicePath);
    }
    return true;
}

void Exchange::fail(const ExchangeFailure &failure)
{
    m_success = false;
    if (m_failure.reason == Reason::None)
        m_failure = failure;
}

void Exchange::fail(Reason reason, Step step, int count)
{
    // Each of these reasons is about the answer the radio gave last, which
    // the receive text still holds.
    fail(ExchangeFailure(reason, step, count).withAnswer(m_link.RxHex()));
}

void Exchange::setProgress(int value)
{
    if (value == m_progress)
        return;
    m_progress = value;
    Q_EMIT progressChanged(m_progress, m_progressMaximum);
}
