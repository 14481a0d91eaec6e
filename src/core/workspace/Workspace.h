#pragma once

#include "core/base/BandList.h"
#include "core/base/LanguageTexts.h"
#include "core/base/RadioInfo.h"
#include "core/channels/ChannelTable.h"
#include "core/options/FunctionSettings.h"
#include "core/ports/PortPlaces.h"

#include <QObject>
#include <QStringList>

// The program's whole state for one run: model, bands, administrator, port,
// language, the channel table, the function settings and the radio
// information. Windows show it; core operations (files, radio exchanges)
// change it.
class Workspace : public QObject
{
    Q_OBJECT
public:
    static constexpr int PortCount = 16;

    explicit Workspace(QObject *parent = nullptr);

    // For a side exchange (the backup before a write, the read-back after
    // it): the other workspace's bands, language texts and list items,
    // administrator, ports and single-port mode, channel count and row
    // labels; no channels, settings or radio information of its own yet.
    void adoptSettingsOf(const Workspace &other);

    // "PW-100" (index 0) and "R5" (index 1).
    static const QStringList &modelList();
    int modelIndex() const { return m_modelIndex; }
    QString modelText() const;
    // An index outside the list selects the first model.
    void setModelIndex(int index);
    // The model change: the caption becomes the model text alone.
    void applyModelChange();

    // Main window caption: the model, after Open or a read also the band.
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

    QString administrator() const { return m_administrator; }
    void setAdministrator(const QString &name) { m_administrator = name; }

    // Serial port 1..16 and single-port (one-wire, echoing) mode.
    int portNumber() const { return m_portNumber; }
    void setPortNumber(int port);
    // The device each port number stands for where the settings name one
    // (index 0 is port 1); empty entries follow the system's list.
    const QStringList &portDevices() const { return m_portDevices; }
    void setPortDevices(const QStringList &devices) { m_portDevices = devices; }
    // Ties a port without a device of its own to the given one (the stable
    // name of a USB adapter the user picked), for this run and, through
    // chosenPortDevices(), in the settings. A port that has its own device
    // keeps it; the result says whether the port was tied.
    bool choosePortDevice(int port, const QString &devicePath);
    // The devices tied by choosePortDevice this run (index 0 is port 1),
    // empty for the others: the settings keys to add at shut-down.
    const QStringList &chosenPortDevices() const { return m_chosenPortDevices; }
    // Where the system tells who holds a device and which stable name it has.
    const PortPlaces &portPlaces() const { return m_portPlaces; }
    void setPortPlaces(const PortPlaces &places) { m_portPlaces = places; }

    // The device the current port number stands for (configured, else the
    // system's list); empty when it stands for none.
    QString portDevicePath() const;
    bool singlePort() const { return m_singlePort; }
    void setSinglePort(bool on) { m_singlePort = on; }
    // Writes take a backup of the radio first and read back what they wrote.
    bool safeWrites() const { return m_safeWrites; }
    void setSafeWrites(bool on) { m_safeWrites = on; }
    // Whether exchanges are recorded in a link trace (for this run only).
    // Each turning on counts, so that a new trace file starts.
    // Whether each step moves on as soon as the radio has answered.
    bool fastTransfer() const { return m_fastTransfer; }
    void setFastTransfer(bool on) { m_fastTransfer = on; }
    bool recordTrace() const { return m_recordTrace; }
    int traceCount() const { return m_traceCount; }
    void setRecordTrace(bool on)
    {
        if (on && !m_recordTrace)
            ++m_traceCount;
        m_recordTrace = on;
    }

    // 1 simplified Chinese, 2 English, 3 traditional Chinese, 0 none applied.
    int languageNumber() const { return m_languageNumber; }
    void setLanguageNumber(int number) { m_languageNumber = number; }

    BandList &bands() { return m_bands; }
    const BandList &bands() const { return m_bands; }
    LanguageTexts &texts() { return m_texts; }
    const LanguageTexts &texts() const { return m_texts; }
    ChannelTable &channels() { return m_channels; }
    const ChannelTable &channels() const { return m_channels; }
    FunctionSettings &functions() { return m_functions; }
    const FunctionSettings &functions() const { return m_functions; }
    RadioInfo &info() { return m_info; }
    const RadioInfo &info() const { return m_info; }

Q_SIGNALS:
    void modelChanged();
    void captionChanged();
    void portChanged();

private:
    int m_modelIndex = 0;
    QString m_caption;
    QString m_administrator;
    int m_portNumber = 1;
    bool m_singlePort = false;
    bool m_safeWrites = true;
    bool m_recordTrace = false;
    bool m_fastTransfer = false;
    int m_traceCount = 0;
    QStringList m_portDevices = QStringList(PortCount);
    QStringList m_chosenPortDevices = QStringList(PortCount);
    PortPlaces m_portPlaces = PortPlaces::system();
    int m_languageNumber = 0;
    BandList m_bands;
    LanguageTexts m_texts;
    ChannelTable m_channels;
    FunctionSettings m_functions;
    RadioInfo m_info;
};
