#include "model/TDataStore.h"

#include "base/Clock.h"
#include "base/JbxError.h"
#include "base/RegularFile.h"
#include "base/SafeFile.h"
#include "model/TStream.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "settings/TUserInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>

namespace {
// The folder part of a path, with its trailing separator.
QString FolderOf(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.left(cut + 1);
}
} // namespace

TDataStore::TDataStore(QString dataPath, TTaskList &list, TModifiedFlag &modified, TUserInfo *settings)
    : FDataPath(std::move(dataPath)), FFolder(FolderOf(FDataPath)), FList(list), FModified(modified),
      FSettings(settings), FSavePath(FDataPath), FRecoveryFolders(DefaultRecoveryFolders())
{
}

TReadResult TDataStore::ReadFile(const QString &path, TTaskList &list)
{
    TReadResult result;
    // One read of the whole file: parsing from memory is many times faster
    // than field-sized reads from the device.
    TFileRead file = ReadRegularFile(path, MaxFileBytes);
    if (!file.Ok()) {
        const bool missing = file.Outcome == TFileRead::Missing;
        result.Outcome = missing ? TReadResult::Missing : TReadResult::Unopenable;
        result.Error = missing ? JbxMessages::CannotOpenFile(path)
                               : WithReason(JbxMessages::CannotOpenFile(path), file.Reason);
        return result;
    }
    result.Bytes = std::move(file.Bytes);
    TMemoryStream stream(result.Bytes);
    try {
        list.LoadFromStream(stream);
    } catch (const EJbxError &error) {
        result.Outcome = TReadResult::Broken;
        result.Error = error.Message();
        result.StopAt = stream.Position();
        return result;
    }
    result.StopAt = stream.Position();
    // A count damaged to fewer tasks than the file holds reads like a whole
    // file; saved as it stands, the rest would be gone.
    result.BytesAfter = stream.BytesLeft();
    result.Outcome = result.BytesAfter > 0 ? TReadResult::ShortCount : TReadResult::Whole;
    return result;
}

void TDataStore::WriteFile(const TTaskList &list, const QString &path, bool rewriteSame, QString *reason)
{
    list.SaveToFile(path, rewriteSame, reason);
}

QStringList TDataStore::DefaultRecoveryFolders()
{
    // The user's data folder as the desktop names it (a relative one is to
    // be ignored), then the home folder itself.
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return {data + QStringLiteral("/Jotterbox"), QDir::homePath()};
}

QString TDataStore::FolderProblem() const
{
    const QString problem = FolderWriteProblem(FFolder.isEmpty() ? QStringLiteral(".") : FFolder);
    return problem.isEmpty() ? problem : WithReason(JbxMessages::CannotCreateFile(FSavePath), problem);
}

TLoadResult TDataStore::Load()
{
    TLoadResult result;
    if (FState != TState::Unloaded)
        return result;
    // The one instance holds the lock: no save of another runs here now.
    QStringList saved{FDataPath};
    if (FSettings)
        saved << FSettings->FileName();
    for (int day = 0; day < 7; ++day) // seven days in a row: every weekday's backup
        saved << BackupFileName(day);
    RemoveLeftoverSaves(saved);

    result.Read = ReadFile(FDataPath, FList);
    if (result.Read.Complete()) {
        FState = TState::Whole;
        return result;
    }
    // The tasks read so far stay; the file itself must survive the first
    // save, which would otherwise replace it with just those tasks. Kept
    // aside, it may be saved over; if not, the session's tasks go to a file
    // of their own, named now, so the user is told once where to find them.
    try {
        result.KeptAs = KeepDamagedFile(result.Read);
        FState = TState::InPart;
    } catch (const EJbxError &keep) {
        result.KeepError = keep.Message();
        FSavePath = result.SavedTo = NewFileBeside(QStringLiteral("Jotterbox_Recovered"));
        FState = TState::Recovering;
    }
    return result;
}

QString TDataStore::KeepDamagedFile(const TReadResult &read)
{
    // What could not be opened as a file of data (a folder, a FIFO, a
    // device, a file past the bound) cannot be copied either: it stays where
    // it is, untouched.
    if (read.Outcome == TReadResult::Unopenable)
        throw EJbxError(read.Error);
    const QString path = NewFileBeside(QStringLiteral("Jotterbox_Damaged"));
    QFile damaged(FDataPath);
    if (!damaged.copy(path))
        throw EJbxError(QCoreApplication::translate("TDataStore", "Cannot copy %1 to %2: %3")
                            .arg(FDataPath, path, damaged.errorString()));
    // A copy takes the permissions of what it copies; like every data file
    // this one is for its owner's eyes only.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    FKeptAs = path;
    return path;
}

