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

void RemoveLeftoverSaves(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    // Qt names the temporary file with six random letters of mixed case. A
    // suffix in one case or a capitalised word (".backup", ".BACKUP",
    // ".Backup") is more likely a copy the user made and is left alone; a
    // leftover of ours that happens to look like one stays, harmlessly.
    const QRegularExpression userLike(QStringLiteral("^(?:[a-z]{6}|[A-Z]{6}|[A-Z][a-z]{5})$"));
    const QRegularExpression letters(QStringLiteral("^[A-Za-z]{6}$"));
    QDir folder = QFileInfo(paths.first()).absoluteDir();
    QStringList targets, filters;
    for (const QString &path : paths) {
        targets << QFileInfo(path).fileName();
        filters << targets.last() + QStringLiteral(".??????");
    }
    // One look at the folder for all of them.
    for (const QString &name : folder.entryList(filters, QDir::Files | QDir::Hidden)) {
        const QString suffix = name.right(6);
        if (targets.contains(name.chopped(7)) && letters.match(suffix).hasMatch() &&
            !userLike.match(suffix).hasMatch())
            folder.remove(name);
    }
}
