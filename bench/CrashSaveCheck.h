#pragma once

// The checks after each kill of the crash test of the save: the data file
// and every backup read whole by the program's own tool and compared byte
// for byte with the old and the new content; the order of the save's steps
// kept; no leftover files in the program folder.

#include "CrashSaveChild.h"

#include "settings/TUserInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include <array>
#include <sys/stat.h>

namespace CrashSave {

constexpr int TaskCount = 20000;
constexpr int BackupCount = 7;

inline QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() &&
           file.flush();
}

// The program folder and what is known about it.
struct TFolder {
    QString Path; // with a trailing slash
    QByteArray Old;
    QByteArray New;
    QByteArray Ini; // DebugMode on, no tips, LastBackup 0
    QStringList Environment;

    QString File(const QString &name) const { return Path + name; }
    QString DataFile() const { return File(QStringLiteral("Jotterbox.dat")); }
    QString BackupFile(int n) const { return File(QStringLiteral("Jotterbox_Backup_%1.dat").arg(n)); }
};

// The files an installed folder holds, and those the program writes.
inline bool KnownName(const QString &name)
{
    static const QSet<QString> Installed = {QStringLiteral("Jotterbox"),     QStringLiteral("startjbx"),
                                            QStringLiteral("jbxtool"),       QStringLiteral("libjbxsound.so"),
                                            QStringLiteral("notify.wav"),    QStringLiteral("Jotterbox.html"),
                                            QStringLiteral("tips.txt"),      QStringLiteral("skins"),
                                            QStringLiteral("Jotterbox.dat"), QStringLiteral("Jotterbox.ini")};
    // The folder's lock stays for the next start: it is no save's leftover.
    if (Installed.contains(name) || name == QLatin1String(".Jotterbox.lock"))
        return true;
    for (int n = 0; n < BackupCount; ++n)
        if (name == QStringLiteral("Jotterbox_Backup_%1.dat").arg(n) ||
            name == QStringLiteral("%1.log").arg(n))
            return true;
    return false;
}

// How far the save had got, from the files left behind: the data file, then
// the backup, then the settings that note the backup.
enum class TStage { NothingSaved, DataSaved, BackupSaved, BackupNoted };

struct TTally {
    int Trials = 0;
    int Landed = 0;        // the process was still running when the kill came
    int MidWrite = 0;      // ... with a temporary save file open
    int MidWriteBytes = 0; // ... that already held some of its bytes
    int Phase[4] = {};
    int Stage[4] = {};
    int DataOld = 0, DataNew = 0, BackupOld = 0, BackupNew = 0;
};

struct TTotals {
    int FilesChecked = 0;
    int Failures = 0;
    int Leftovers = 0;
    QStringList Messages;
    QString FailureFolder;
};

inline void Fail(TTotals &totals, const QString &message)
{
    ++totals.Failures;
    if (totals.Messages.size() < 40)
        totals.Messages << message;
}

// Keeps a copy of a file that failed, for a look afterwards.
inline void KeepFailedFile(TTotals &totals, const QString &path, int trial)
{
    if (totals.FailureFolder.isEmpty()) {
        totals.FailureFolder = QDir::temp().filePath(
            QStringLiteral("bench_crashsave_failures_%1").arg(QCoreApplication::applicationPid()));
        QDir().mkpath(totals.FailureFolder);
    }
    QFile::copy(path,
                totals.FailureFolder + QStringLiteral("/trial%1_").arg(trial) + QFileInfo(path).fileName());
}

enum class TContent { Old, New, Other };

