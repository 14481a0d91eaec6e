#pragma once

#include <QString>
#include <QStringList>

// What sysini.ini keeps between runs.
struct SystemSettings {
    int port = 1;              // "com"
    bool singlePort = false;   // "co_mode" 1
    int modelIndex = 0;        // "M_type"
    int language = 1;          // "lang"
    QStringList bands;         // "listcount" and "combo<i>"
    int bandIndex = 0;         // "listnow"
    bool fastTransfer = false; // "[write]" "fast": each step moves on once the radio has answered
    bool safeWrites = true;    // "[write]" "safe": back up before a write, read back after it
    // "[ports]" "com1" to "com16": the device each port number stands for,
    // empty where the system's list decides. Read only; the user edits them.
    QStringList portDevices = QStringList(16);
    // Devices the user tied ports to this run (index 0 is port 1): written
    // as "[ports]" keys, but only where the file has no key for the port.
    QStringList chosenPortDevices = QStringList(16);
};

// The two settings files: sysini.ini (port, single-port mode, model,
// language, band list) and userini.ini (administrator name). Both are written
// into one folder. Until sysini.ini is there it is read from the fallback
// folder (the program's own folder, where a first installation puts its
// sysini.ini), and the first write carries that file over whole; userini.ini
// is read from the one folder only.
class SettingsStore
{
public:
    // The most band texts read from sysini.ini; a larger "listcount" is cut
    // here so a damaged file cannot flood the band list.
    static constexpr int MaxBands = 1000;

    explicit SettingsStore(QString dir, QString fallbackDir = QString());
    // The program's own settings: its folder, or the per-user folder when
    // that cannot be written.
    static SettingsStore forProgram();

    const QString &dir() const { return m_dir; }
    QString systemFilePath() const;
    QString userFilePath() const;

    // The stored name with leading and trailing blanks and control characters
    // removed; empty when there is none.
    QString readAdministrator() const;
    // Throws AppError ("Unable to write to ...") when userini.ini cannot be written.
    void writeAdministrator(const QString &name) const;

    SystemSettings readSystem() const;
    // Writes the keys in order; throws AppError at the first key that cannot
    // be written, leaving the keys after it unwritten.
    void writeSystem(const SystemSettings &settings) const;

    // Removes leading and trailing blanks and control characters.
    static QString cleanName(const QString &name);

private:
    QString readPath(const QString &fileName) const;

    QString m_dir;
    QString m_fallbackDir;
};
