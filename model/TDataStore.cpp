#include "model/TDataStore.h"

#include "base/Clock.h"
#include "base/JbxError.h"
#include "base/SafeFile.h"
#include "model/TStream.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "settings/TUserInfo.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

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
      FSettings(settings), FSavePath(FDataPath)
{
}

TReadResult TDataStore::ReadFile(const QString &path, TTaskList &list)
{
    TReadResult result;
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) {
        result.Outcome = file.exists() ? TReadResult::Unopenable : TReadResult::Missing;
        result.Error = JbxMessages::CannotOpenFile(path);
        return result;
    }
    // One read of the whole file: parsing from memory is many times faster
    // than field-sized reads from the device.
    result.Bytes = file.readAll();
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

void TDataStore::WriteFile(const TTaskList &list, const QString &path, bool rewriteSame)
{
    list.SaveToFile(path, rewriteSame);
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
        result.KeptAs = KeepDamagedFile();
        FState = TState::InPart;
    } catch (const EJbxError &keep) {
        result.KeepError = keep.Message();
        FSavePath = result.SavedTo = NewFileBeside(QStringLiteral("Jotterbox_Recovered"));
        FState = TState::Recovering;
    }
    return result;
}

QString TDataStore::KeepDamagedFile()
{
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
QString TDataStore::NewFileBeside(const QString &prefix) const
{
    const QString stamp = TClock::Current().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = FFolder + QStringLiteral("%1_%2.dat").arg(prefix, stamp);
    for (int n = 2; QFile::exists(path); ++n)
        path = FFolder + QStringLiteral("%1_%2-%3.dat").arg(prefix, stamp).arg(n);
    return path;
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
            WriteFile(FList, FSavePath);
            FModified.Clear();
            result.DataWritten = true;
        }
        if (writeData || ending || kind == TSaveKind::AbruptEnd)
            SaveSettings();
        const TDateTime now = TClock::Now();
        if (backups && now - FSettings->LastBackup >= 1.0) {
            // Made afresh when due, even over a file of the same bytes.
            WriteFile(FList, BackupFileName(now), true);
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

QDateTime TDataStore::BackupDue() const
{
    if (FState != TState::Whole || !FSettings)
        return {};
    return DateTimeToQDateTime(FSettings->LastBackup + 1.0);
}

QString TDataStore::BackupFileName(TDateTime moment) const
{
    return FFolder + QStringLiteral("Jotterbox_Backup_%1.dat").arg(DayOfTheWeek(moment) % 7);
}
