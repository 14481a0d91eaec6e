#pragma once

#include <QString>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

// A pseudo-terminal whose slave side stands in for a serial device that is
// present; closing the master side makes the device disappear.
class Pty
{
public:
    Pty()
    {
        // Close-on-exec: a child process of the test that kept the master
        // side would be the terminal's other end.
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0)
            m_path = QString::fromLocal8Bit(ptsname(m_master));
    }
    ~Pty() { close(); }
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    // The slave device's path, as a serial port would be named.
    const QString &path() const { return m_path; }
    int master() const { return m_master; }
    void close()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    QString m_path;
};
