#pragma once

#include <QString>
#include <memory>

class QLockFile;

// One running instance per user: a lock file in the per-user runtime
// folder. A lock left by a process that died is taken over. It finds the
// running copy; the data folder has a lock of its own (TFolderLock).
class TSingleInstance {
public:
    // `name` names the lock; `folder` defaults to the per-user runtime folder.
    // In a folder other users may write to (Qt's fallback in the shared
    // temporary folder), the name carries the user's id.
    explicit TSingleInstance(const QString &name, const QString &folder = QString());
    ~TSingleInstance(); // releases the lock if still held

    // Waits up to `waitMs` for the lock; false when another live instance
    // holds it (or the folder cannot hold a lock file, or the lock there is
    // another user's: then false too, and Error() says why).
    bool TryLock(int waitMs);
    void Unlock();
    bool Locked() const;
    QString FileName() const { return FFileName; }
    // The folder the lock lives in; other per-user files of the instance
    // (its command socket) go beside it.
    QString Folder() const { return FFolder; }
    // Where the instance takes commands from later starts.
    QString CommandSocket() const { return FCommandSocket; }
    QString Error() const { return FError; }

private:
    QString FFolder;
    QString FFileName;
    QString FCommandSocket;
    QString FError;
    std::unique_ptr<QLockFile> FLock;
};
