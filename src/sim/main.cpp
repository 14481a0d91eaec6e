// ktprog-radio: the virtual radio as a program. It prints the device to open
// as the serial port and serves it until it is ended (Ctrl+C, SIGTERM) or
// vanishes on purpose.

#include "sim/VirtualRadio.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the event loop, so the program can save and close
// its side cleanly.
bool quitOnSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return false;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [notifier] {
        char byte;
        [[maybe_unused]] const ssize_t read = ::read(signalPipe[0], &byte, 1);
        notifier->setEnabled(false);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
}

int fail(const QString &message)
{
    std::fprintf(stderr, "ktprog-radio: %s\n", qPrintable(message));
    return 1;
}

// A whole number of at least 0 from an option, or -1.
int count(const QCommandLineParser &parser, const QString &option)
{
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    return ok && value >= 0 ? value : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ktprog-radio"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A virtual KT-100 radio on a pseudo-terminal. Prints the device to open as the\n"
        "serial port, then answers the programming protocol until ended with Ctrl+C or\n"
        "SIGTERM. Without --image it holds a sample configuration."));
    parser.addHelpOption();
    const QString image = QStringLiteral("image");
    const QString save = QStringLiteral("save");
    const QString model = QStringLiteral("model");
    const QString band = QStringLiteral("band");
    const QString singleWire = QStringLiteral("single-wire");
    const QString pace = QStringLiteral("pace");
    const QString delay = QStringLiteral("delay");
    const QString busy = QStringLiteral("busy");
    const QString garbage = QStringLiteral("garbage");
    const QString badCheck = QStringLiteral("bad-check");
    const QString longAnswer = QStringLiteral("long-answer");
    const QString shortAnswer = QStringLiteral("short-answer");
    const QString corruptWrite = QStringLiteral("corrupt-write");
    const QString corruptAddress = QStringLiteral("corrupt-address");
    const QString faultSteps = QStringLiteral("fault-steps");
    const QString every = QStringLiteral("every");
    const QString silent = QStringLiteral("silent");
    const QString vanishAfter = QStringLiteral("vanish-after");
    const QString log = QStringLiteral("log");
    const QString row = QStringLiteral("row");
    const QString writeRecovery = QStringLiteral("write-recovery");
    const QString stay = QStringLiteral("stay");
    const QString gap = QStringLiteral("gap");
    parser.addOptions({
        {image, QStringLiteral("Memory image to serve (up to 64 KiB, raw bytes)."),
         QStringLiteral("file")},
        {save, QStringLiteral("Save the memory image here when ending."), QStringLiteral("file")},
        {model, QStringLiteral("Identify as model 0 (PW-100) or 1 (R5)."), QStringLiteral("n")},
        {band, QStringLiteral("Band such as 400-470MHz, or none."), QStringLiteral("text")},
        {singleWire, QStringLiteral("Echo every byte received, as a single-wire cable.")},
        {pace, QStringLiteral("Send and receive at 9600 bit/s (about 1.04 ms a byte).")},
        {delay, QStringLiteral("Wait this long before each answer."), QStringLiteral("ms")},
        {busy, QStringLiteral("Answer busy to n commands."), QStringLiteral("n")},
        {garbage, QStringLiteral("Answer garbage to n commands."), QStringLiteral("n")},
        {badCheck, QStringLiteral("Spoil the check byte of n answers."), QStringLiteral("n")},
        {longAnswer,
         QStringLiteral("Send n answers with %1 bytes of zero more, and a check byte to match.")
             .arg(VirtualRadio::LengthFaultBytes),
         QStringLiteral("n")},
        {shortAnswer,
         QStringLiteral("Send n answers %1 bytes short, with a check byte to match.")
             .arg(VirtualRadio::LengthFaultBytes),
         QStringLiteral("n")},
        {corruptWrite,
         QStringLiteral("Acknowledge n writes but store each with bit 0 of its first data byte "
                        "flipped."),
         QStringLiteral("n")},
        {corruptAddress,
         QStringLiteral("Spoil only writes to this block address (hex, such as 01A0)."),
         QStringLiteral("hex")},
        {faultSteps,
         QStringLiteral("Commands the faults hit, of handshake,start,read,write (default: busy "
                        "and garbage start,read,write; the others read)."),
         QStringLiteral("list")},
        {every, QStringLiteral("Hit every such command n times in a row instead of the first n.")},
        {silent, QStringLiteral("Answer nothing.")},
        {vanishAfter, QStringLiteral("Vanish on the k-th command, without answering it."),
         QStringLiteral("k")},
        {log, QStringLiteral("Print every command received to stderr.")},
        {writeRecovery,
         QStringLiteral("Ignore commands that come sooner than this after an acknowledged "
                        "write, as a radio that needs time to store it."),
         QStringLiteral("ms")},
        {row,
         QStringLiteral("A row of n radios, one after another: a radio that was written leaves "
                        "after --stay, and the next (fresh memory) comes after --gap."),
         QStringLiteral("n")},
        {stay,
         QStringLiteral("With --row: how long a written radio stays after its last session "
                        "(default 1500)."),
         QStringLiteral("ms")},
        {gap,
         QStringLiteral("With --row: how long after a radio left the next comes (default 3000)."),
         QStringLiteral("ms")},
    });
    parser.process(app);

    VirtualRadio radio;
    QString error;
    if (parser.isSet(image)) {
        RadioImage loaded;
        if (!loaded.load(parser.value(image), &error))
            return fail(error);
        radio.setImage(loaded);
    }
    if (parser.isSet(model)) {
        const int n = count(parser, model);
        if (n != 0 && n != 1)
            return fail(QStringLiteral("--model takes 0 or 1"));
        radio.image().setModel(n);
    }
    if (parser.isSet(band) && !radio.image().setBand(parser.value(band)))
        return fail(QStringLiteral("--band takes a band such as 400-470MHz, or none"));

    VirtualRadio::Steps steps;
    const bool stepsGiven = parser.isSet(faultSteps);
    if (stepsGiven && !VirtualRadio::parseSteps(parser.value(faultSteps), &steps))
        return fail(QStringLiteral("--fault-steps takes handshake, start, read, write, end"));
    const auto repeat = parser.isSet(every) ? VirtualRadio::Repeat::EveryCommand
                                            : VirtualRadio::Repeat::FirstCommands;
    const struct {
        const QString &option;
        VirtualRadio::Steps defaultSteps;
        void (VirtualRadio::*set)(int, VirtualRadio::Steps, VirtualRadio::Repeat);
    } faults[] = {
        {busy, VirtualRadio::Start | VirtualRadio::Read | VirtualRadio::Write,
         &VirtualRadio::setBusy},
        {garbage, VirtualRadio::Start | VirtualRadio::Read | VirtualRadio::Write,
         &VirtualRadio::setGarbage},
        {badCheck, VirtualRadio::Read, &VirtualRadio::setBadCheck},
        {longAnswer, VirtualRadio::Read, &VirtualRadio::setLongAnswers},
        {shortAnswer, VirtualRadio::Read, &VirtualRadio::setShortAnswers},
    };
    for (const auto &fault : faults) {
        if (!parser.isSet(fault.option))
            continue;
        const int n = count(parser, fault.option);
        if (n < 0)
            return fail(QStringLiteral("--%1 takes a count").arg(fault.option));
        (radio.*fault.set)(n, stepsGiven ? steps : fault.defaultSteps, repeat);
    }
    if (parser.isSet(corruptWrite)) {
        const int n = count(parser, corruptWrite);
        bool ok = !parser.isSet(corruptAddress);
        const int address = ok ? -1 : parser.value(corruptAddress).toInt(&ok, 16);
        if (n < 0 || !ok || address > 0xFFFF)
            return fail(QStringLiteral("--corrupt-write takes a count, --corrupt-address a hex "
                                       "address"));
        radio.setCorruptWrites(n, repeat, address);
    }
    for (const QString &option : {delay, vanishAfter, row, stay, gap, writeRecovery}) {
        if (parser.isSet(option) && count(parser, option) < 0)
            return fail(QStringLiteral("--%1 takes a whole number").arg(option));
    }
    radio.setAnswerDelay(parser.isSet(delay) ? count(parser, delay) : 0);
    radio.setVanishAfter(parser.isSet(vanishAfter) ? count(parser, vanishAfter) : 0);
    radio.setSingleWire(parser.isSet(singleWire));
    radio.setPacing(parser.isSet(pace));
    radio.setSilent(parser.isSet(silent));
    radio.setWriteRecovery(parser.isSet(writeRecovery) ? count(parser, writeRecovery) : 0);
    if (parser.isSet(row)) {
        radio.setRowOfRadios(count(parser, row), parser.isSet(stay) ? count(parser, stay) : 1500,
                             parser.isSet(gap) ? count(parser, gap) : 3000);
        QObject::connect(&radio, &VirtualRadio::radioLeft, [](int number) {
            std::fprintf(stderr, "ktprog-radio: radio %d left\n", number);
        });
        QObject::connect(&radio, &VirtualRadio::radioArrived, [](int number) {
            std::fprintf(stderr, "ktprog-radio: radio %d came\n", number);
        });
    }
    if (parser.isSet(log)) {
        QObject::connect(&radio, &VirtualRadio::commandReceived, [](const QByteArray &frame) {
            std::fprintf(stderr, "%s\n", frame.toHex(' ').toUpper().constData());
        });
    }

    if (!quitOnSignals(app))
        return fail(QStringLiteral("cannot catch signals"));
    if (!radio.start())
        return fail(radio.errorString());
    QObject::connect(&radio, &VirtualRadio::vanished, &app, [&radio] {
        std::fprintf(stderr, "ktprog-radio: vanished after %d commands\n",
                     int(radio.commands().size()));
        QCoreApplication::quit();
    });
    std::printf("%s\n", qPrintable(radio.devicePath()));
    std::fflush(stdout);

    app.exec();
    if (parser.isSet(save) && !radio.image().save(parser.value(save), &error))
        return fail(error);
    return 0;
}
