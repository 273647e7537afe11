#pragma once

#include <QString>

// Who holds a folder's lock, as the holder wrote it into the lock file.
struct TFolderHolder {
    qint64 Pid = 0;
    QString Host;
    QString User;
    // Where the holder takes commands; empty until it does.
    QString CommandSocket;

    // "process 4711 of ann on desk", for messages; what is not known is left out.
    QString Describe() const;
};

// One writer per data folder. An advisory lock (flock) on a lock file in the
// folder itself, beside the data file, held for the life of the process and
// given back by the kernel however the process ends. Unlike the per-user
// instance lock it does not depend on where the runtime folder is: two
// sessions, users or machines that reach the same folder see the same lock.
class TFolderLock {
public:
    // Hidden: a file the user never has to look at; a copy of the folder
    // that takes it along copies no lock.
    static constexpr const char *FileName = ".Jotterbox.lock";

    enum class TResult {
        Held,        // this process holds the lock now
        Busy,        // another process holds it: Holder() says which
        Absent,      // no lock file, and none was to be made: nobody holds it
        Unsupported, // the folder takes no lock (a file system without locks,
                     // a folder where no lock file can be made); Error() says why
    };

    explicit TFolderLock(const QString &folder);
    ~TFolderLock(); // gives the lock back if held
    TFolderLock(const TFolderLock &) = delete;
    TFolderLock &operator=(const TFolderLock &) = delete;

    // Never waits. With `create` false a missing lock file is not made and
    // the answer is Absent: a running holder always has the file.
    TResult TryLock(bool create = true);
    bool Locked() const { return FLocked; }
    // While held: what later starts read to find this process, with the
    // socket it now takes commands at.
    void Announce(const QString &commandSocket);
    // What the holder wrote; empty fields where it wrote nothing (yet).
    TFolderHolder Holder() const;
    void Unlock();

    QString Path() const { return FPath; }
    QString Error() const { return FError; }

private:
    void WriteHolder(const QString &commandSocket);

    QString FPath;
    QString FError;
    int FFd = -1;
    bool FLocked = false;
};
