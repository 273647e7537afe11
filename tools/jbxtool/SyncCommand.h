#pragma once

#include <QString>

// `jbxtool sync FOLDER`: one round with the folder's sync server while the
// program is not running, for cron and tests. The password comes from the
// folder's password command, else from the desktop's keyring under the
// program's key. Exit code 0 when in step, 1 when the round asked before
// deleting, 2 on any failure (no password among them).
int SyncFolder(const QString &folder, bool allowManyDeletions);
