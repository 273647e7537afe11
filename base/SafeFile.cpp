#include "base/SafeFile.h"

#include <QFile>
#include <QSaveFile>

TSafeWrite WriteFileSafely(const QString &path, const QByteArray &bytes, bool ownerOnly)
{
    const bool existed = QFile::exists(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return TSafeWrite::CannotCreate;
    if (ownerOnly && !existed)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        file.cancelWriting();
        return TSafeWrite::WriteFailed;
    }
    return TSafeWrite::Done;
}
