#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class QIODevice;

enum class TSafeWrite { Done, CannotCreate, WriteFailed };

// Writes the bytes to a temporary file beside the target and renames it
// over the target, so a crash or a full disk never leaves a shortened file:
// the target holds either its old or its new content. A new file is made
// readable by its owner only when ownerOnly is set. Bytes equal to what the
// target already holds leave it untouched.
TSafeWrite WriteFileSafely(const QString &path, const QByteArray &bytes, bool ownerOnly);

// The same with the content written by `write` onto the open temporary file.
// When it returns false or throws, the target is left untouched. With
// `rewriteSame` a target that holds the same bytes is replaced all the same.
TSafeWrite WriteFileSafely(const QString &path, bool ownerOnly,
                           const std::function<bool(QIODevice &)> &write, bool rewriteSame = false);

// Removes what saves cut short between their last two steps leave beside
// the files at `paths` (all in one folder): each one's temporary file, named
// its path + "." + six random letters. Such a file is never read, and each
// is a whole copy of the data, so they would pile up crash by crash. Only
// while no other process saves there.
void RemoveLeftoverSaves(const QStringList &paths);
