#pragma once

#include <QString>
#include <QStringList>

// The places outside the device itself where the system tells about serial
// ports: the folders of UUCP lock files, the process folder whose open files
// show who holds a device, and the folder of stable USB adapter names. The
// real ones come from system(); a test gives folders of its own.
struct PortPlaces {
    // Folders where serial programs put "LCK..<device>" files, in the order
    // they are looked at.
    QStringList lockDirs;
    // One folder per process id, each with "comm" (the program name) and
    // "fd" (links to the open files).
    QString processDir;
    // Links named after a USB adapter (maker, model, serial number) to the
    // device it has now.
    QString stableNameDir;
    // Our own process: its lock files and open devices are no foreign holder.
    qint64 ownPid = 0;

    static PortPlaces system();
};
