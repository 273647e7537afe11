#include "SyncCommand.h"
#include "FolderGuard.h"

#include "base/Clock.h"
#include "model/TDataStore.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "platform/SingleInstance.h"
#include "platform/TKeyring.h"
#include "settings/TUserInfo.h"
#include "sync/PasswordCommand.h"
#include "sync/TSyncRound.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <cstdio>

namespace {

int Fail(const QString &message)
{
    std::fprintf(stderr, "jbxtool: %s\n", qPrintable(message));
    return 2;
}

// A locked keyring may wait for someone to unlock it, who is not there
// when cron runs this.
constexpr int KKeyringWaitMs = 20000;

// The password the program keeps in the desktop's keyring for the account.
// The keyring answers through the event loop: a loop of its own runs here
// until it has, or for KKeyringWaitMs at most.
bool KeyringPassword(const QString &key, QString &password, QString &error)
{
    TKeyring keyring;
    QEventLoop loop;
    bool answered = false, ok = false;
    keyring.Read(key, nullptr, [&](bool read, const QString &text, const QString &why) {
        answered = true;
        ok = read;
        password = text;
        error = why;
        loop.quit();
    });
    QTimer::singleShot(KKeyringWaitMs, &loop, &QEventLoop::quit);
    loop.exec();
    if (!answered)
        error = QStringLiteral("the keyring did not answer within %1 seconds; it may be locked.")
                    .arg(KKeyringWaitMs / 1000);
    return answered && ok;
}

} // namespace

int SyncFolder(const QString &folder, bool allowManyDeletions)
{
    const QString dir = QDir(folder).absolutePath() + u'/';
    // The program's own lock: a running program syncs by itself, and must
    // not start while this round changes its data file.
    TSingleInstance instance(QStringLiteral("App_ZEL_Task_Sheet"));
    if (!instance.TryLock(0))
        return Fail(instance.Error().isEmpty()
                        ? QStringLiteral("the program is running; it syncs by itself (Jotterbox --sync-now)")
                        : instance.Error());
    // The folder's own lock sees the program also where the runtime folder
    // does not (cron runs this without one), and keeps it from starting
    // while the round writes.
    TFolderLock folderLock(dir);
    if (const QString why = LockProgramFolder(folderLock); !why.isEmpty())
        return Fail(why + QStringLiteral("; it syncs by itself (Jotterbox --sync-now)"));

    TUserInfo settings(dir);
    settings.LoadSettings();
    if (settings.SyncUrl.isEmpty())
        return Fail(QStringLiteral("no sync server is set up in %1 ([Sync] Url)").arg(settings.FileName()));
    TCalDavClient::TOptions options;
    options.Url = QUrl(settings.SyncUrl);
    options.User = settings.SyncUser;
    options.CaFile = settings.SyncCaFile;
    QString error;
    if (!settings.SyncPasswordCommand.isEmpty()) {
        if (!RunPasswordCommand(settings.SyncPasswordCommand, options.Password, error))
            return Fail(error);
    } else if (!KeyringPassword(TKeyring::Key(settings.SyncUser, settings.SyncUrl), options.Password,
                                error)) {
        return Fail(
            QStringLiteral("no sync password: %1 (PasswordCommand in [Sync] of %2 names a command that "
                           "prints it; the program's Sync page stores it in the keyring)")
                .arg(error, settings.FileName()));
    }

    const QString dataPath = dir + QStringLiteral("Jotterbox.dat");
    TTaskList list(settings);
    TModifiedFlag modified;
    TDataStore store(dataPath, list, modified, nullptr);
    const TLoadResult load = store.Load();
    if (store.State() != TDataStore::TState::Whole)
        return Fail(QStringLiteral("%1 did not read whole (%2): start the program once to keep it aside")
                        .arg(dataPath, load.Read.Error));

    const QString statePath = TSyncState::FileNameFor(dataPath);
    TSyncState state;
    state.Load(statePath);
    state.BelongTo(settings.SyncUrl, settings.SyncUser);

    TCalDavClient client(options);
    const TSyncSnapshot snapshot = TSyncSnapshot::Take(list, settings, TClock::Now());
    TSyncOutcome outcome = RunSyncRound(client, snapshot, state, allowManyDeletions);
    if (outcome.Result == TSyncOutcome::AskDeletions) {
        std::fprintf(stderr,
                     "jbxtool: this round would delete %d tasks; nothing was changed. Run it with "
                     "--allow-deletions to let it.\n",
                     outcome.DeletionsAsked);
        return 1;
    }
    const TSyncApplied applied = ApplySyncOutcome(list, snapshot, outcome);
    // A round that deletes here keeps the file as it was first: nobody is
    // there to be asked whether the server was right.
    if (!applied.Removed.empty()) {
        const QString backup = dir + QStringLiteral("Jotterbox_BeforeSync.dat");
        QFile::remove(backup);
        if (!QFile::copy(dataPath, backup))
            return Fail(
                QStringLiteral("could not keep %1 as %2 before deleting tasks").arg(dataPath, backup));
    }
    for (TTask *task : applied.Removed)
        list.DisposeRemoved(task);
    if (!applied.Added.empty() || !applied.Updated.empty() || !applied.Removed.empty()) {
        modified.Mark();
        const TSaveResult saved = store.Save(TDataStore::TSaveKind::Changes);
        if (!saved.Ok)
            return Fail(saved.Error); // the state stays as it was: the next round redoes this one
    }
    if (!outcome.State.Save(statePath))
        return Fail(QStringLiteral("could not write %1").arg(statePath));
    for (const QString &refused : std::as_const(outcome.Refused))
        std::fprintf(stderr, "jbxtool: the server turned down %s; it is sent again next time\n",
                     qPrintable(refused));
    if (outcome.Result == TSyncOutcome::Failed)
        return Fail(outcome.Failure.Message + QStringLiteral(" (") + SyncSummary(outcome) +
                    QStringLiteral(" first)"));
    std::printf("synced: %s\n", qPrintable(SyncSummary(outcome)));
    return 0;
}
