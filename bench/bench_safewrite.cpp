// Wall time of a write with its backup and read-back beside a plain write
// (and beside the two added phases alone), 16 channels against the virtual
// radio at line rate. The radio runs as its own process (ktprog-radio
// --pace), so the CPU time measured here is the program's side alone.
//
// Usage: bench_safewrite [runs]   (default 3 runs of each kind)
// Expected: a safe write costs about three exchanges' worth of waits, so
// about three times a plain write; the CPU time stays a small part of the
// wall time.

#include "core/programming/SafeWrite.h"
#include "core/radio/SerialLink.h"
#include "core/workspace/Workspace.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace
{

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

struct Kind {
    const char *name;
    bool backup;
    bool verify;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 3;

    QProcess radio;
    radio.start(QStringLiteral(KT_RADIO_TOOL), {QStringLiteral("--pace")});
    if (!radio.waitForStarted() || !radio.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench_safewrite: cannot start %s\n", KT_RADIO_TOOL);
        return 1;
    }
    const QString device = QString::fromLocal8Bit(radio.readLine()).trimmed();
    QTemporaryDir backups;

    Workspace workspace;
    workspace.bands().add(QStringLiteral("400-470MHz"));
    SerialLink link;
    SafeWrite write(link, workspace);
    std::printf("device %s, %d runs of each kind\n", qPrintable(device), runs);

    const Kind kinds[] = {{"plain write", false, false},
                          {"backup + write", true, false},
                          {"write + verify", false, true},
                          {"safe write", true, true}};
    int failures = 0;
    double plainMs = 0;
    for (const Kind &kind : kinds) {
        SafeWrite::Options options;
        options.backup = kind.backup;
        options.verify = kind.verify;
        options.backupDir = backups.path();
        write.setOptions(options);
        Measure mean;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer wall;
            const double cpuStart = cpuSeconds();
            wall.start();
            const Exchange::Result result = write.run(device);
            const double wallMs = wall.nsecsElapsed() / 1e6;
            const double cpuMs = (cpuSeconds() - cpuStart) * 1000;
            if (result != Exchange::Result::Success) {
                std::fprintf(stderr, "bench_safewrite: %s failed: %s\n", kind.name,
                             qPrintable(write.failureText()));
                ++failures;
            }
            mean.wallMs += wallMs / runs;
            mean.cpuMs += cpuMs / runs;
        }
        if (!kind.backup && !kind.verify)
            plainMs = mean.wallMs;
        std::printf("%-16s wall %7.1f ms  cpu %6.1f ms  cpu/wall %5.2f%%  x plain %5.2f\n",
                    kind.name, mean.wallMs, mean.cpuMs, 100 * mean.cpuMs / mean.wallMs,
                    plainMs > 0 ? mean.wallMs / plainMs : 0.0);
    }
    std::printf("backups kept: %lld\n", qint64(QDir(backups.path()).entryList(QDir::Files).size()));
    link.close();
    radio.terminate();
    radio.waitForFinished(3000);
    return failures == 0 ? 0 : 1;
}
