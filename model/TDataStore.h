#pragma once

#include "base/DateTime.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

class TModifiedFlag;
class TTaskList;
class TUserInfo;

// How a data file read: the program and jbxtool judge a file by this alone.
struct TReadResult {
    enum TOutcome {
        Missing,    // no file: nothing to read, nothing lost
        Whole,      // every task the file counts, and nothing after them
        ShortCount, // the counted tasks read whole, but bytes follow them
        Broken,     // the file broke off mid-way
        Unopenable, // the file is there but could not be opened
    };
    TOutcome Outcome = Missing;
    QString Error;         // Missing, Broken, Unopenable: the reader's message
    qint64 StopAt = -1;    // where reading stopped: the break, or the end of the counted tasks
    qint64 BytesAfter = 0; // ShortCount: the bytes after the counted tasks
    QByteArray Bytes;      // the file as read, for a closer look (jbxtool)

    // Whether the list now holds all the file holds.
    bool Complete() const { return Outcome == Missing || Outcome == Whole; }
    // Whether reading stopped with an error rather than at the count's end.
    bool Failed() const { return Outcome == Broken || Outcome == Unopenable; }
};

// What a start's load found and did about it, for the main window to tell.
struct TLoadResult {
    TReadResult Read;
    QString KeptAs;    // read in part: where the file was kept unchanged
    QString KeepError; // read in part and not kept: why not
    QString SavedTo;   // read in part and not kept: where this session's tasks go
};

// What a save did; a failure leaves the change marked, so a later save
// writes it.
struct TSaveResult {
    bool Ok = true;
    QString Error; // a failure's message, as the error box shows it
    bool DataWritten = false;
    bool BackupWritten = false;
    // The tasks could not be written to their place...
    bool DataFailed = false;
    // ...and went, whole, to this file instead; empty when nowhere.
    QString RecoveredTo;

    // Whether the tasks as they are now are on the disk somewhere.
    bool TasksKept() const { return !DataFailed || !RecoveredTo.isEmpty(); }
};

// The data file of one folder, its daily backups and what the list in
// memory may do to them. Plain: it shows nothing and asks no one; its
// results say what happened.
//
// States and their transitions:
//
//   Unloaded --Load--> Whole        the file read whole (or there was none)
//            --Load--> InPart       read in part; the file was kept aside as
//                                   Jotterbox_Damaged_<time>.dat
//            --Load--> Recovering   read in part, and it could not be kept
//                                   aside: it is never written again, and the
//                                   session's tasks go to
//                                   Jotterbox_Recovered_<time>.dat
//   Whole, InPart, Recovering --Save(SessionEnd) succeeded--> SessionEnded
//   any state but Unloaded    --Save(Final)--> Ended
//
// Saves keep going where the load pointed them in every later state. A
// save that cannot write its file (a full disk, a read-only folder) writes
// the tasks whole to Jotterbox_Recovered_<time>.dat in the first of the
// recovery folders that takes it, one file for the session, and says where.
// Whole alone makes the daily backup: a list that lacks part of the file
// must not replace a backup that may be the one whole copy left; after the
// session's end or the final save none is made (the end's save made the
// one that was due). Unloaded writes nothing: an empty list must not
// replace a file not yet read. In Ended no save timer is armed any more.
class TDataStore {
public:
    enum class TState { Unloaded, Whole, InPart, Recovering, SessionEnded, Ended };

    enum class TSaveKind {
        Changes,    // the minute's save: the data file when something changed
        Everything, // the program is ending: the data file and the settings in any case
        SessionEnd, // the same, at the session's end
        Final,      // the same, the last one
        AbruptEnd,  // the process is ending by force: what changed, and the settings; no backup
    };

    // `settings` holds the moment of the last backup and is written with the
    // data; without it (jbxtool) no backup is made and no settings written.
    TDataStore(QString dataPath, TTaskList &list, TModifiedFlag &modified, TUserInfo *settings);

    TState State() const { return FState; }
    // Where a save that cannot write its file puts the tasks, tried in turn:
    // by default the user's data folder, then the home folder.
    void SetRecoveryFolders(const QStringList &folders) { FRecoveryFolders = folders; }
    static QStringList DefaultRecoveryFolders();
    // Why the data file's folder cannot be written, in the system's words;
    // empty when nothing tells so before a save.
    QString FolderProblem() const;
    // Where saves go: the data file, or the recovery file in Recovering.
    QString SavePath() const { return FSavePath; }
    QString DamagedKeptAs() const { return FKeptAs; }

    // Unloaded only: clears away what killed saves left beside the files,
    // reads the data file into the list and, when it read in part, keeps it
    // aside. Tasks read before a break stay in the list.
    TLoadResult Load();
    // A file error is reported, not thrown (nor anything at an abrupt end);
    // a failed save leaves the change marked.
    TSaveResult Save(TSaveKind kind);

    // When the next daily backup falls due; invalid when none will be made.
    QDateTime BackupDue() const;
    // Whether a save now makes one: also when the last backup lies ahead.
    bool BackupDueNow() const;
    QString BackupFileName(TDateTime moment) const;

    // The largest data file read: 100,000 tasks with long texts fit in it
    // several times over; anything larger is no data file of ours.
    static constexpr qint64 MaxFileBytes = qint64(512) << 20;

    // The reader and the writer of data files, the same for the program and
    // jbxtool. Read appends to `list`; Write leaves a file that already
    // holds the bytes alone unless `rewriteSame`, and throws EJbxError.
    static TReadResult ReadFile(const QString &path, TTaskList &list);
    static void WriteFile(const TTaskList &list, const QString &path, bool rewriteSame = false,
                          QString *reason = nullptr);

private:
    QString NewFileBeside(const QString &prefix) const;
    static QString NewFileIn(const QString &folder, const QString &prefix);
    QString KeepDamagedFile(const TReadResult &read);
    bool BackupDueAt(TDateTime now) const;
    // After the data file failed: the tasks to the session's recovery file;
    // the message for the user either way.
    QString Recover(const QString &failure, const QString &reason, TSaveResult &result);
    void SaveSettings();

    QString FDataPath;
    QString FFolder; // with its trailing separator
    TTaskList &FList;
    TModifiedFlag &FModified;
    TUserInfo *FSettings;
    TState FState = TState::Unloaded;
    QString FSavePath;
    QString FKeptAs;
    QStringList FRecoveryFolders;
    QString FRecoveredTo;
};