// A path beside the data file that names no file yet: `prefix`, the moment,
// and a count when that moment is taken.
QString TDataStore::NewFileBeside(const QString &prefix) const { return NewFileIn(FFolder, prefix); }

QString TDataStore::NewFileIn(const QString &folder, const QString &prefix)
{
    const QString stamp = TClock::Current().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = folder + QStringLiteral("%1_%2.dat").arg(prefix, stamp);
    for (int n = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
        path = folder + QStringLiteral("%1_%2-%3.dat").arg(prefix, stamp).arg(n);
    return path;
}

QString TDataStore::Recover(const QString &failure, const QString &reason, TSaveResult &result)
{
    result.DataFailed = true;
    const QString what = WithReason(failure, reason);
    QString lastReason;
    // The session's file again while it takes the tasks: one file, not one
    // a minute.
    QStringList candidates;
    if (!FRecoveredTo.isEmpty())
        candidates << FRecoveredTo;
    for (const QString &folder : FRecoveryFolders) {
        if (!QDir().mkpath(folder)) {
            lastReason = qt_error_string(errno);
            continue;
        }
        candidates << NewFileIn(QDir(folder).absolutePath() + u'/', QStringLiteral("Jotterbox_Recovered"));
    }
    for (const QString &path : candidates) {
        try {
            WriteFile(FList, path, false, &lastReason);
        } catch (const EJbxError &) {
            continue;
        }
        FRecoveredTo = result.RecoveredTo = path;
        return QCoreApplication::translate("TDataStore", "%1\n\nYour tasks were saved to %2 instead.")
            .arg(what, path);
    }
    return QCoreApplication::translate("TDataStore",
                                       "%1\n\nYour tasks could not be saved anywhere else either "
                                       "(%2). Free some space or make the folder writable.")
        .arg(what, lastReason);
}

TSaveResult TDataStore::Save(TSaveKind kind)
{
    TSaveResult result;
    if (FState == TState::Unloaded)
        return result;
    // A list read only in part must not take the place of a backup that may
    // be the one whole copy left: backups wait for a start that reads the
    // file whole. An abrupt end has no time for one.
    const bool backups = FState == TState::Whole && FSettings && kind != TSaveKind::AbruptEnd;
    if (kind == TSaveKind::Final)
        FState = TState::Ended;
    const bool ending =
        kind == TSaveKind::Everything || kind == TSaveKind::SessionEnd || kind == TSaveKind::Final;
    try {
        // The file of its own, for a data file that may not be saved over,
        // is made for something new only: without a change there is nothing
        // to keep that the data file does not hold.
        const bool writeData = FModified || (ending && FSavePath == FDataPath);
        if (writeData) {
            QString reason;
            try {
                WriteFile(FList, FSavePath, false, &reason);
            } catch (const EJbxError &error) {
                throw EJbxError(Recover(error.Message(), reason, result));
            }
            FModified.Clear();
            result.DataWritten = true;
        }
        if (writeData || ending || kind == TSaveKind::AbruptEnd)
            SaveSettings();
        const TDateTime now = TClock::Now();
        if (backups && BackupDueAt(now)) {
            // Made afresh when due, even over a file of the same bytes.
            QString reason;
            try {
                WriteFile(FList, BackupFileName(now), true, &reason);
            } catch (const EJbxError &error) {
                throw EJbxError(WithReason(error.Message(), reason));
            }
            FSettings->LastBackup = now;
            SaveSettings();
            result.BackupWritten = true;
        }
    } catch (const EJbxError &error) {
        result.Ok = false;
        result.Error = error.Message();
    } catch (...) {
        // Nobody is left to tell at an abrupt end; elsewhere it is no file error.
        if (kind != TSaveKind::AbruptEnd)
            throw;
        result.Ok = false;
    }
    if (kind == TSaveKind::SessionEnd && result.Ok && FState != TState::Ended)
        FState = TState::SessionEnded;
    return result;
}

void TDataStore::SaveSettings()
{
    if (FSettings)
        FSettings->SaveSettings();
}

bool TDataStore::BackupDueAt(TDateTime now) const
{
    // A last backup later than now was made while the clock ran ahead, or
    // its date was read in another locale's order: waiting for that day
    // would leave the backups stale for as long, so one is due at once.
    return now - FSettings->LastBackup >= 1.0 || FSettings->LastBackup > now;
}

QDateTime TDataStore::BackupDue() const
{
    if (FState != TState::Whole || !FSettings)
        return {};
    return DateTimeToQDateTime(FSettings->LastBackup + 1.0);
}

bool TDataStore::BackupDueNow() const
{
    return FState == TState::Whole && FSettings && BackupDueAt(TClock::Now());
}

QString TDataStore::BackupFileName(TDateTime moment) const
{
    return FFolder + QStringLiteral("Jotterbox_Backup_%1.dat").arg(DayOfTheWeek(moment) % 7);
}
