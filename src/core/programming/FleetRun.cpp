#include "core/programming/FleetRun.h"

#include "core/radio/Exchange.h"
#include "core/radio/SerialLink.h"
#include "core/workspace/Workspace.h"

#include <QElapsedTimer>

#include <algorithm>

namespace
{

// A wait between two handshakes is cut into slices, so a stop ends it soon.
constexpr int SliceMs = 50;

} // namespace

FleetRun::FleetRun(SerialLink &link, Workspace &workspace, QObject *parent)
    : QObject(parent), m_link(link), m_workspace(workspace), m_write(link, workspace),
      m_clock([] { return QDateTime::currentDateTime(); })
{
    connect(&m_write, &SafeWrite::progressChanged, this, &FleetRun::progressChanged);
}

int FleetRun::writtenCount() const
{
    return int(std::count_if(m_radios.cbegin(), m_radios.cend(),
                             [](const Radio &radio) { return radio.ok; }));
}

int FleetRun::failedCount() const
{
    return int(m_radios.size()) - writtenCount();
}

void FleetRun::requestStop()
{
    if (!m_running)
        return;
    m_stopRequested = true;
    m_write.requestStop();
}

FleetRun::Ending FleetRun::run(const QString &devicePath)
{
    if (m_running)
        return Ending::Stopped;
    m_running = true;
    m_stopRequested = false;
    m_devicePath = devicePath;
    m_radios.clear();
    m_portErrorReason.clear();
    m_logError.clear();
    const auto finish = [this](Ending ending) {
        m_running = false;
        return ending;
    };

    // Checked as a write checks it, before the first radio.
    m_problems = MemoryMap::validate(m_workspace);
    if (!m_problems.isEmpty())
        return finish(Ending::Refused);
    FleetLog log(m_options.logPath);
    if (!log.check()) {
        m_logError = log.errorString();
        return finish(Ending::LogError);
    }
    m_link.close();
    if (!m_link.open(devicePath)) {
        m_portErrorReason = m_link.errorString();
        return finish(Ending::PortError);
    }

    for (int number = 1; m_options.count <= 0 || number <= m_options.count; ++number) {
        Q_EMIT stateChanged(State::Waiting, number);
        if (!waitFor(true, number))
            return finish(Ending::Stopped);
        Q_EMIT stateChanged(State::Writing, number);
        const Radio radio = writeOne(number, devicePath);
        m_radios.append(radio);
        if (!log.append(radio.entry)) {
            m_logError = log.errorString();
            Q_EMIT radioDone(radio);
            return finish(Ending::LogError);
        }
        Q_EMIT radioDone(radio);
        if (m_stopRequested)
            return finish(Ending::Stopped);
        Q_EMIT stateChanged(State::Leaving, number);
        if (!waitFor(false, number))
            return finish(Ending::Stopped);
    }
    return finish(Ending::Done);
}

bool FleetRun::waitFor(bool present, int number)
{
    Q_UNUSED(number)
    Exchange prober(m_link, m_workspace);
    int misses = 0;
    while (!m_stopRequested) {
        const QElapsedTimer started = [] {
            QElapsedTimer timer;
            timer.start();
            return timer;
        }();
        const Exchange::Presence presence = prober.probe(m_devicePath);
        if (presence == Exchange::Presence::PortError) {
            // An adapter pulled out: tried again at the next poll.
            Q_EMIT portTrouble(prober.portErrorReason());
            m_link.close();
        }
        if (present && presence == Exchange::Presence::Answered)
            return true;
        if (!present) {
            misses = presence == Exchange::Presence::Answered ? 0 : misses + 1;
            if (misses >= std::max(1, m_options.goneAfter))
                return true;
        }
        while (!m_stopRequested && started.elapsed() < m_options.pollMs)
            m_link.SysDelay(int(std::min<qint64>(SliceMs, m_options.pollMs - started.elapsed())));
    }
    return false;
}

FleetRun::Radio FleetRun::writeOne(int number, const QString &devicePath)
{
    m_write.setOptions(m_options.write);
    if (m_clock)
        m_write.setClock(m_clock);
    const Exchange::Result result = m_write.run(devicePath);

    Radio radio;
    radio.number = number;
    radio.ok = result == Exchange::Result::Success;
    FleetLog::Entry &entry = radio.entry;
    entry.time = m_clock ? m_clock() : QDateTime::currentDateTime();
    entry.port = m_options.portName.isEmpty() ? devicePath : m_options.portName;
    entry.model = m_write.radioModel();
    entry.band = m_write.radioBand();
    entry.administrator = m_workspace.administrator();
    entry.backupPath = m_write.backupPath();
    if (radio.ok) {
        entry.result =
            m_options.write.verify ? QStringLiteral("verified") : QStringLiteral("written");
    } else {
        radio.failure = result == Exchange::Result::PortError
                            ? QStringLiteral("cannot open the port: ") + m_write.portErrorReason()
                            : m_write.failureText();
        entry.result = QStringLiteral("failed: ") + radio.failure;
    }
    return radio;
}
