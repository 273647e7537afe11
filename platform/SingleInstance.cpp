#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Whether the folder is this user's alone: owned by the user and writable
// by nobody else.
bool PrivateFolder(const QString &folder)
{
    struct stat info {};
    return ::stat(QFile::encodeName(folder).constData(), &info) == 0 && info.st_uid == ::geteuid() &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// The owner of an existing file; -1 when it cannot be told.
long OwnerOf(const QString &path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? long(info.st_uid) : -1;
}
} // namespace

TSingleInstance::TSingleInstance(const QString &name, const QString &folder)
{
    QString dir = folder;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    FFolder = dir;
    // In a shared folder the lock and socket of another user would
    // otherwise stand in the way of this user's start.
    const QString base = PrivateFolder(dir) ? name : name + u'-' + QString::number(::geteuid());
    FFileName = QDir(dir).filePath(base + QStringLiteral(".lock"));
    FCommandSocket = QDir(dir).filePath(base + QStringLiteral(".socket"));
    FLock = std::make_unique<QLockFile>(FFileName);
    // Only a dead owner makes a lock stale, never its age: the running
    // instance holds it for days.
    FLock->setStaleLockTime(0);
}

TSingleInstance::~TSingleInstance() { Unlock(); }

bool TSingleInstance::TryLock(int waitMs)
{
    if (FLock->isLocked())
        return true;
    if (FLock->tryLock(waitMs))
        return true;
    switch (FLock->error()) {
    case QLockFile::LockFailedError:
        FError.clear();
        // Not this user's instance: a file someone else put in its place
        // must not keep the program from starting.
        if (const long owner = OwnerOf(FFileName); owner >= 0 && owner != long(::geteuid()))
            FError = QStringLiteral("The lock file %1 belongs to another user").arg(FFileName);
        break;
    case QLockFile::PermissionError:
        FError = QStringLiteral("No permission to create the lock file %1").arg(FFileName);
        break;
    default: FError = QStringLiteral("Cannot create the lock file %1").arg(FFileName); break;
    }
    return false;
}

void TSingleInstance::Unlock()
{
    if (FLock && FLock->isLocked())
        FLock->unlock();
}

bool TSingleInstance::Locked() const { return FLock->isLocked(); }
