#include "platform/FolderLock.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The holder's few lines; anything longer is not ours.
constexpr qsizetype KMaxHolderBytes = 4096;

QString UserName()
{
    if (const passwd *entry = ::getpwuid(::geteuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(::geteuid());
}

// Errors that mean the file system keeps no locks at all, as opposed to a
// lock that is taken.
bool NoLocksHere(int error)
{
    return error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS || error == EINVAL;
}
} // namespace

QString TFolderHolder::Describe() const
{
    QString text = Pid > 0 ? QStringLiteral("process %1").arg(Pid) : QStringLiteral("another process");
    if (!User.isEmpty())
        text += QStringLiteral(" of %1").arg(User);
    if (!Host.isEmpty())
        text += QStringLiteral(" on %1").arg(Host);
    return text;
}

TFolderLock::TFolderLock(const QString &folder) : FPath(QDir(folder).filePath(QString::fromLatin1(FileName)))
{
}

TFolderLock::~TFolderLock() { Unlock(); }

TFolderLock::TResult TFolderLock::TryLock(bool create)
{
    if (FLocked)
        return TResult::Held;
    FError.clear();
    const QByteArray path = QFile::encodeName(FPath);
    // Never followed through a link, never held up by a special file; the
    // descriptor stays out of the programs this one starts, which would
    // otherwise hold the lock on after it ended.
    constexpr int flags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    // Made readable by its owner only, like every file of the program.
    int fd = ::open(path.constData(), O_RDWR | flags | (create ? O_CREAT : 0), 0600);
    // A folder the user may read but not write (a read-only medium) still
    // locks through a lock file that is there.
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
        fd = ::open(path.constData(), O_RDONLY | flags);
    if (fd < 0) {
        if (errno == ENOENT && !create)
            return TResult::Absent;
        FError = QStringLiteral("Cannot create the lock file %1: %2")
                     .arg(FPath, QString::fromLocal8Bit(std::strerror(errno)));
        return TResult::Unsupported;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        FError = QStringLiteral("The lock file %1 is not a regular file").arg(FPath);
        return TResult::Unsupported;
    }
    int result;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return TResult::Busy;
        FError = NoLocksHere(error) ? QStringLiteral("The folder of %1 keeps no locks").arg(FPath)
                                    : QStringLiteral("Cannot lock %1: %2")
                                          .arg(FPath, QString::fromLocal8Bit(std::strerror(error)));
        return TResult::Unsupported;
    }
    FFd = fd;
    FLocked = true;
    WriteHolder(QString());
    return TResult::Held;
}

void TFolderLock::Announce(const QString &commandSocket)
{
    if (FLocked)
        WriteHolder(commandSocket);
}

void TFolderLock::WriteHolder(const QString &commandSocket)
{
    QString text = QStringLiteral("pid=%1\nhost=%2\nuser=%3\n")
                       .arg(QString::number(::getpid()), QSysInfo::machineHostName(), UserName());
    if (!commandSocket.isEmpty())
        text += QStringLiteral("socket=%1\n").arg(commandSocket);
    const QByteArray bytes = text.toUtf8();
    // Only for messages and for finding this process: a lock file that
    // cannot be written (a read-only folder, a full disk) still locks.
    if (::ftruncate(FFd, 0) == 0 && ::pwrite(FFd, bytes.constData(), size_t(bytes.size()), 0) < 0)
        (void)::ftruncate(FFd, 0);
}

TFolderHolder TFolderLock::Holder() const
{
    TFolderHolder holder;
    const int fd =
        ::open(QFile::encodeName(FPath).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return holder;
    QByteArray bytes(KMaxHolderBytes, '\0');
    const ssize_t got = ::pread(fd, bytes.data(), size_t(bytes.size()), 0);
    ::close(fd);
    if (got <= 0)
        return holder;
    bytes.truncate(got);
    for (const QByteArray &line : bytes.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = line.left(equals);
        const QString value = QString::fromUtf8(line.mid(equals + 1));
        if (key == "pid")
            holder.Pid = value.toLongLong();
        else if (key == "host")
            holder.Host = value;
        else if (key == "user")
            holder.User = value;
        else if (key == "socket")
            holder.CommandSocket = value;
    }
    return holder;
}

void TFolderLock::Unlock()
{
    if (FFd >= 0) {
        ::flock(FFd, LOCK_UN);
        ::close(FFd);
    }
    FFd = -1;
    FLocked = false;
}
