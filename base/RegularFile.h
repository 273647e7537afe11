#pragma once

#include <QByteArray>
#include <QString>

// A file read whole, but only a regular file and only up to a bound that
// fits what the file is for: a FIFO would hold the reader up for good, a
// link to a device or a runaway file would fill the memory.
struct TFileRead {
    enum TOutcome {
        Read,       // Bytes hold the file
        Missing,    // nothing there (or a link to nothing)
        NotRegular, // a folder, a FIFO, a device, a socket
        TooLarge,   // larger than the bound
        Failed,     // could not be opened or read
    };
    TOutcome Outcome = Missing;
    QByteArray Bytes;
    QString Reason; // why not, in the system's words where it has them

    bool Ok() const { return Outcome == Read; }
};

// Opens without waiting (a FIFO with no writer does not block) and reads at
// most `maxBytes`; a file that is or grows larger is not read at all.
TFileRead ReadRegularFile(const QString &path, qint64 maxBytes);
