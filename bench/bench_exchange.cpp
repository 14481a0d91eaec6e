// Wall time and CPU time of a full read and a full write of 16 channels
// against the virtual radio at line rate, beside the sum of the exchange's
// fixed waits. The radio runs as its own process (ktprog-radio --pace), so
// the CPU time measured here is the program's side alone.
//
// Each direction runs without a link trace and then with one written to a
// file, so the trace's cost shows beside the untraced figures.
//
// Then fast transfer in two-wire and single-wire mode, each beside the
// line's limit: the bytes of the exchange at 1.04 ms a byte (echo included
// in single-wire mode) plus the two 150 ms port-settling waits. Target:
// fast wall time within 1.3 times that limit, CPU under 3% of the wall time.
//
// Usage: bench_exchange [runs]   (default 3 runs of each direction)
// Targets: wall time within 10% of the waits' sum, CPU time under 3% of the
// wall time.

#include "core/radio/Exchange.h"
#include "core/radio/LinkTrace.h"
#include "core/radio/SerialLink.h"
#include "core/workspace/Workspace.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace
{

// The waits of an exchange of 16 channels in milliseconds: the port reset,
// the handshake, the start, 21 block steps (identification, band, and for
// a read information, 16 channels and two function blocks; for a write 16
// channels, two function blocks and information), the end.
const int ExchangeWaits[] = {150, 150, 80,  70,  100, 100, 100, 100, 100, 100, 100, 100, 100,
                             100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 70};

int nominalWaitsMs()
{
    int sum = 0;
    for (const int ms : ExchangeWaits)
        sum += ms;
    return sum;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Measure {
    double wallMs = 0;
    double cpuMs = 0;
};

template <typename Action> Measure measure(Action action)
{
    QElapsedTimer wall;
    const double cpuStart = cpuSeconds();
    wall.start();
    action();
    Measure m;
    m.wallMs = wall.nsecsElapsed() / 1e6;
    m.cpuMs = (cpuSeconds() - cpuStart) * 1000;
    return m;
}

void print(const char *name, const Measure &m, double waitsMs)
{
    std::printf("%-22s wall %7.1f ms  cpu %6.1f ms  wall/waits %5.3f  cpu/wall %5.2f%%\n", name,
                m.wallMs, m.cpuMs, m.wallMs / waitsMs, 100 * m.cpuMs / m.wallMs);
}

// The bytes of one exchange on the line, counted from a trace of it: the
// frames sent, the answers, and in single-wire mode the echo of every frame.
int lineBytes(SerialLink &link, Exchange &exchange, Exchange::Direction direction,
              const QString &device)
{
    int bytes = 0;
    LinkTrace counter;
    counter.setSink([&bytes](const QString &line) {
        // "   312 ms  TX  52 03 …  meaning": the hex pairs after the direction.
        const QStringList parts = line.split(QStringLiteral("  "), Qt::SkipEmptyParts);
        if (parts.size() < 3)
            return;
        const QString kind = parts.at(1).trimmed();
        const bool echo = parts.last() == QLatin1String("echo removed");
        if (kind == QLatin1String("TX") || kind == QLatin1String("RX") || echo)
            bytes += int(parts.at(2).split(QLatin1Char(' '), Qt::SkipEmptyParts).size());
    });
    link.setTrace(&counter);
    exchange.run(direction, device);
    link.setTrace(nullptr);
    return bytes;
}

// Fast reads and writes against a paced radio of its own; returns the
// failures.
int fastRuns(int runs, bool singleWire)
{
    QProcess radio;
    QStringList arguments{QStringLiteral("--pace")};
    if (singleWire)
        arguments << QStringLiteral("--single-wire");
    radio.start(QStringLiteral(KT_RADIO_TOOL), arguments);
    if (!radio.waitForStarted() || !radio.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench_exchange: cannot start %s\n", KT_RADIO_TOOL);
        return 1;
    }
    const QString device = QString::fromLocal8Bit(radio.readLine()).trimmed();
    Workspace workspace;
    workspace.bands().add(QStringLiteral("400-470MHz"));
    workspace.setSinglePort(singleWire);
    workspace.setFastTransfer(true);
    SerialLink link;
    Exchange exchange(link, workspace);
    constexpr double ByteMs = 10 * 1000.0 / 9600; // 8N1: ten bits a byte
    constexpr double SettleMs = 2 * 150;
    int failures = 0;
    for (const auto direction : {Exchange::Direction::Read, Exchange::Direction::Write}) {
        const int bytes = lineBytes(link, exchange, direction, device);
        const double limitMs = bytes * ByteMs + SettleMs;
        const QString name =
            QStringLiteral("fast %1%2")
                .arg(QLatin1String(direction == Exchange::Direction::Read ? "read" : "write"),
                     QLatin1String(singleWire ? " 1-wire" : " 2-wire"));
        Measure total;
        for (int run = 0; run < runs; ++run) {
            Exchange::Result result = Exchange::Result::Failed;
            const Measure m = measure([&] { result = exchange.run(direction, device); });
            if (result != Exchange::Result::Success) {
                std::fprintf(stderr, "bench_exchange: %s failed: %s\n", qPrintable(name),
                             qPrintable(exchange.failureText()));
                ++failures;
            }
            total.wallMs += m.wallMs / runs;
            total.cpuMs += m.cpuMs / runs;
        }
        std::printf("%-22s wall %7.1f ms  cpu %6.1f ms  line limit %6.1f ms (%d bytes + settling)"
                    "  wall/limit %5.3f  cpu/wall %5.2f%%\n",
                    qPrintable(name), total.wallMs, total.cpuMs, limitMs, bytes,
                    total.wallMs / limitMs, 100 * total.cpuMs / total.wallMs);
    }
    link.close();
    radio.terminate();
    radio.waitForFinished(3000);
    return failures;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 3;

    QProcess radio;
    radio.start(QStringLiteral(KT_RADIO_TOOL), {QStringLiteral("--pace")});
    if (!radio.waitForStarted() || !radio.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench_exchange: cannot start %s\n", KT_RADIO_TOOL);
        return 1;
    }
    const QString device = QString::fromLocal8Bit(radio.readLine()).trimmed();

    Workspace workspace;
    workspace.bands().add(QStringLiteral("400-470MHz"));
    SerialLink link;
    Exchange exchange(link, workspace);

    // The waits alone: the same series of waits on a link without a port.
    SerialLink idle;
    const Measure waits = measure([&idle] {
        for (const int ms : ExchangeWaits)
            idle.SysDelay(ms);
    });
    std::printf("device %s, %d runs each; nominal sum of waits %d ms\n", qPrintable(device), runs,
                nominalWaitsMs());
    print("waits alone", waits, nominalWaitsMs());

    // Each direction without a trace and with one written to a file.
    QTemporaryDir traceDir;
    LinkTrace trace;
    if (!trace.open(traceDir.filePath(QStringLiteral("trace.txt")))) {
        std::fprintf(stderr, "bench_exchange: cannot write the trace: %s\n",
                     qPrintable(trace.errorString()));
        return 1;
    }
    int failures = 0;
    for (const bool traced : {false, true}) {
        link.setTrace(traced ? &trace : nullptr);
        for (const auto direction : {Exchange::Direction::Read, Exchange::Direction::Write}) {
            const QString name =
                QLatin1String(direction == Exchange::Direction::Read ? "read" : "write") +
                QLatin1String(traced ? " traced" : "");
            Measure total;
            for (int run = 0; run < runs; ++run) {
                Exchange::Result result = Exchange::Result::Failed;
                const Measure m = measure([&] { result = exchange.run(direction, device); });
                if (result != Exchange::Result::Success) {
                    std::fprintf(stderr, "bench_exchange: %s failed: %s\n", qPrintable(name),
                                 qPrintable(exchange.failureText()));
                    ++failures;
                }
                print(qPrintable(name), m, nominalWaitsMs());
                total.wallMs += m.wallMs / runs;
                total.cpuMs += m.cpuMs / runs;
            }
            print(qPrintable(name + QStringLiteral(" mean")), total, nominalWaitsMs());
        }
    }
    link.setTrace(nullptr);
    link.close();
    radio.terminate();
    radio.waitForFinished(3000);

    // Fast transfer, with a two-wire cable and with a single-wire one (a
    // radio of its own that echoes), beside the line's own limit.
    for (const bool singleWire : {false, true})
        failures += fastRuns(runs, singleWire);
    return failures == 0 ? 0 : 1;
}
