#include "FolderGuard.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>

QString LockProgramFolder(TFolderLock &lock)
{
    switch (lock.TryLock()) {
    case TFolderLock::TResult::Held:
    case TFolderLock::TResult::Absent: return {};
    case TFolderLock::TResult::Busy:
        return QStringLiteral("the program is running on this folder (%1)").arg(lock.Holder().Describe());
    case TFolderLock::TResult::Unsupported:
        std::fprintf(stderr, "jbxtool: %s; going on without it\n", qPrintable(lock.Error()));
        return {};
    }
    return {};
}

bool InProgramFolder(const QString &path)
{
    const QFileInfo file(path);
    static const QRegularExpression own(
        QStringLiteral("^Jotterbox(\\.dat|\\.sync|\\.ini|_Backup_[0-6]\\.dat)$"));
    return own.match(file.fileName()).hasMatch() ||
           QFileInfo::exists(QDir(file.absolutePath()).filePath(QString::fromLatin1(TFolderLock::FileName)));
}
