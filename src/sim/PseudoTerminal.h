#pragma once

#include <QString>

// A pseudo-terminal pair: the master side for the virtual radio, the slave
// side a device path that a serial port opens. The pair holds the slave open
// itself, so the master sees no hang-up while the program closes and reopens
// its port between exchanges, and both sides are raw (no echo, no line
// editing). Closing makes the device disappear for whoever has it open.
class PseudoTerminal
{
public:
    PseudoTerminal() = default;
    ~PseudoTerminal() { close(); }
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    // The master is non-blocking and neither side is inherited by programs
    // started later. On failure *error gets the system's reason.
    bool open(QString *error = nullptr);
    void close();
    bool isOpen() const { return m_master >= 0; }

    int master() const { return m_master; }
    // Kept after close, for telling which device went away.
    const QString &slavePath() const { return m_slavePath; }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};
