#pragma once

#include <QFile>
#include <QProcess>
#include <QString>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

// Another program on the machine: "sleep", which holds a device open (as
// another serial program would, in exclusive mode or not, without a lock
// file) or holds nothing, until the object goes.
class HoldingProcess
{
public:
    enum Hold { Nothing, Open, Exclusive };

    explicit HoldingProcess(Hold hold = Nothing, const QString &devicePath = QString())
    {
        if (hold != Nothing) {
            // Opened in the child, before it becomes sleep: the descriptor
            // has no close-on-exec flag, so sleep keeps it.
            const QByteArray path = QFile::encodeName(devicePath);
            m_process.setChildProcessModifier([path, hold] {
                const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY);
                if (fd >= 0 && hold == Exclusive)
                    ::ioctl(fd, TIOCEXCL);
            });
        }
        m_process.start(QStringLiteral("sleep"), {QStringLiteral("60")});
        m_process.waitForStarted();
        m_pid = m_process.processId();
    }
    ~HoldingProcess()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    HoldingProcess(const HoldingProcess &) = delete;
    HoldingProcess &operator=(const HoldingProcess &) = delete;

    // Zero when sleep could not be started.
    qint64 pid() const { return m_pid; }

private:
    QProcess m_process;
    qint64 m_pid = 0;
};