// Checks one data file both ways: the program's own reader must find it
// whole, and its bytes must be the old or the new content exactly.
inline TContent CheckFile(const TFolder &folder, const QString &path, int trial, TTotals &totals)
{
    ++totals.FilesChecked;
    TCrashSaveChild tool;
    const bool started = tool.Start(folder.File(QStringLiteral("jbxtool")), {QStringLiteral("check"), path},
                                    folder.Environment);
    tool.ReadToEnd();
    tool.Wait();
    const QByteArray report = tool.Output();
    const QByteArray whole = ": complete: " + QByteArray::number(TaskCount) + " tasks\n";
    if (!started || tool.ExitCode() != 0 || !report.contains(whole) || report.contains("note:"))
        Fail(totals, QStringLiteral("trial %1: jbxtool check %2: exit %3: %4")
                         .arg(trial)
                         .arg(path)
                         .arg(tool.ExitCode())
                         .arg(QString::fromLocal8Bit(report.trimmed())));
    const QByteArray bytes = ReadAll(path);
    if (bytes == folder.Old)
        return TContent::Old;
    if (bytes == folder.New)
        return TContent::New;
    qsizetype same = 0;
    while (same < qMin(bytes.size(), folder.New.size()) && bytes[same] == folder.New[same])
        ++same;
    Fail(totals, QStringLiteral("trial %1: %2 is neither old nor new: %3 bytes (old %4, new %5), "
                                "the same as the new for the first %6")
                     .arg(trial)
                     .arg(path)
                     .arg(bytes.size())
                     .arg(folder.Old.size())
                     .arg(folder.New.size())
                     .arg(same));
    if (trial >= 0)
        KeepFailedFile(totals, path, trial);
    return TContent::Other;
}

// Which file a path names now: a save renames a new one into place.
inline ino_t Inode(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

using TInodes = std::array<ino_t, BackupCount>;

inline TInodes BackupInodes(const TFolder &folder)
{
    TInodes inodes{};
    for (int n = 0; n < BackupCount; ++n)
        inodes[size_t(n)] = Inode(folder.BackupFile(n));
    return inodes;
}

// Checks the folder after a kill; returns how far the save had got. `before`
// tells which backups were there before the trial: a backup keeps what
// earlier trials wrote. `scanned`: the reminder scan came before the save,
// so whatever the save wrote must be the new content.
inline TStage CheckFolder(const TFolder &folder, const TInodes &before, bool scanned, int trial,
                          TTally &tally, TTotals &totals)
{
    const TContent data = CheckFile(folder, folder.DataFile(), trial, totals);
    tally.DataOld += data == TContent::Old;
    tally.DataNew += data == TContent::New;
    int written = 0, writtenNew = 0;
    for (int n = 0; n < BackupCount; ++n) {
        const TContent backup = CheckFile(folder, folder.BackupFile(n), trial, totals);
        tally.BackupOld += backup == TContent::Old;
        tally.BackupNew += backup == TContent::New;
        if (Inode(folder.BackupFile(n)) != before[size_t(n)]) {
            ++written;
            writtenNew += backup == TContent::New;
        }
    }
    // The save writes the data file, then the backup, then notes the backup
    // in the settings: a later step done means every earlier one is whole.
    TUserInfo settings(folder.Path);
    settings.LoadSettings();
    const QByteArray ini = ReadAll(folder.File(QStringLiteral("Jotterbox.ini")));
    if (!ini.contains("[Data]") || !ini.contains("LastBackup="))
        Fail(totals,
             QStringLiteral("trial %1: Jotterbox.ini is not whole (%2 bytes)").arg(trial).arg(ini.size()));
    if (written > 1)
        Fail(totals, QStringLiteral("trial %1: %2 backups were written by one save").arg(trial).arg(written));
    if (scanned && written > writtenNew)
        Fail(totals, QStringLiteral("trial %1: a backup was written with the old content").arg(trial));
    if (scanned && written > 0 && data != TContent::New)
        Fail(totals,
             QStringLiteral("trial %1: the backup was written but the data file is not new").arg(trial));
    if (settings.LastBackup > 0 && written == 0)
        Fail(totals, QStringLiteral("trial %1: the settings note a backup that is not on disk").arg(trial));

    const QStringList entries =
        QDir(folder.Path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : entries) {
        if (KnownName(name))
            continue;
        ++totals.Leftovers;
        const QByteArray bytes = ReadAll(folder.File(name));
        const QString holds = bytes == folder.New   ? QStringLiteral("the new content, whole")
                              : bytes == folder.Old ? QStringLiteral("the old content, whole")
                                                    : QStringLiteral("%1 bytes").arg(bytes.size());
        if (totals.Messages.size() < 40)
            totals.Messages << QStringLiteral("trial %1: leftover file %2 (%3)").arg(trial).arg(name, holds);
        QFile::remove(folder.File(name)); // counted once
    }
    if (settings.LastBackup > 0)
        return TStage::BackupNoted;
    if (writtenNew > 0)
        return TStage::BackupSaved;
    return data == TContent::New ? TStage::DataSaved : TStage::NothingSaved;
}

} // namespace CrashSave
