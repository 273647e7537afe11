#include "base/Clock.h"
#include "base/JbxError.h"
#include "model/TDataStore.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "settings/IniFile.h"
#include "settings/TUserInfo.h"
#include "support/TestTasks.h"
#include "sync/PasswordCommand.h"
#include "sync/TSyncState.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using TState = TDataStore::TState;
using TSaveKind = TDataStore::TSaveKind;

namespace {
// A Monday.
const QDateTime Monday10(QDate(2026, 12, 7), QTime(10, 0));
constexpr qint64 Minute = 60 * 1000;
constexpr int CountAt = 4 + 5 + 4 + 32; // after the magic and the digest
} // namespace

class TestDataStore : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TUserInfo> FSettings;
    std::unique_ptr<TTaskList> FList;
    std::unique_ptr<TModifiedFlag> FModified;
    std::unique_ptr<TDataStore> FStore;

    QString Path(const QString &name) const { return FDir->filePath(name); }
    QStringList Files(const QString &pattern) const
    {
        return QDir(FDir->path()).entryList({pattern}, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }
    // The data file as the program finds it at start.
    QByteArray WriteDataFile(const QString &kind)
    {
        if (kind == "none")
            return {};
        if (kind == "folder") {
            QDir(FDir->path()).mkdir("Jotterbox.dat");
            return {};
        }
        TUserInfo settings;
        TTaskList tasks(settings);
        for (int i = 0; i < 3; ++i)
            tasks.AddNewTask()->Text = "task " + QByteArray::number(i);
        QByteArray bytes = tasks.SaveToBytes();
        if (kind == "cut")
            bytes.chop(10);
        if (kind == "short count")
            qToLittleEndian<qint32>(1, bytes.data() + CountAt);
        WriteFileBytes(Path("Jotterbox.dat"), bytes);
        return bytes;
    }
    int TasksIn(const QString &path) const
    {
        TUserInfo settings;
        TTaskList read(settings);
        const TReadResult result = TDataStore::ReadFile(path, read);
        return result.Outcome == TReadResult::Whole ? read.Count() : -1;
    }
    void Edit(const QByteArray &text)
    {
        FList->AddNewTask()->Text = text;
        FModified->Mark();
    }

private slots:
    void init()
    {
        FDir = std::make_unique<QTemporaryDir>();
        QVERIFY(FDir->isValid());
        TClock::Set(Monday10);
        FSettings = std::make_unique<TUserInfo>(FDir->path() + u'/');
        FList = std::make_unique<TTaskList>(*FSettings);
        FModified = std::make_unique<TModifiedFlag>();
        FStore = std::make_unique<TDataStore>(Path("Jotterbox.dat"), *FList, *FModified, FSettings.get());
        FStore->SetRecoveryFolders({Path("share/Jotterbox"), Path("home")});
    }

    void cleanup()
    {
        FStore.reset();
        FList.reset();
        FSettings.reset();
        TClock::Reset();
        QLocale::setDefault(QLocale::c());
        FDir.reset();
    }

    // Each kind of file a start can meet, walked from the load through an
    // edit and its save to the final save.
    void eachFileFromLoadToFinalSave_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("state");   // TState after the load
        QTest::addColumn<int>("outcome"); // TReadResult::TOutcome
        QTest::addColumn<int>("read");    // tasks in the list after the load
        QTest::newRow("no file") << "none" << int(TState::Whole) << int(TReadResult::Missing) << 0;
        QTest::newRow("whole") << "whole" << int(TState::Whole) << int(TReadResult::Whole) << 3;
        // The task being read when the file broke stays, with what it got.
        QTest::newRow("cut short, kept aside")
            << "cut" << int(TState::InPart) << int(TReadResult::Broken) << 3;
        QTest::newRow("count short, kept aside")
            << "short count" << int(TState::InPart) << int(TReadResult::ShortCount) << 1;
        QTest::newRow("neither read nor kept")
            << "folder" << int(TState::Recovering) << int(TReadResult::Unopenable) << 0;
    }

    void eachFileFromLoadToFinalSave()
    {
        QFETCH(QString, kind);
        QFETCH(int, state);
        QFETCH(int, outcome);
        QFETCH(int, read);
        const QByteArray before = WriteDataFile(kind);
        QVERIFY(FSettings->LastBackup == 0); // a backup is due at once, where one may be made

        const TLoadResult load = FStore->Load();
        QCOMPARE(int(FStore->State()), state);
        QCOMPARE(int(load.Read.Outcome), outcome);
        QCOMPARE(FList->Count(), read);
        QVERIFY(!*FModified);
        const QString stamp = "20261207-100000";
        switch (TState(state)) {
        case TState::Whole:
            QVERIFY(load.KeptAs.isEmpty() && load.SavedTo.isEmpty());
            QCOMPARE(FStore->BackupDue(), DateTimeToQDateTime(1.0));
            break;
        case TState::InPart:
            QCOMPARE(load.KeptAs, Path("Jotterbox_Damaged_" + stamp + ".dat"));
            QCOMPARE(FStore->DamagedKeptAs(), load.KeptAs);
            QCOMPARE(ReadFileBytes(load.KeptAs), before);
            // The user's alone, as the data file is, whatever the file allowed.
            QVERIFY(!(QFile::permissions(load.KeptAs) & (QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                         QFileDevice::ReadOther | QFileDevice::WriteOther)));
            QCOMPARE(FStore->SavePath(), Path("Jotterbox.dat"));
            QVERIFY(!FStore->BackupDue().isValid());
            break;
        case TState::Recovering:
            QVERIFY(load.KeptAs.isEmpty());
            QVERIFY(!load.KeepError.isEmpty());
            QCOMPARE(load.SavedTo, Path("Jotterbox_Recovered_" + stamp + ".dat"));
            QCOMPARE(FStore->SavePath(), load.SavedTo);
            QVERIFY(!FStore->BackupDue().isValid());
            // Named, not made: with nothing new there is nothing to keep.
            QVERIFY(FStore->Save(TSaveKind::Everything).Ok);
            QCOMPARE(Files("Jotterbox_*"), QStringList());
            break;
        default: QFAIL("no such state after a load");
        }

        TClock::Advance(Minute);
        Edit("typed");
        const TSaveResult saved = FStore->Save(TSaveKind::Changes);
        QVERIFY2(saved.Ok, qPrintable(saved.Error));
        QVERIFY(saved.DataWritten);
        QVERIFY(!*FModified);
        QCOMPARE(TasksIn(FStore->SavePath()), read + 1);
        // Only a whole read replaces a backup.
        const bool whole = TState(state) == TState::Whole;
        QCOMPARE(saved.BackupWritten, whole);
        QCOMPARE(Files("Jotterbox_Backup_*"), whole ? QStringList{"Jotterbox_Backup_1.dat"} : QStringList());
        if (TState(state) == TState::Recovering)
            QVERIFY(QFileInfo(Path("Jotterbox.dat")).isDir()); // never written
        if (TState(state) == TState::InPart)
            QCOMPARE(ReadFileBytes(load.KeptAs), before);

        // The final save ends the store: no backup is waited for any more.
        TClock::Advance(2 * 24 * 60 * Minute);
        QVERIFY(FStore->Save(TSaveKind::Final).Ok);
        QCOMPARE(FStore->State(), TState::Ended);
        QVERIFY(!FStore->BackupDue().isValid());
        QCOMPARE(Files("Jotterbox_Backup_*").size(), whole ? 2 : 0); // the last one, when due
        QCOMPARE(Files("Jotterbox_Damaged_*").size(), TState(state) == TState::InPart ? 1 : 0);
        QCOMPARE(Files("Jotterbox_Recovered_*").size(), TState(state) == TState::Recovering ? 1 : 0);
    }

    // Bytes the file already holds are not written again: the file keeps
    // its moment; the settings still go out at the end.
    void unchangedSaveDoesNotRewrite_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("mark"); // a change reported that changed no byte
        QTest::addColumn<bool>("settings");
        QTest::newRow("minute, nothing marked") << int(TSaveKind::Changes) << false << false;
        QTest::newRow("minute, marked") << int(TSaveKind::Changes) << true << true;
        QTest::newRow("end, nothing marked") << int(TSaveKind::Everything) << false << true;
        QTest::newRow("final, marked") << int(TSaveKind::Final) << true << true;
    }

    void unchangedSaveDoesNotRewrite()
    {
        QFETCH(int, kind);
        QFETCH(bool, mark);
        QFETCH(bool, settings);
        const QByteArray before = WriteDataFile("whole");
        FSettings->LastBackup = TClock::Now(); // no backup due
        FStore->Load();
        const QDateTime old(QDate(2020, 1, 1), QTime(12, 0));
        QFile data(Path("Jotterbox.dat"));
        QVERIFY(data.open(QIODevice::ReadWrite));
        QVERIFY(data.setFileTime(old, QFileDevice::FileModificationTime));
        data.close();
        if (mark)
            FModified->Mark();

        TClock::Advance(Minute);
        const TSaveResult result = FStore->Save(TSaveKind(kind));
        QVERIFY(result.Ok);
        QVERIFY(!*FModified);
        QCOMPARE(ReadFileBytes(Path("Jotterbox.dat")), before);
        QCOMPARE(QFileInfo(Path("Jotterbox.dat")).lastModified(), old);
        QCOMPARE(QFile::exists(Path("Jotterbox.ini")), settings);
        QVERIFY(!result.BackupWritten);
    }

    void backupIsDueADayLaterByWeekday_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("file");
        QTest::newRow("Sunday") << QDate(2026, 12, 6) << "Jotterbox_Backup_0.dat";
        QTest::newRow("Wednesday") << QDate(2026, 12, 9) << "Jotterbox_Backup_3.dat";
        QTest::newRow("Saturday") << QDate(2026, 12, 12) << "Jotterbox_Backup_6.dat";
    }

    void backupIsDueADayLaterByWeekday()
    {
        QFETCH(QDate, day);
        QFETCH(QString, file);
        const QDateTime due(day, QTime(9, 0));
        FSettings->LastBackup = QDateTimeToDateTime(due.addDays(-1));
        FStore->Load();
        QCOMPARE(FStore->BackupDue(), due);

        TClock::Set(due.addSecs(-60));
        QVERIFY(!FStore->Save(TSaveKind::Changes).BackupWritten);
        QCOMPARE(Files("Jotterbox_Backup_*"), QStringList());

        TClock::Set(due);
        const TSaveResult result = FStore->Save(TSaveKind::Changes);
        QVERIFY(result.Ok && result.BackupWritten && !result.DataWritten);
        QCOMPARE(Files("Jotterbox_*"), QStringList{file});
        QCOMPARE(FSettings->LastBackup, QDateTimeToDateTime(due));
        QCOMPARE(FStore->BackupDue(), due.addDays(1));
        TUserInfo stored(FDir->path() + u'/');
        stored.LoadSettings();
        QCOMPARE(stored.LastBackup, FSettings->LastBackup);

        // A failed backup leaves the moment, so it is tried again.
        TClock::Set(due.addDays(1));
        const QString next = FStore->BackupFileName(QDateTimeToDateTime(due.addDays(1)));
        QVERIFY(QDir().mkdir(next));
        const TSaveResult failed = FStore->Save(TSaveKind::Changes);
        QVERIFY(!failed.Ok);
        QCOMPARE(failed.Error, QStringLiteral("Cannot create file %1").arg(next));
        QCOMPARE(FSettings->LastBackup, QDateTimeToDateTime(due));
    }

    // The end of a session and of the program, and the abrupt end.
    void theEnds_data()
    {
        QTest::addColumn<QList<int>>("kinds");
        QTest::addColumn<bool>("fail");   // the data file cannot be written
        QTest::addColumn<int>("state");   // after the last save
        QTest::addColumn<bool>("backup"); // one was due all along
        QTest::newRow("session end, then final")
            << QList<int>{int(TSaveKind::SessionEnd), int(TSaveKind::Final)} << false << int(TState::Ended)
            << true;
        QTest::newRow("session end saved")
            << QList<int>{int(TSaveKind::SessionEnd)} << false << int(TState::SessionEnded) << true;
        QTest::newRow("session end refused")
            << QList<int>{int(TSaveKind::SessionEnd)} << true << int(TState::Whole) << false;
        QTest::newRow("final fails") << QList<int>{int(TSaveKind::Final)} << true << int(TState::Ended)
                                     << false;
        QTest::newRow("abrupt end") << QList<int>{int(TSaveKind::AbruptEnd)} << false << int(TState::Whole)
                                    << false;
        QTest::newRow("abrupt end fails")
            << QList<int>{int(TSaveKind::AbruptEnd)} << true << int(TState::Whole) << false;
    }

    void theEnds()
    {
        QFETCH(QList<int>, kinds);
        QFETCH(bool, fail);
        QFETCH(int, state);
        QFETCH(bool, backup);
        FStore->Load();
        Edit("last words");
        if (fail)
            QVERIFY(QDir(FDir->path()).mkdir("Jotterbox.dat"));
        bool ok = true;
        for (int kind : kinds)
            ok = FStore->Save(TSaveKind(kind)).Ok && ok;
        QCOMPARE(ok, !fail);
        QCOMPARE(int(FStore->State()), state);
        QCOMPARE(bool(*FModified), fail); // a failure keeps the change for a later save
        if (!fail)
            QCOMPARE(TasksIn(Path("Jotterbox.dat")), 1);
        QCOMPARE(QFile::exists(Path("Jotterbox.ini")), !fail); // the settings wait for the data
        QCOMPARE(Files("Jotterbox_Backup_*").size(), backup ? 1 : 0);
    }

    // What sits where one of the three files is read may be anything: it is
    // read only when it is a regular file within its bound, never written
    // over, and the start neither hangs nor runs out of memory.
    void specialFilesAreNeitherReadNorReplaced_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<qint64>("bound");
        const QList<QPair<QString, qint64>> files{{"Jotterbox.dat", TDataStore::MaxFileBytes},
                                                  {"Jotterbox.ini", TIniFile::MaxFileBytes},
                                                  {"Jotterbox.sync", qint64(64) << 20}};
        for (const auto &[file, bound] : files)
            for (const char *kind : {"FIFO", "device", "folder", "link loop", "oversized"})
                QTest::addRow("%s, %s", qPrintable(file), kind) << file << QString(kind) << bound;
    }

    void specialFilesAreNeitherReadNorReplaced()
    {
        QFETCH(QString, file);
        QFETCH(QString, kind);
        QFETCH(qint64, bound);
        const QString path = Path(file);
        const QByteArray native = QFile::encodeName(path);
        if (kind == "FIFO")
            QCOMPARE(::mkfifo(native.constData(), 0600), 0);
        else if (kind == "device")
            QVERIFY(QFile::link("/dev/zero", path));
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        else if (kind == "link loop")
            QCOMPARE(::symlink(qPrintable(file), native.constData()), 0);
        else { // sparse: it takes no room on the disk
            QFile big(path);
            QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(bound + 1));
        }
        struct stat before {};
        QCOMPARE(::lstat(native.constData(), &before), 0);

        if (file == "Jotterbox.dat") {
            const TLoadResult load = FStore->Load();
            QCOMPARE(load.Read.Outcome, TReadResult::Unopenable);
            QVERIFY2(load.Read.Error.startsWith("Cannot open file " + path + ": "),
                     qPrintable(load.Read.Error));
            QCOMPARE(FStore->State(), TState::Recovering);
            Edit("typed");
            QVERIFY(FStore->Save(TSaveKind::Final).Ok);
            QCOMPARE(TasksIn(FStore->SavePath()), 1);
        } else if (file == "Jotterbox.ini") {
            FSettings->NextTip = 9;
            FSettings->LoadSettings();
            QCOMPARE(FSettings->NextTip, TUserInfo().NextTip);
            QVERIFY_THROWS_EXCEPTION(EJbxError, FSettings->SaveSettings());
        } else {
            TSyncState state;
            state.SyncToken = "left over";
            QVERIFY(!state.Load(path));
            QVERIFY(state.SyncToken.isEmpty());
        }
        struct stat after {};
        QCOMPARE(::lstat(native.constData(), &after), 0);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_size, before.st_size);
    }

    // A command that never stops printing is cut off, not read until its
    // time is up.
    void endlessPasswordCommandIsCutOff()
    {
        QString password, error;
        QVERIFY(!RunPasswordCommand("yes", password, error, 60000));
        QCOMPARE(error, QStringLiteral("The password command printed more than 64 KiB."));
        QVERIFY(password.isEmpty());
        QVERIFY(RunPasswordCommand("printf 'secret\\nmore'", password, error));
        QCOMPARE(password, QStringLiteral("secret"));
    }

    // A save that cannot go to its place goes whole to the session's one
    // recovery file, in the first folder that takes it, and says where and
    // why; once the place takes it again, the saves go there.
    void aSaveThatCannotGoToItsPlaceIsRecovered_data()
    {
        QTest::addColumn<QStringList>("blocked"); // recovery folders made unusable
        QTest::addColumn<QString>("recovered");   // where the tasks went, empty: nowhere
        QTest::newRow("the user's data folder") << QStringList() << "share/Jotterbox";
        QTest::newRow("the home folder") << QStringList{"share"} << "home";
        QTest::newRow("nowhere") << QStringList{"share", "home"} << QString();
    }

    void aSaveThatCannotGoToItsPlaceIsRecovered()
    {
        QFETCH(QStringList, blocked);
        QFETCH(QString, recovered);
        for (const QString &name : blocked) // a file where the folder would be
            QVERIFY(WriteFileBytes(Path(name), "in the way"));
        FStore->Load();
        Edit("typed before the folder failed");
        QVERIFY(QDir().mkdir(Path("Jotterbox.dat")));

        for (int minute = 1; minute <= 2; ++minute) {
            TClock::Advance(Minute);
            Edit("typed " + QByteArray::number(minute));
            const TSaveResult result = FStore->Save(TSaveKind::Changes);
            QVERIFY(!result.Ok && result.DataFailed);
            QVERIFY(*FModified); // the place still waits for it
            QVERIFY2(result.Error.startsWith("Cannot create file " + Path("Jotterbox.dat") + "\n\n"),
                     qPrintable(result.Error));
            QCOMPARE(result.TasksKept(), !recovered.isEmpty());
            if (recovered.isEmpty()) {
                QVERIFY2(result.Error.contains("could not be saved anywhere else"), qPrintable(result.Error));
                QCOMPARE(result.RecoveredTo, QString());
                continue;
            }
            // One file for the session, written over by each save.
            const QStringList files = QDir(Path(recovered)).entryList({"Jotterbox_Recovered_*.dat"});
            QCOMPARE(files, QStringList{"Jotterbox_Recovered_20261207-100100.dat"});
            QCOMPARE(result.RecoveredTo, Path(recovered + "/" + files.first()));
            QVERIFY2(result.Error.endsWith(result.RecoveredTo + " instead."), qPrintable(result.Error));
            QCOMPARE(TasksIn(result.RecoveredTo), minute + 1);
        }

        QVERIFY(QDir().rmdir(Path("Jotterbox.dat")));
        const TSaveResult fixed = FStore->Save(TSaveKind::Changes);
        QVERIFY(fixed.Ok && fixed.DataWritten && fixed.RecoveredTo.isEmpty());
        QCOMPARE(TasksIn(Path("Jotterbox.dat")), 3);
    }

    // A last backup later than now (the clock ran ahead once, or the date
    // was read in another locale's order) does not hold the backups up
    // until that day; the moment is written so that every locale reads it
    // back as the same moment.
    void lastBackupInTheFutureIsDue_data()
    {
        QTest::addColumn<QString>("stored"); // LastBackup as the file holds it, empty: as saved
        QTest::addColumn<QDateTime>("last");
        QTest::addColumn<QDateTime>("now");
        const QDateTime now(QDate(2027, 1, 5), QTime(12, 0));
        // 5 January as Britain writes it, which the US reads as 1 May.
        QTest::newRow("en_GB date read under en_US") << "05/01/2027 09:00:00" << QDateTime() << now;
        QTest::newRow("clock set ahead, then back") << QString() << now.addDays(30) << now;
    }

    void lastBackupInTheFutureIsDue()
    {
        QFETCH(QString, stored);
        QFETCH(QDateTime, last);
        QFETCH(QDateTime, now);
        QLocale::setDefault(QLocale("en_GB"));
        if (stored.isEmpty()) {
            TClock::Set(last);
            FSettings->LastBackup = QDateTimeToDateTime(last);
            FSettings->SaveSettings();
        } else {
            QVERIFY(
                WriteFileBytes(Path("Jotterbox.ini"), "[Data]\r\nLastBackup=" + stored.toLatin1() + "\r\n"));
        }
        QLocale::setDefault(QLocale("en_US"));
        TClock::Set(now);
        FSettings->LoadSettings();
        if (stored.isEmpty()) // written under one locale, read under another as the same moment
            QCOMPARE(FSettings->LastBackup, QDateTimeToDateTime(last));
        QVERIFY(FSettings->LastBackup > TClock::Now());
        FStore->Load();
        QVERIFY(FStore->BackupDueNow());

        const TSaveResult result = FStore->Save(TSaveKind::Changes);
        QVERIFY(result.Ok && result.BackupWritten);
        QCOMPARE(Files("Jotterbox_Backup_*"), QStringList{"Jotterbox_Backup_2.dat"}); // a Tuesday
        QLocale::setDefault(QLocale("en_GB"));
        TUserInfo reread(FDir->path() + u'/');
        reread.LoadSettings();
        QCOMPARE(reread.LastBackup, QDateTimeToDateTime(now));
        QCOMPARE(FStore->BackupDue(), now.addDays(1));
    }

    // Before the load there is nothing of the file in the list: an empty
    // list must not take its place, whatever asks for a save.
    void nothingIsWrittenBeforeTheLoad()
    {
        const QByteArray before = WriteDataFile("whole");
        for (TSaveKind kind :
             {TSaveKind::Changes, TSaveKind::SessionEnd, TSaveKind::Final, TSaveKind::AbruptEnd}) {
            FModified->Mark();
            QVERIFY(FStore->Save(kind).Ok);
        }
        QCOMPARE(FStore->State(), TState::Unloaded);
        QCOMPARE(ReadFileBytes(Path("Jotterbox.dat")), before);
        QCOMPARE(Files("*"), QStringList{"Jotterbox.dat"});
        QVERIFY(!FStore->BackupDue().isValid());
    }
};

QTEST_MAIN(TestDataStore)
#include "tst_datastore.moc"
