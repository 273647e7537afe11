#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class QIODevice;

enum class TSafeWrite { Done, CannotCreate, WriteFailed };

// Writes the bytes to a temporary file beside the target, flushes it to the
// disk and renames it over the target, so a crash or a full disk never
// leaves a shortened file: the target holds either its old or its new
// content. An existing target's permissions carry over; a new file is made
// readable by its owner only when ownerOnly is set. Bytes equal to what the
// target already holds leave it untouched. On a failure `reason`, when
// given, receives the system's own words for it ("No space left on device").
TSafeWrite WriteFileSafely(const QString &path, const QByteArray &bytes, bool ownerOnly,
                           QString *reason = nullptr);

// The same with the content written by `write` onto the open temporary file.
// When it returns false or throws, the target is left untouched. With
// `rewriteSame` a target that holds the same bytes is replaced all the same.
TSafeWrite WriteFileSafely(const QString &path, bool ownerOnly, const std::function<bool(QIODevice &)> &write,
                           bool rewriteSame = false, QString *reason = nullptr);

// Why nothing can be written into the folder, in the system's words
// ("Read-only file system"); empty when it can be, as far as one can tell
// without writing (a full disk shows only at the write).
QString FolderWriteProblem(const QString &folder);

// The temporary file is nameless while it is written where the file system
// allows; it gets a name of ours only for the rename, or from the start
// where namelessness is not to be had: the target's name + ".jbxsave-" +
// the writing process's id + "-" + six random letters and digits.
QString TemporarySaveName(const QString &targetFileName, qint64 pid);

// Removes what saves killed before their rename left beside the files at
// `paths` (all in one folder): only files named as above whose process has
// ended. Such a file is never read, and each is a whole copy of the data,
// so they would pile up crash by crash. Anything else, a copy the user made
// included, stays.
void RemoveLeftoverSaves(const QStringList &paths);

// For tests of what a killed save leaves: called with the temporary file's
// path once it has its name, just before the rename. Null for none.
void SetBeforeRenameHook(void (*hook)(const QString &temporaryPath));
