#include "base/RegularFile.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
TFileRead Fail(TFileRead::TOutcome outcome, const QString &reason)
{
    TFileRead result;
    result.Outcome = outcome;
    result.Reason = reason;
    return result;
}

QString TooLargeReason(qint64 maxBytes)
{
    return QCoreApplication::translate("RegularFile", "larger than %1 MB").arg(maxBytes / (1 << 20));
}

// Closes the descriptor whichever way the read ends.
struct TDescriptor {
    int Fd;
    ~TDescriptor()
    {
        if (Fd >= 0)
            ::close(Fd);
    }
};
} // namespace

TFileRead ReadRegularFile(const QString &path, qint64 maxBytes)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat link {};
    if (::lstat(native.constData(), &link) != 0)
        return Fail(errno == ENOENT ? TFileRead::Missing : TFileRead::Failed, qt_error_string(errno));
    const TDescriptor file{::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    if (file.Fd < 0)
        return Fail(errno == ENOENT ? TFileRead::Missing : TFileRead::Failed, qt_error_string(errno));
    struct stat info {};
    if (::fstat(file.Fd, &info) != 0)
        return Fail(TFileRead::Failed, qt_error_string(errno));
    if (!S_ISREG(info.st_mode))
        return Fail(TFileRead::NotRegular, QCoreApplication::translate("RegularFile", "not a regular file"));
    if (info.st_size > maxBytes)
        return Fail(TFileRead::TooLarge, TooLargeReason(maxBytes));

    // Sized once from what the file holds now; one byte more tells a file
    // that grew past the bound meanwhile.
    TFileRead result;
    result.Outcome = TFileRead::Read;
    result.Bytes.resize(qsizetype(info.st_size) + 1);
    qint64 got = 0;
    for (;;) {
        if (got == result.Bytes.size()) {
            if (got > maxBytes)
                return Fail(TFileRead::TooLarge, TooLargeReason(maxBytes));
            result.Bytes.resize(qsizetype(std::min<qint64>(maxBytes + 1, 2 * got + 4096)));
        }
        const ssize_t n = ::read(file.Fd, result.Bytes.data() + got, size_t(result.Bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Fail(TFileRead::Failed, qt_error_string(errno));
        if (n == 0)
            break;
        got += n;
    }
    if (got > maxBytes)
        return Fail(TFileRead::TooLarge, TooLargeReason(maxBytes));
    result.Bytes.resize(qsizetype(got));
    return result;
}
