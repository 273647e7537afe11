#include "base/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QLatin1String Marker(".jbxsave-");
void (*BeforeRename)(const QString &) = nullptr;

QByteArray Native(const QString &path) { return QFile::encodeName(path); }

// The file a save replaces: a link is followed to what it names, so the
// link stays a link.
QString FinalPath(const QString &path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 128 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? path : info.absoluteFilePath();
}

// The temporary file of one save. Unless the save got as far as its
// rename, it goes with this: a nameless one with its descriptor, a named one
// is unlinked.
struct TTemporary {
    int Fd = -1;
    bool Nameless = false;
    QString Path; // once it has a name

    TTemporary() = default;
    TTemporary(const TTemporary &) = delete;
    TTemporary &operator=(const TTemporary &) = delete;
    ~TTemporary()
    {
        if (Fd >= 0)
            ::close(Fd);
        if (!Path.isEmpty())
            ::unlink(Native(Path).constData());
    }

    bool Open(const QString &folder, const QString &target, mode_t mode)
    {
#ifdef O_TMPFILE
        // Nameless until it is whole: a save killed while writing leaves
        // nothing behind. Not every file system has it.
        Fd = ::open(Native(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (Fd >= 0) {
            Nameless = true;
            return true;
        }
#endif
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QString path = folder + u'/' + TemporarySaveName(target, ::getpid());
            Fd = ::open(Native(path).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode);
            if (Fd >= 0) {
                Path = path;
                return true;
            }
            if (errno != EEXIST)
                return false;
        }
        return false;
    }

    // Gives a nameless file its name for the rename.
    bool Name(const QString &folder, const QString &target)
    {
        if (!Nameless)
            return true;
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(Fd);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QString path = folder + u'/' + TemporarySaveName(target, ::getpid());
            if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, Native(path).constData(), AT_SYMLINK_FOLLOW) ==
                0) {
                Path = path;
                return true;
            }
            if (errno != EEXIST)
                return false;
        }
        return false;
    }

    bool RenameTo(const QString &path)
    {
        if (::rename(Native(Path).constData(), Native(path).constData()) != 0)
            return false;
        Path.clear();
        return true;
    }
};

// The rename itself reaches the disk only with its folder.
void SyncFolder(const QString &folder)
{
    const int fd = ::open(Native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd); // some file systems cannot, and need not
    ::close(fd);
}

