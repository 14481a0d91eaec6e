#include "sim/PseudoTerminal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace
{

bool addFlags(int fd, int getCommand, int setCommand, int flags)
{
    const int current = fcntl(fd, getCommand);
    return current >= 0 && fcntl(fd, setCommand, current | flags) == 0;
}

} // namespace

bool PseudoTerminal::open(QString *error)
{
    close();
    m_slavePath.clear();
    const auto fail = [&](const char *step) {
        const int code = errno;
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(step),
                                                  QString::fromLocal8Bit(strerror(code)));
        close();
        return false;
    };
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return fail("posix_openpt");
    if (!addFlags(m_master, F_GETFD, F_SETFD, FD_CLOEXEC) ||
        !addFlags(m_master, F_GETFL, F_SETFL, O_NONBLOCK))
        return fail("fcntl");
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        return fail("grantpt");
    const char *name = ptsname(m_master);
    if (!name)
        return fail("ptsname");
    m_slavePath = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        return fail("open");
    termios raw;
    if (tcgetattr(m_slave, &raw) != 0)
        return fail("tcgetattr");
    cfmakeraw(&raw);
    if (tcsetattr(m_slave, TCSANOW, &raw) != 0)
        return fail("tcsetattr");
    return true;
}

void PseudoTerminal::close()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
}
