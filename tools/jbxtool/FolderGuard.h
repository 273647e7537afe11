#pragma once

#include "platform/FolderLock.h"

#include <QString>

// The program folder's lock, taken by every command that writes into a
// program folder, so it never writes behind a running program. Empty when
// the command may go on (the lock held, or a folder that keeps none: said on
// stderr), else why not.
QString LockProgramFolder(TFolderLock &lock);

// Whether writing `path` writes into a program folder: one of the program's
// own files, or a folder whose program has run (its lock file is there).
bool InProgramFolder(const QString &path);
