#include "cli/InterruptWatch.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace
{

int g_pipe[2] = {-1, -1};
struct sigaction g_oldInt;
struct sigaction g_oldTerm;

// Only async-signal-safe calls here: note the signal for the event loop and
// let the next one take its default course.
void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

} // namespace

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt, QObject *parent)
    : QObject(parent), m_onInterrupt(std::move(onInterrupt))
{
    if (g_pipe[0] >= 0 || ::pipe(g_pipe) != 0)
        return; // one watch at a time; without a pipe the default handling stays
    for (int fd : g_pipe)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char byte;
        [[maybe_unused]] const ssize_t got = ::read(g_pipe[0], &byte, 1);
        m_notifier->setEnabled(false);
        if (m_onInterrupt)
            m_onInterrupt();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &g_oldInt);
    ::sigaction(SIGTERM, &action, &g_oldTerm);
}

InterruptWatch::~InterruptWatch()
{
    if (!m_notifier)
        return;
    ::sigaction(SIGINT, &g_oldInt, nullptr);
    ::sigaction(SIGTERM, &g_oldTerm, nullptr);
    delete m_notifier;
    m_notifier = nullptr;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

#else

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt, QObject *parent)
    : QObject(parent), m_onInterrupt(std::move(onInterrupt))
{
}

InterruptWatch::~InterruptWatch() = default;

#endif
