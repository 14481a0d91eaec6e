#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

// Turns the first Ctrl+C (SIGINT) or SIGTERM during its lifetime into a call
// of the given function on the event loop, so that a running exchange can
// stop cleanly and still take the radio out of programming mode. A second
// signal ends the program at once, as usual. Where signals are not available
// it does nothing.
class InterruptWatch : public QObject
{
    Q_OBJECT
public:
    explicit InterruptWatch(std::function<void()> onInterrupt, QObject *parent = nullptr);
    ~InterruptWatch() override;

    InterruptWatch(const InterruptWatch &) = delete;
    InterruptWatch &operator=(const InterruptWatch &) = delete;

private:
    std::function<void()> m_onInterrupt;
    QSocketNotifier *m_notifier = nullptr;
};