// The process that wrote a temporary file is gone: no save of it is under
// way. Our own id belongs to an earlier process, since this one's saves run
// on the thread that clears up.
bool Ended(qint64 pid)
{
    if (pid == ::getpid())
        return true;
    if (pid <= 0 || pid > INT_MAX)
        return false;
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

QString TemporarySaveName(const QString &targetFileName, qint64 pid)
{
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString name = targetFileName + Marker + QString::number(pid) + u'-';
    for (int i = 0; i < 6; ++i)
        name += QLatin1Char(Letters[QRandomGenerator::global()->bounded(int(sizeof Letters - 1))]);
    return name;
}

namespace {
// Passes every write on to the new file and compares it with what the old
// file holds at the same place, so a save that changes nothing can leave
// the old file be (and spare the disk its flush).
class TSameCheck : public QIODevice {
public:
    TSameCheck(QIODevice &target, QFile &old) : FTarget(target), FOld(old), FSame(old.isOpen()) {}

    // Every byte written so far equals the old file, which holds no more.
    bool Same() const { return FSame && FOld.atEnd(); }

protected:
    qint64 readData(char *, qint64) override { return -1; }

    qint64 writeData(const char *data, qint64 size) override
    {
        if (FSame) {
            const QByteArray was = FOld.read(size);
            FSame = was.size() == size && std::memcmp(was.constData(), data, size_t(size)) == 0;
        }
        return FTarget.write(data, size);
    }

private:
    QIODevice &FTarget;
    QFile &FOld;
    bool FSame;
};
} // namespace

TSafeWrite WriteFileSafely(const QString &path, bool ownerOnly, const std::function<bool(QIODevice &)> &write,
                           bool rewriteSame, QString *reason)
{
    // The system's words for the failure, taken before anything else can
    // change errno.
    const auto fail = [reason](TSafeWrite outcome, const QString &why) {
        if (reason)
            *reason = why;
        return outcome;
    };
    const auto system = [] { return qt_error_string(errno); };
    const QString final = FinalPath(path);
    const QFileInfo target(final);
    const QString folder = target.absolutePath();
    struct stat existing {};
    const bool existed = ::stat(Native(final).constData(), &existing) == 0;
    // Something not a file of data in its place is never replaced.
    if (existed && !S_ISREG(existing.st_mode))
        return fail(TSafeWrite::CannotCreate, QString());
    if (existed && ::access(Native(final).constData(), W_OK) != 0)
        return fail(TSafeWrite::CannotCreate, system());

    TTemporary temporary;
    if (!temporary.Open(folder, target.fileName(), ownerOnly && !existed ? 0600 : 0666))
        return fail(TSafeWrite::CannotCreate, system());
    // A replaced file keeps who may read it.
    if (existed && ::fchmod(temporary.Fd, existing.st_mode & 07777) != 0)
        return fail(TSafeWrite::CannotCreate, system());

    {
        QFile old(final);
        // Read for the comparison only where the same bytes may leave it be.
        if (existed && !rewriteSame)
            old.open(QIODevice::ReadOnly);
        QFile file;
        if (!file.open(temporary.Fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
            return fail(TSafeWrite::CannotCreate, system());
        TSameCheck check(file, old);
        check.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        // A short write leaves no error on the file, only errno set by the
        // write that failed after it.
        const auto fileReason = [&file] {
            if (file.error() != QFileDevice::NoError)
                return file.errorString();
            return errno != 0 ? qt_error_string(errno) : QString();
        };
        errno = 0;
        try {
            if (!write(check) || !file.flush() || file.error() != QFileDevice::NoError)
                return fail(TSafeWrite::WriteFailed, fileReason());
        } catch (...) {
            // The writer gave up on a failed write: its reason is the file's.
            fail(TSafeWrite::WriteFailed, fileReason());
            throw;
        }
        // The same bytes: the temporary file goes, the old file stays untouched.
        if (check.Same() && !rewriteSame)
            return TSafeWrite::Done;
    }
    // Whole on the disk before it takes the target's place.
    if (::fsync(temporary.Fd) != 0 || !temporary.Name(folder, target.fileName()))
        return fail(TSafeWrite::WriteFailed, system());
    if (BeforeRename)
        BeforeRename(temporary.Path);
    if (!temporary.RenameTo(final))
        return fail(TSafeWrite::WriteFailed, system());
    SyncFolder(folder);
    return TSafeWrite::Done;
}

TSafeWrite WriteFileSafely(const QString &path, const QByteArray &bytes, bool ownerOnly, QString *reason)
{
    return WriteFileSafely(
        path, ownerOnly, [&bytes](QIODevice &file) { return file.write(bytes) == bytes.size(); }, false,
        reason);
}

QString FolderWriteProblem(const QString &folder)
{
    if (::access(Native(folder).constData(), W_OK | X_OK) != 0)
        return qt_error_string(errno);
    return {};
}

void RemoveLeftoverSaves(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    QDir folder = QFileInfo(paths.first()).absoluteDir();
    QStringList targets;
    for (const QString &path : paths)
        targets << QFileInfo(path).fileName();
    // One look at the folder for all of them. Plain names, not name filters:
    // Qt makes a pattern of each filter, which costs more than the look.
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        if (!name.contains(Marker))
            continue;
        static const QRegularExpression ours(QStringLiteral("^(.+)\\.jbxsave-([0-9]{1,10})-[a-z0-9]{6}$"));
        const QRegularExpressionMatch match = ours.match(name);
        if (!match.hasMatch() || !targets.contains(match.captured(1)))
            continue;
        if (QFileInfo(folder.filePath(name)).ownerId() != ::geteuid() ||
            !Ended(match.captured(2).toLongLong()))
            continue;
        folder.remove(name);
    }
}

void SetBeforeRenameHook(void (*hook)(const QString &)) { BeforeRename = hook; }
