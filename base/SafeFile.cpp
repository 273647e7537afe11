#include "base/SafeFile.h"

#include <QFile>
#include <QSaveFile>

TSafeWrite WriteFileSafely(const QString &path, bool ownerOnly, const std::function<bool(QIODevice &)> &write)
{
    const bool existed = QFile::exists(path);
    QSaveFile file(path); // an uncommitted temporary file is removed with it
    if (!file.open(QIODevice::WriteOnly))
        return TSafeWrite::CannotCreate;
    if (ownerOnly && !existed)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!write(file) || !file.commit())
        return TSafeWrite::WriteFailed;
    return TSafeWrite::Done;
}

TSafeWrite WriteFileSafely(const QString &path, const QByteArray &bytes, bool ownerOnly)
{
    return WriteFileSafely(path, ownerOnly,
                           [&bytes](QIODevice &file) { return file.write(bytes) == bytes.size(); });
}
