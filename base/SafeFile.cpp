#include "base/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <cstring>

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
                           bool rewriteSame)
{
    QFile old(path);
    // Read for the comparison only where the same bytes may leave it be.
    const bool existed = (!rewriteSame && old.open(QIODevice::ReadOnly)) || old.exists();
    QSaveFile file(path); // an uncommitted temporary file is removed with it
    if (!file.open(QIODevice::WriteOnly))
        return TSafeWrite::CannotCreate;
    if (ownerOnly && !existed)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    TSameCheck check(file, old);
    check.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (!write(check))
        return TSafeWrite::WriteFailed;
    // The same bytes: the temporary file goes, the old file stays untouched.
    if (check.Same() && !rewriteSame)
        return TSafeWrite::Done;
    if (!file.commit())
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
