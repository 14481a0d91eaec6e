// CPU cost of the serial link's waits, alone and in a block exchange with the
// virtual radio at line rate.
//
// 1. Waits: many SysDelay waits back to back; their CPU time against their
//    wall time.
// 2. Block exchange: handshake, start of programming, 21 block reads (the
//    identification, band, information, 16 channels and two function
//    blocks), end; the radio paced at 9600 bit/s. Run with the radio in this
//    process (the CPU time then includes the radio's) and in its own process
//    (ktprog-radio; the CPU time is the link's alone), on a two-wire cable
//    and on a single-wire cable in single-port mode.
//
// Usage: bench_link [waits [waitMs [exchanges]]]   (default 100 waits of 50 ms, 3 exchanges)
// Target: CPU time under 3% of the wall time, for the waits and for the
// exchange with the radio in its own process. The exit code is 1 when a
// target is missed or an answer went wrong.

#include "core/radio/SerialLink.h"
#include "sim/RadioImage.h"
#include "sim/VirtualRadio.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>

namespace
{

constexpr double TargetPercent = 3.0;

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

struct Figures {
    double wallMs = 0;
    double cpuMs = 0;
    double percent() const { return wallMs > 0 ? 100 * cpuMs / wallMs : 0; }
};

Figures measure(const std::function<void()> &action)
{
    QElapsedTimer wall;
    const double cpuStart = cpuMs();
    wall.start();
    action();
    return {double(wall.nsecsElapsed()) / 1e6, cpuMs() - cpuStart};
}

bool report(const char *name, const Figures &f, bool judged)
{
    const bool met = f.percent() < TargetPercent;
    std::printf("%-40s wall %8.1f ms  cpu %7.2f ms  cpu/wall %5.2f%%%s\n", name, f.wallMs, f.cpuMs,
                f.percent(), judged ? (met ? "  ok" : "  OVER TARGET") : "");
    return met || !judged;
}

QString hex4(int value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

// The addresses of the 21 block reads of a read exchange, in its order.
QStringList blockAddresses()
{
    QStringList addresses{hex4(RadioImage::IdentificationAddress), hex4(RadioImage::BandAddress),
                          hex4(RadioImage::InformationAddress)};
    for (int channel = 1; channel <= RadioImage::ChannelCount; ++channel)
        addresses << hex4(RadioImage::channelAddress(channel));
    addresses << hex4(RadioImage::FunctionBlock1Address) << hex4(RadioImage::FunctionBlock2Address);
    return addresses;
}

// One exchange; the number of steps whose answer was not the expected one.
int blockExchange(SerialLink &link)
{
    int wrong = 0;
    const auto check = [&](const QString &command, bool good) {
        if (good)
            return;
        ++wrong;
        std::fprintf(stderr, "bench_link: %s answered %s\n", qPrintable(command),
                     qPrintable(link.RxHex()));
    };
    const QString handshake = QStringLiteral("020551556D7461");
    link.SendFrame(handshake, 80);
    check(handshake, link.RxHex() == QLatin1String("060676657371617202"));
    const QString start = QStringLiteral("0600");
    link.SendFrame(start, 70);
    check(start, link.RxHex() == QLatin1String("060006"));
    for (const QString &address : blockAddresses()) {
        const QString read = QStringLiteral("5203") + address + QStringLiteral("10");
        link.SendFrame(read, 100);
        check(read, link.RxHex().startsWith(QLatin1String("57")) && link.RxHex().size() == 42 &&
                        link.CheckAnswer());
    }
    link.SendFrame(QStringLiteral("64016F"), 70);
    return wrong;
}

// Runs the exchanges on a link to the device; false when an answer went
// wrong or the device failed.
bool runExchanges(const char *name, const QString &device, bool singlePort, int exchanges,
                  bool judged, bool *met)
{
    SerialLink link([singlePort] { return singlePort; });
    if (!link.open(device)) {
        std::fprintf(stderr, "bench_link: cannot open %s: %s\n", qPrintable(device),
                     qPrintable(link.errorString()));
        return false;
    }
    int wrong = 0;
    const Figures f = measure([&] {
        for (int i = 0; i < exchanges; ++i)
            wrong += blockExchange(link);
    });
    *met = report(name, f, judged) && *met;
    if (wrong > 0 || link.isLost()) {
        std::fprintf(stderr, "bench_link: %s: %d wrong answers%s\n", name, wrong,
                     link.isLost() ? ", device lost" : "");
        return false;
    }
    return true;
}

bool inProcessRadio(const char *name, bool singleWire, int exchanges, bool *met)
{
    VirtualRadio radio;
    radio.setPacing(true);
    radio.setSingleWire(singleWire);
    if (!radio.start()) {
        std::fprintf(stderr, "bench_link: %s\n", qPrintable(radio.errorString()));
        return false;
    }
    return runExchanges(name, radio.devicePath(), singleWire, exchanges, false, met);
}

bool toolRadio(const char *name, bool singleWire, int exchanges, bool *met)
{
    QProcess tool;
    QStringList arguments{QStringLiteral("--pace")};
    if (singleWire)
        arguments << QStringLiteral("--single-wire");
    tool.start(QStringLiteral(KT_RADIO_TOOL), arguments);
    if (!tool.waitForStarted(5000) || !tool.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench_link: cannot start %s\n", KT_RADIO_TOOL);
        return false;
    }
    const QString device = QString::fromLocal8Bit(tool.readLine()).trimmed();
    const bool ok = runExchanges(name, device, singleWire, exchanges, true, met);
    tool.terminate();
    tool.waitForFinished(5000);
    return ok;
}

int argument(int argc, char *argv[], int index, int fallback)
{
    return argc > index ? std::max(1, std::atoi(argv[index])) : fallback;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int waits = argument(argc, argv, 1, 100);
    const int waitMs = argument(argc, argv, 2, 50);
    const int exchanges = argument(argc, argv, 3, 3);

    bool met = true;
    SerialLink idle;
    const Figures waiting = measure([&] {
        for (int i = 0; i < waits; ++i)
            idle.SysDelay(waitMs);
    });
    const QByteArray waitName =
        QStringLiteral("%1 waits of %2 ms").arg(waits).arg(waitMs).toLatin1();
    met = report(waitName.constData(), waiting, true) && met;
    std::printf("%-40s %.1f us of CPU per wait, %.2f ms late on average\n", "",
                1000 * waiting.cpuMs / waits, waiting.wallMs / waits - waitMs);

    std::printf("\n%d block exchanges of 21 reads at 9600 bit/s each:\n", exchanges);
    bool ok = true;
    ok = inProcessRadio("radio in process, two-wire", false, exchanges, &met) && ok;
    ok = inProcessRadio("radio in process, single-wire", true, exchanges, &met) && ok;
    ok = toolRadio("radio in ktprog-radio, two-wire", false, exchanges, &met) && ok;
    ok = toolRadio("radio in ktprog-radio, single-wire", true, exchanges, &met) && ok;
    std::printf("(the waits of one exchange add up to %d ms)\n", 80 + 70 + 21 * 100 + 70);
    return ok && met ? 0 : 1;
}
