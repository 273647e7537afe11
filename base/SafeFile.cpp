#include "base/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
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

void RemoveLeftoverSaves(const QString &path)
{
    const QFileInfo target(path);
    QDir folder = target.absoluteDir();
    const QRegularExpression leftover(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(target.fileName()) + QStringLiteral("\\.[A-Za-z0-9]{6}")));
    const QStringList names =
        folder.entryList({target.fileName() + QStringLiteral(".??????")}, QDir::Files | QDir::Hidden);
    for (const QString &name : names)
        if (leftover.match(name).hasMatch())
            folder.remove(name);
}
