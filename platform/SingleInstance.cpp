#include "platform/SingleInstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

TSingleInstance::TSingleInstance(const QString &name, const QString &folder)
{
    QString dir = folder;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    FFolder = dir;
    FFileName = QDir(dir).filePath(name + QStringLiteral(".lock"));
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
    case QLockFile::LockFailedError: FError.clear(); break;
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
