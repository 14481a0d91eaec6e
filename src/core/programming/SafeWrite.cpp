#include "core/programming/SafeWrite.h"

#include "core/base/AppError.h"
#include "core/files/ChannelFile.h"
#include "core/programming/BackupFolder.h"
#include "core/workspace/Workspace.h"

#include <QDir>

using Reason = ExchangeFailure::Reason;

SafeWrite::SafeWrite(SerialLink &link, Workspace &workspace, QObject *parent)
    : QObject(parent), m_link(link), m_workspace(workspace)
{
}

void SafeWrite::requestStop()
{
    m_stopRequested = true;
    if (m_current)
        m_current->requestStop();
}

QString SafeWrite::failureText(const LanguageTexts::FailureTexts &texts) const
{
    const QString text = m_failure.text(texts);
    return m_backupFailed ? texts.backupFailed.arg(text) : text;
}

Exchange::Result SafeWrite::end(Exchange::Result result, const Exchange &exchange)
{
    m_failure = exchange.failure();
    m_portErrorReason = exchange.portErrorReason();
    m_problems = exchange.problems();
    m_running = false;
    return result;
}

Exchange::Result SafeWrite::fail(const ExchangeFailure &failure)
{
    m_failure = failure;
    m_running = false;
    return Exchange::Result::Failed;
}

Exchange::Result SafeWrite::runPhase(Phase phase, Exchange &exchange, Exchange::Direction direction,
                                     const QString &devicePath)
{
    m_phase = phase;
    m_current = &exchange;
    Q_EMIT phaseChanged(phase);
    connect(&exchange, &Exchange::progressChanged, this, [this](int value, int maximum) {
        const int within = maximum > 0 ? value * 100 / maximum : 0;
        Q_EMIT progressChanged((m_phaseIndex * 100 + within) / m_phaseCount, 100);
    });
    if (m_clock)
        exchange.setClock(m_clock);
    const Exchange::Result result = exchange.run(direction, devicePath);
    if (!exchange.identifiedModel().isEmpty())
        m_radioModel = exchange.identifiedModel();
    if (!exchange.bandText().isEmpty())
        m_radioBand = exchange.bandText();
    ++m_phaseIndex;
    Q_EMIT progressChanged(m_phaseIndex * 100 / m_phaseCount, 100);
    return result;
}

Exchange::Result SafeWrite::run(const QString &devicePath)
{
    if (m_running)
        return Exchange::Result::Failed;
    m_running = true;
    m_stopRequested = false;
    m_backupPath.clear();
    m_radioModel.clear();
    m_radioBand.clear();
    m_backupIsRaw = false;
    m_backupFailed = false;
    m_failure = ExchangeFailure();
    m_portErrorReason.clear();
    m_problems.clear();
    m_mismatches.clear();
    m_phaseIndex = 0;
    m_phaseCount = 1 + (m_options.backup ? 1 : 0) + (m_options.verify ? 1 : 0);
    Q_EMIT progressChanged(0, 100);

    Exchange writer(m_link, m_workspace);
    // Cells the radio cannot take: refused before anything is sent.
    if (!MemoryMap::validate(m_workspace).isEmpty())
        return end(writer.run(Exchange::Direction::Write, devicePath), writer);

    if (m_options.backup) {
        Workspace radio;
        radio.adoptSettingsOf(m_workspace);
        Exchange reader(m_link, radio);
        const Exchange::Result read =
            runPhase(Phase::Backup, reader, Exchange::Direction::Backup, devicePath);
        if (read != Exchange::Result::Success) {
            m_backupFailed = read == Exchange::Result::Failed;
            return end(read, reader);
        }
        try {
            saveBackup(radio, reader);
        } catch (const AppError &error) {
            m_backupFailed = true;
            return fail(ExchangeFailure(Reason::Other, QStringLiteral("cannot save the backup: ") +
                                                           error.message()));
        }
        if (m_stopRequested)
            return fail(ExchangeFailure(Reason::Stopped));
    }

    const Exchange::Result written =
        runPhase(Phase::Write, writer, Exchange::Direction::Write, devicePath);
    if (written != Exchange::Result::Success || !m_options.verify)
        return end(written, writer);
    if (m_stopRequested)
        return fail(ExchangeFailure(Reason::Stopped));

    Workspace radio;
    radio.adoptSettingsOf(m_workspace);
    Exchange checker(m_link, radio);
    checker.setExpectedBlocks(writer.writtenBlocks());
    const Exchange::Result checked =
        runPhase(Phase::Verify, checker, Exchange::Direction::Verify, devicePath);
    m_mismatches = checker.mismatches();
    // A read-back that could not be completed is no success either.
    return end(checked, checker);
}

void SafeWrite::saveBackup(const Workspace &radio, const Exchange &reader)
{
    const QString dir =
        m_options.backupDir.isEmpty() ? BackupFolder::defaultDir() : m_options.backupDir;
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    // A channel file holds a band of the band list; any other radio (a new
    // one without a band, or one of another band) keeps its raw blocks.
    const QString band = MemoryMap::bandText(reader.readBlocks().value(MemoryMap::BandAddress));
    const bool listed = radio.bands().indexOf(band) >= 0 && radio.bands().currentText() == band;
    m_backupIsRaw = !listed;
    const QString path = BackupFolder::newPath(dir, now, radio.modelText(),
                                               listed ? BackupFolder::ChannelFileSuffix
                                                      : BackupFolder::BlocksFileSuffix);
    QDir().mkpath(dir);
    if (listed)
        ChannelFile::save(radio, path);
    else
        BackupFolder::saveBlocks(path, radio.modelText(), reader.readBlocks());
    m_backupPath = path;
    // Older backups go only once the new one is safely on disk.
    BackupFolder::prune(dir, m_options.keepBackups);
}
