#include "app/TFormMain.h"
#include "base/Clock.h"
#include "base/SafeFile.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "notes/NoteEvents.h"
#include "notes/ReminderEngine.h"
#include "platform/TTrayIcon.h"
#include "platform/TWallClockTimer.h"
#include "settings/TUserInfo.h"
#include "support/FindChild.h"
#include "support/ShellFixture.h"
#include "support/TestTasks.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// A Monday.
const QDateTime Monday10(QDate(2026, 12, 7), QTime(10, 0));
constexpr qint64 Minute = 60 * 1000;

// The main window's two save timers, by their names.
QTimer *TimerSave(const TFormMain &form) { return form.findChild<QTimer *>(QStringLiteral("TimerSave")); }
TWallClockTimer *TimerBackup(const TFormMain &form)
{
    return form.findChild<TWallClockTimer *>(QStringLiteral("TimerBackup"));
}
// Its tray icon and the tray's menu.
TTrayIcon *Tray(const TFormMain &form) { return Child<TTrayIcon>(form, "CoolTrayIcon1"); }
QMenu *TrayMenu() { return TopLevel<QMenu>("PMTray"); }

// The disk as it is when it fills up mid-save: every file this process
// writes stops growing after `bytes`, and the write that would pass it
// fails (EFBIG, with the signal that would otherwise end the process
// ignored). Undone when it goes, whatever the test's outcome.
class TDiskFullAfter {
public:
    explicit TDiskFullAfter(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &FBefore);
        FSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = FBefore;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TDiskFullAfter() { Lift(); }
    void Lift()
    {
        if (FLifted)
            return;
        FLifted = true;
        setrlimit(RLIMIT_FSIZE, &FBefore);
        std::signal(SIGXFSZ, FSignal);
    }

private:
    rlimit FBefore{};
    void (*FSignal)(int) = nullptr;
    bool FLifted = false;
};
} // namespace

class TestFormMain : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> FDir;
    QByteArray FHome, FDataHome;
    QString Path(const QString &name) const { return FDir->filePath(name); }
    // Files where the recovery folders would be: a failed save finds no
    // place at all.
    void BlockRecoveryFolders()
    {
        QVERIFY(WriteFileBytes(Path("home"), "in the way"));
        QVERIFY(WriteFileBytes(Path("share"), "in the way"));
    }

    // A data file beside the program, written by a list of its own.
    void WriteDataFile(const std::function<void(TTaskList &)> &fill)
    {
        TTaskList tasks(UserInfo());
        fill(tasks);
        tasks.SaveToFile(Path("Jotterbox.dat"));
    }

    // The start of the program, as far as the main window goes.
    std::unique_ptr<TFormMain> Start()
    {
        auto form = std::make_unique<TFormMain>();
        form->FormCreate();
        form->FormShow();
        return form;
    }

private slots:
    void init()
    {
        FDir = std::make_unique<QTemporaryDir>();
        QVERIFY(FDir->isValid());
        TClock::Set(Monday10);
        CreateGlobals(FDir->path() + u'/');
        // Where a save that cannot go to its place goes: the test's folders,
        // not the home of whoever runs it.
        FHome = qgetenv("HOME");
        FDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("HOME", QFile::encodeName(Path("home")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(Path("share")));
    }

    void cleanup()
    {
        DestroyGlobals();
        TClock::Reset();
        qputenv("HOME", FHome);
        qputenv("XDG_DATA_HOME", FDataHome);
        FDir.reset();
    }

    void quietHourMakesOneBackupAndNoDataSave()
    {
        TScriptedDialogs dialogs;
        auto form = Start();
        // Nothing unsaved: only the backup is waited for, a minute in.
        QVERIFY(!TimerSave(*form)->isActive());
        QCOMPARE(TimerBackup(*form)->DueAt(), TClock::Current().addMSecs(Minute));
        QDateTime firstTick;
        for (int i = 0; i < 60; ++i) {
            TClock::Advance(Minute);
            if (i == 0)
                firstTick = TClock::Current();
            QVERIFY(form->TimerSaveTimer());
            QVERIFY(!TimerSave(*form)->isActive());
            QCOMPARE(TimerBackup(*form)->DueAt(), firstTick.addDays(1));
            if (i == 0)
                QVERIFY(QFile::remove(Path("Jotterbox_Backup_1.dat")));
        }
        QVERIFY(!QFile::exists(Path("Jotterbox.dat")));
        QVERIFY(!QFile::exists(Path("Jotterbox_Backup_1.dat"))); // not made again
        QCOMPARE(UserInfo().LastBackup, QDateTimeToDateTime(firstTick));
        // The backup wrote the settings, with the moment of the backup.
        TUserInfo stored(AppDir);
        stored.LoadSettings();
        QCOMPARE(stored.LastBackup, UserInfo().LastBackup);
        QVERIFY(dialogs.Errors.isEmpty());
    }

    void changeIsSavedOnceAtTheNextTick()
    {
        UserInfo().LastBackup = TClock::Now(); // no backup due
        auto form = Start();
        TaskList().AddNewTask()->Text = "Buy milk";
        QVERIFY(!TimerSave(*form)->isActive());
        DataModified.Mark(); // the change starts the minute
        QVERIFY(TimerSave(*form)->isActive());
        TClock::Advance(Minute);
        QVERIFY(form->TimerSaveTimer());
        QVERIFY(!DataModified);
        QVERIFY(!TimerSave(*form)->isActive());
        TTaskList read(UserInfo());
        read.LoadFromFile(Path("Jotterbox.dat"));
        QCOMPARE(read.Count(), 1);
        QCOMPARE(read.GetTask(0)->Text, QByteArray("Buy milk"));
        QVERIFY(QFile::exists(Path("Jotterbox.ini")));

        QVERIFY(QFile::remove(Path("Jotterbox.dat")));
        QVERIFY(QFile::remove(Path("Jotterbox.ini")));
        TClock::Advance(Minute);
        QVERIFY(form->TimerSaveTimer());
        QVERIFY(!QFile::exists(Path("Jotterbox.dat")));
        QVERIFY(!QFile::exists(Path("Jotterbox.ini")));
    }

    void backupWaitsFullDayAndGoesToItsWeekday_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("file");
        QTest::newRow("Sunday") << QDate(2026, 12, 6) << "Jotterbox_Backup_0.dat";
        QTest::newRow("Monday") << QDate(2026, 12, 7) << "Jotterbox_Backup_1.dat";
        QTest::newRow("Saturday") << QDate(2026, 12, 12) << "Jotterbox_Backup_6.dat";
    }

    void backupWaitsFullDayAndGoesToItsWeekday()
    {
        QFETCH(QDate, day);
        QFETCH(QString, file);
        const QDateTime due(day, QTime(9, 0));
        UserInfo().LastBackup = QDateTimeToDateTime(due.addDays(-1));
        auto form = Start();

        TClock::Set(due.addSecs(-60));
        QVERIFY(form->TimerSaveTimer());
        QCOMPARE(QDir(FDir->path()).entryList({"Jotterbox_Backup_*"}), QStringList());

        TClock::Set(due);
        QVERIFY(form->TimerSaveTimer());
        QCOMPARE(QDir(FDir->path()).entryList({"Jotterbox_Backup_*"}), QStringList{file});
        QCOMPARE(UserInfo().LastBackup, QDateTimeToDateTime(due));
    }

    void failedSaveKeepsChangeAndRetriesNextMinute()
    {
        TScriptedDialogs dialogs;
        UserInfo().LastBackup = TClock::Now();
        auto form = Start();
        // A folder where the data file belongs: every write of it fails.
        QVERIFY(QDir(FDir->path()).mkdir("Jotterbox.dat"));
        TaskList().AddNewTask()->Text = "Keep me";
        DataModified.Mark();

        QVERIFY(!form->TimerSaveTimer());
        QVERIFY(DataModified);
        QCOMPARE(dialogs.Errors.size(), 1);
        QVERIFY(dialogs.Errors[0].contains("Jotterbox.dat"));
        QVERIFY(TimerSave(*form)->isActive());          // the next minute tries again
        QVERIFY(!QFile::exists(Path("Jotterbox.ini"))); // settings wait for the data

        QVERIFY(QDir(FDir->path()).rmdir("Jotterbox.dat"));
        QVERIFY(form->TimerSaveTimer());
        QVERIFY(!DataModified);
        TTaskList read(UserInfo());
        read.LoadFromFile(Path("Jotterbox.dat"));
        QCOMPARE(read.Count(), 1);
    }

    // The data file must come through a disk that fills up anywhere in the
    // save: at the first byte, inside the header, inside the first buffer,
    // and after a whole buffer has gone out.
    void fullDiskKeepsTheOldFileAndTheChange_data()
    {
        QTest::addColumn<int>("room");
        QTest::newRow("nothing") << 0;
        QTest::newRow("in the header") << 20;
        QTest::newRow("in a task") << 5000;
        QTest::newRow("after the first megabyte") << (1 << 20) + 100;
    }

    void fullDiskKeepsTheOldFileAndTheChange()
    {
        QFETCH(int, room);
        TScriptedDialogs dialogs;
        WriteDataFile([](TTaskList &tasks) {
            for (int i = 0; i < 8000; ++i)
                tasks.AddNewTask()->Text = "Old task " + QByteArray::number(i) + QByteArray(150, 'x');
        });
        const QByteArray before = ReadFileBytes(Path("Jotterbox.dat"));
        QVERIFY(before.size() > room);
        UserInfo().LastBackup = TClock::Now() - 2; // a backup is due as well
        auto form = Start();
        QCOMPARE(TaskList().Count(), 8000);
        TaskList().AddNewTask()->Text = "Written while the disk was full";
        DataModified.Mark();

        TDiskFullAfter full{rlim_t(room)};
        TClock::Advance(Minute);
        QVERIFY(!form->TimerSaveTimer());
        QCOMPARE(dialogs.Errors.size(), 1);
        // The system's words: the disk (here, the file size limit) is full.
        QVERIFY2(dialogs.Errors.first().startsWith("Stream write error: File too large\n\n"),
                 qPrintable(dialogs.Errors.first()));
        QVERIFY(DataModified);
        QVERIFY(TimerSave(*form)->isActive());
        QCOMPARE(ReadFileBytes(Path("Jotterbox.dat")), before);
        // No half-written file left behind, and the backup waits for the data.
        QCOMPARE(QDir(FDir->path()).entryList(QDir::Files), QStringList{"Jotterbox.dat"});

        full.Lift();
        TClock::Advance(Minute);
        QVERIFY(form->TimerSaveTimer());
        QVERIFY(!DataModified);
        QCOMPARE(dialogs.Errors.size(), 1);
        TTaskList read(UserInfo());
        read.LoadFromFile(Path("Jotterbox.dat"));
        QCOMPARE(read.Count(), 8001);
        QCOMPARE(read.GetTask(8000)->Text, QByteArray("Written while the disk was full"));
        QCOMPARE(ReadFileBytes(Path("Jotterbox_Backup_1.dat")), ReadFileBytes(Path("Jotterbox.dat")));
    }

    // A save killed once its temporary file has its name leaves that file
    // behind. The next start clears away what provably came from such a
    // save, and nothing a user may have put there.
    void startRemovesOnlyWhatKilledSavesLeft()
    {
        WriteDataFile([](TTaskList &tasks) { tasks.AddNewTask()->Text = "Saved whole"; });
        const QByteArray before = ReadFileBytes(Path("Jotterbox.dat"));
        // A real save, ended by SIGKILL just before its rename.
        const pid_t child = ::fork();
        if (child == 0) {
            // Never back into the test: the child ends here whatever happens.
            try {
                SetBeforeRenameHook([](const QString &) { ::raise(SIGKILL); });
                TaskList().AddNewTask()->Text = "Killed before the rename";
                TaskList().SaveToFile(Path("Jotterbox.dat"));
            } catch (...) {
            }
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        QCOMPARE(ReadFileBytes(Path("Jotterbox.dat")), before);
        const QStringList killed = QDir(FDir->path()).entryList({"Jotterbox.dat.jbxsave-*"}, QDir::Files);
        QCOMPARE(killed.size(), 1);

        // Ours, of processes that have ended.
        const QStringList leftovers =
            killed + QStringList{TemporarySaveName("Jotterbox.ini", child),
                                 TemporarySaveName("Jotterbox_Backup_3.dat", child)};
        // Copies a user made by hand, other programs' temporary names, and
        // ours of a process that still runs (it may be saving now).
        const QStringList kept = {"Jotterbox.dat.MyCopy",
                                  "Jotterbox.ini.myCopy",
                                  "Jotterbox_Backup_3.dat.KeepMe",
                                  "Jotterbox.dat.CtUGYH",
                                  "Jotterbox.dat.backup",
                                  "Jotterbox.dat.jbxsave-12-ABCDEF",
                                  "Jotterbox.dat.jbxsave-mine",
                                  TemporarySaveName("Notes.dat", child),
                                  TemporarySaveName("Jotterbox.dat", ::getppid()),
                                  "Jotterbox_Damaged_20261207-101500.dat"};
        for (const QString &name : leftovers.mid(1) + kept)
            QVERIFY(WriteFileBytes(Path(name), "x"));
        const QString folderLikeOurs = TemporarySaveName("Jotterbox.dat", child);
        QVERIFY(QDir(FDir->path()).mkdir(folderLikeOurs));
        TScriptedDialogs dialogs;
        auto form = Start();
        QVERIFY(dialogs.Errors.isEmpty());
        QCOMPARE(TaskList().Count(), 1);
        QStringList expected = kept + QStringList{"Jotterbox.dat"};
        expected.sort();
        QCOMPARE(QDir(FDir->path()).entryList(QDir::Files, QDir::Name), expected);
        QVERIFY(QFileInfo(Path(folderLikeOurs)).isDir());
    }

    void failedBackupIsTriedAgain()
    {
        TScriptedDialogs dialogs;
        auto form = Start();
        QVERIFY(QDir(FDir->path()).mkdir("Jotterbox_Backup_1.dat"));
        QVERIFY(!form->TimerSaveTimer());
        QCOMPARE(UserInfo().LastBackup, 0.0);
        QVERIFY(QDir(FDir->path()).rmdir("Jotterbox_Backup_1.dat"));
        TClock::Advance(Minute);
        QVERIFY(form->TimerSaveTimer());
        QVERIFY(QFile::exists(Path("Jotterbox_Backup_1.dat")));
    }

    void finalSaveWritesBothFilesWithNothingChanged()
    {
        UserInfo().LastBackup = TClock::Now();
        WriteDataFile([](TTaskList &tasks) { tasks.AddNewTask()->Text = "Old"; });
        const QByteArray before = ReadFileBytes(Path("Jotterbox.dat"));
        QVERIFY(QFile::remove(Path("Jotterbox.ini")) || !QFile::exists(Path("Jotterbox.ini")));
        auto form = Start();
        QVERIFY(QFile::remove(Path("Jotterbox.dat")));
        QVERIFY(!DataModified);
        form->FormDestroy();
        QCOMPARE(ReadFileBytes(Path("Jotterbox.dat")), before);
        QVERIFY(QFile::exists(Path("Jotterbox.ini")));
        QVERIFY(!TimerSave(*form)->isActive());
    }

    void failedFinalSaveIsShownAndWaitedOn()
    {
        TScriptedDialogs dialogs;
        auto form = Start();
        QVERIFY(QDir(FDir->path()).mkdir("Jotterbox.dat"));
        form->FormDestroy();
        QCOMPARE(dialogs.WaitedErrors.size(), 1);
    }

    void startReopensSavedNotesAndAlertsForUnseenOnes()
    {
        WriteDataFile([](TTaskList &tasks) {
            tasks.AddNewTask()->Text = "first";
            TTask *open = tasks.AddNewTask();
            open->Text = "second";
            open->NoteOpen = true;
            TTask *alerting = tasks.AddNewTask();
            alerting->Text = "third";
            alerting->Alerting = true;
        });
        TFakeNotes notes;
        TCountedSound sound;
        auto form = Start();
        QCOMPARE(notes.Created.size(), 1);
        QCOMPARE(notes.Created[0]->Text, QByteArray("second"));
        QVERIFY(Tray(*form)->CycleIcons());
        QCOMPARE(Tray(*form)->PopupMenu(), nullptr);
        QCOMPARE(sound.Played, QStringList{UserInfo().SoundFileName});
        QVERIFY(!DataModified);
    }

    void alertingTaskWithOpenNoteGivesNoTrayAlert()
    {
        WriteDataFile([](TTaskList &tasks) {
            TTask *task = tasks.AddNewTask();
            task->Alerting = true;
            task->NoteOpen = true;
        });
        TFakeNotes notes;
        TCountedSound sound;
        auto form = Start();
        QCOMPARE(notes.Created.size(), 1);
        QVERIFY(!Tray(*form)->CycleIcons());
        QCOMPARE(Tray(*form)->PopupMenu(), TrayMenu());
        QVERIFY(sound.Played.isEmpty());
    }

    void damagedDataFileIsKeptAsideAndReported()
    {
        WriteDataFile([](TTaskList &tasks) {
            for (int i = 0; i < 3; ++i) {
                TTask *task = tasks.AddNewTask();
                task->Text = "task " + QByteArray::number(i);
                task->NoteOpen = true;
            }
        });
        QByteArray damaged = ReadFileBytes(Path("Jotterbox.dat"));
        damaged.chop(10);
        WriteFileBytes(Path("Jotterbox.dat"), damaged);
        // As a copy from elsewhere may have it: readable by all.
        QFile::setPermissions(Path("Jotterbox.dat"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                         QFileDevice::ReadGroup | QFileDevice::ReadOther);

        TScriptedDialogs dialogs;
        TFakeNotes notes;
        auto form = Start();
        QCOMPARE(dialogs.Errors.size(), 1);
        const QString kept = form->DamagedFileKeptAs();
        QVERIFY(!kept.isEmpty());
        QVERIFY(dialogs.Errors[0].startsWith("Stream read error"));
        QVERIFY(dialogs.Errors[0].contains(kept));
        QCOMPARE(ReadFileBytes(kept), damaged);
        const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                QFileDevice::ReadOther | QFileDevice::WriteOther;
        QVERIFY(!(QFile::permissions(kept) & others)); // the user's alone, as the data file is
        // The rest of the start is skipped: no notes, no hot keys.
        QVERIFY(notes.Created.isEmpty());
        QVERIFY(!Tray(*form)->CycleIcons());
        // The tasks read so far stay and are saved; the kept file is not touched.
        QCOMPARE(TaskList().Count(), 3);
        form->FormDestroy();
        TTaskList read(UserInfo());
        read.LoadFromFile(Path("Jotterbox.dat"));
        QCOMPARE(read.Count(), 3);
        QCOMPARE(ReadFileBytes(kept), damaged);
        QCOMPARE(QDir(FDir->path()).entryList({"Jotterbox_Damaged_*"}).size(), 1);
        // A backup was due, but a list read in part replaces none.
        QCOMPARE(QDir(FDir->path()).entryList({"Jotterbox_Backup_*"}), QStringList());
    }

    // A file read in part: the tasks read keep their reminders. Their notes
    // stay closed, so alerts go to the tray, also one still pending.
    void readInPartStillRemindsOfWhatWasRead()
    {
        const TDateTime soon = TClock::Now() + EncodeTime(0, 10);
        WriteDataFile([&](TTaskList &tasks) {
            TTask *pending = tasks.AddNewTask();
            pending->Text = "pending";
            pending->Alerting = true;
            TTask *later = tasks.AddNewTask();
            later->Text = "later";
            later->ReminderTime = soon;
            later->NoteOpen = true;
            tasks.AddNewTask()->Text = "cut short";
        });
        QByteArray damaged = ReadFileBytes(Path("Jotterbox.dat"));
        damaged.chop(10);
        QVERIFY(WriteFileBytes(Path("Jotterbox.dat"), damaged));

        TScriptedDialogs dialogs;
        TFakeNotes notes;
        auto form = Start();
        QCOMPARE(dialogs.Errors.size(), 1);
        QVERIFY(notes.Created.isEmpty());
        QVERIFY(Tray(*form)->CycleIcons());
        TReminderEngine &engine = *form->ReminderEngine();
        QVERIFY(engine.Timer1->IsActive());
        QCOMPARE(engine.Timer1->DueAt(), DateTimeToQDateTime(soon).addMSecs(1));
        QSignalSpy trays(&engine, &TReminderEngine::TrayAlertDue);
        TClock::Set(engine.Timer1->DueAt());
        engine.Timer1Timer();
        QVERIFY(TaskList().GetTask(1)->Alerting);
        QCOMPARE(trays.size(), 1);
    }

    // A task count damaged to fewer than the file holds reads like a whole
    // file: the tasks after it must not be lost to the next save.
    void countShortOfTheTasksKeepsTheFileAside_data()
    {
        QTest::addColumn<qint32>("count");
        QTest::addColumn<int>("read");
        QTest::newRow("one of three") << 1 << 1;
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("negative") << -5 << 0;
    }

    void countShortOfTheTasksKeepsTheFileAside()
    {
        QFETCH(qint32, count);
        QFETCH(int, read);
        WriteDataFile([](TTaskList &tasks) {
            for (int i = 0; i < 3; ++i)
                tasks.AddNewTask()->Text = "task " + QByteArray::number(i);
        });
        QByteArray bytes = ReadFileBytes(Path("Jotterbox.dat"));
        const int countAt = 4 + 5 + 4 + 32; // after the magic and the digest
        qToLittleEndian<qint32>(count, bytes.data() + countAt);
        QVERIFY(WriteFileBytes(Path("Jotterbox.dat"), bytes));

        TScriptedDialogs dialogs;
        auto form = Start();
        QCOMPARE(TaskList().Count(), read);
        QCOMPARE(dialogs.Errors.size(), 1);
        const QString kept = form->DamagedFileKeptAs();
        QVERIFY(dialogs.Errors[0].startsWith("The data file holds "));
        QVERIFY(dialogs.Errors[0].contains(
            QStringLiteral("bytes after the %1 tasks it says it holds.").arg(read)));
        QVERIFY(dialogs.Errors[0].contains(kept));
        QCOMPARE(ReadFileBytes(kept), bytes);
        // The start goes on with what was read; the next save writes just
        // that, and no backup is made of it.
        TaskList().AddNewTask()->Text = "after the start";
        DataModified.Mark();
        QVERIFY(form->TimerSaveTimer());
        QCOMPARE(ReadFileBytes(kept), bytes);
        QCOMPARE(QDir(FDir->path()).entryList({"Jotterbox_Backup_*"}), QStringList());
    }

    // The session's work goes to a new file beside it, named once in the
    // one box that tells of the failure; ticks that follow add no box.
    void unreadableFileThatCannotBeKeptIsNeverReplaced()
    {
        // A folder where the data file belongs: it can be neither read nor copied.
        QVERIFY(QDir(FDir->path()).mkdir("Jotterbox.dat"));
        TScriptedDialogs dialogs;
        auto form = Start();
        QCOMPARE(dialogs.Errors.size(), 1);
        QVERIFY(dialogs.Errors[0].contains("could not be kept aside"));

        // Nothing changed: the end goes ahead and makes no file.
        QVERIFY(form->WMQueryEndSession());
        QVERIFY(QFileInfo(Path("Jotterbox.dat")).isDir());
        QCOMPARE(QDir(FDir->path()).entryList({"Jotterbox_*"}), QStringList());

        // Each change is saved there, minute after minute, without a word.
        for (int minute = 0; minute < 3; ++minute) {
            TaskList().AddNewTask()->Text = "typed " + QByteArray::number(minute);
            DataModified.Mark();
            TClock::Advance(Minute);
            QVERIFY(form->TimerSaveTimer());
            QVERIFY(!DataModified);
        }
        form->FormDestroy();
        QCOMPARE(dialogs.Errors.size(), 1);
        QVERIFY(QFileInfo(Path("Jotterbox.dat")).isDir());
        const QStringList made = QDir(FDir->path()).entryList({"Jotterbox_*"});
        QCOMPARE(made.size(), 1);
        QVERIFY2(dialogs.Errors[0].contains(Path(made[0])), qPrintable(dialogs.Errors[0]));
        TTaskList read(UserInfo());
        read.LoadFromFile(Path(made[0]));
        QCOMPARE(read.Count(), 3);
        QCOMPARE(read.GetTask(2)->Text, QByteArray("typed 2"));
    }

    void doubleClickAtRestTogglesList()
    {
        auto form = Start();
        QSignalSpy shown(Child<QAction>(*form, "ActionShowList"), &QAction::triggered);
        form->CoolTrayIcon1DblClick();
        QCOMPARE(shown.size(), 1);
    }

    void doubleClickWhileAlertingOpensTheWaitingNotes()
    {
        auto form = Start();
        TTask *seen = TaskList().AddNewTask();
        seen->Alerting = true;
        seen->NoteOpen = true;
        TTask *waiting = TaskList().AddNewTask();
        waiting->Alerting = true;
        waiting->RolledUp = true;
        TTask *quiet = TaskList().AddNewTask();
        TFakeNotes notes;
        form->StartTrayAlert();
        Tray(*form)->CycleTimerTimer();
        QCOMPARE(Tray(*form)->IconIndex(), 1);
        QSignalSpy shown(Child<QAction>(*form, "ActionShowList"), &QAction::triggered);
        QSignalSpy changed(form.get(), &TFormMain::TasksChanged);

        form->CoolTrayIcon1DblClick();
        QVERIFY(!Tray(*form)->CycleIcons());
        QCOMPARE(Tray(*form)->IconIndex(), 0);
        QCOMPARE(Tray(*form)->PopupMenu(), TrayMenu());
        QCOMPARE(notes.Created, QList<TTask *>{waiting});
        QVERIFY(!waiting->RolledUp);
        QCOMPARE(notes.Log, (QStringList{"0", "create", "2"}));
        QCOMPARE(notes.Messages[0].second, waiting);
        QVERIFY(!quiet->NoteOpen);
        QCOMPARE(shown.size(), 0);
        QCOMPARE(changed.size(), 1);
    }

    // The tray's Exit with a change its place cannot take: kept in the
    // recovery file, the program ends and says where; kept nowhere, the
    // user is asked before the change is lost, and No keeps it running.
    void exitAsksOnlyWhenNothingCouldBeKept_data()
    {
        QTest::addColumn<bool>("blocked"); // no recovery folder takes it either
        QTest::addColumn<bool>("answer");  // to the question, if asked
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("ends");
        QTest::newRow("kept in the recovery file") << false << false << false << true;
        QTest::newRow("kept nowhere, No") << true << false << true << false;
        QTest::newRow("kept nowhere, Yes") << true << true << true << true;
    }

    void exitAsksOnlyWhenNothingCouldBeKept()
    {
        QFETCH(bool, blocked);
        QFETCH(bool, answer);
        QFETCH(bool, asked);
        QFETCH(bool, ends);
        TScriptedDialogs dialogs;
        dialogs.Answers = {answer};
        auto form = Start();
        if (blocked)
            BlockRecoveryFolders();
        QVERIFY(QDir(FDir->path()).mkdir("Jotterbox.dat"));
        TaskList().AddNewTask()->Text = "typed just now";
        DataModified.Mark();
        QSignalSpy closed(form.get(), &TFormMain::Closed);

        Child<QAction>(*form, "Exit1")->trigger();
        QCOMPARE(dialogs.Questions.size(), asked ? 1 : 0);
        if (asked)
            QVERIFY2(dialogs.Questions.first().startsWith("Confirmation|Cannot create file " +
                                                          Path("Jotterbox.dat")),
                     qPrintable(dialogs.Questions.first()));
        QCOMPARE(closed.size(), ends ? 1 : 0);
        QCOMPARE(form->CanExit(), ends);
        if (!ends)
            return;
        form->FormDestroy();
        if (blocked) {
            QVERIFY(dialogs.WaitedErrors.isEmpty()); // asked already
            return;
        }
        // Said once, before the program goes, naming the file.
        QCOMPARE(dialogs.WaitedErrors.size(), 1);
        const QStringList files = QDir(Path("share/Jotterbox")).entryList({"Jotterbox_Recovered_*.dat"});
        QCOMPARE(files.size(), 1);
        QVERIFY2(dialogs.WaitedErrors.first().contains(Path("share/Jotterbox/") + files.first()),
                 qPrintable(dialogs.WaitedErrors.first()));
        TTaskList read(UserInfo());
        read.LoadFromFile(Path("share/Jotterbox/") + files.first());
        QCOMPARE(read.GetTask(read.Count() - 1)->Text, QByteArray("typed just now"));
    }

    void mainWindowClosesOnlyOnExit()
    {
        auto form = Start();
        QSignalSpy closed(form.get(), &TFormMain::Closed);
        form->Close(); // Alt+F4 and the like
        QCOMPARE(closed.size(), 0);
        Child<QAction>(*form, "Exit1")->trigger();
        QCOMPARE(closed.size(), 1);
        QVERIFY(form->CanExit());
    }

    void endOfSessionLetsWindowsKeepStateThenSavesEverything()
    {
        UserInfo().LastBackup = TClock::Now();
        auto form = Start();
        TTask *task = TaskList().AddNewTask();
        // A note's own end-of-session handler runs before the save.
        QObject::connect(form.get(), &TFormMain::EndSession, [task] { task->NoteOpen = true; });
        QVERIFY(form->WMQueryEndSession());
        QVERIFY(form->CanExit());
        TTaskList read(UserInfo());
        read.LoadFromFile(Path("Jotterbox.dat"));
        QCOMPARE(read.Count(), 1);
        QVERIFY(read.GetTask(0)->NoteOpen);
        QVERIFY(QFile::exists(Path("Jotterbox.ini")));
    }

    void endOfSessionIsRefusedWhenTheSaveFails()
    {
        TScriptedDialogs dialogs;
        auto form = Start();
        QVERIFY(QDir(FDir->path()).mkdir("Jotterbox.dat"));
        BlockRecoveryFolders();
        QSignalSpy resumed(&TNoteEvents::Instance(), &TNoteEvents::SessionResumed);
        QVERIFY(!form->WMQueryEndSession());
        QCOMPARE(resumed.count(), 1); // the notes close as usual again
        QCOMPARE(dialogs.Errors.size(), 1);
        QVERIFY(dialogs.WaitedErrors.isEmpty());
    }

    // Settings that cannot be written hold no task: the session may end.
    void endOfSessionGoesOnWhenOnlyTheSettingsFail()
    {
        TScriptedDialogs dialogs;
        auto form = Start();
        QVERIFY(QFile::remove(Path("Jotterbox.ini")) || !QFile::exists(Path("Jotterbox.ini")));
        QVERIFY(QDir(FDir->path()).mkdir("Jotterbox.ini"));
        TaskList().AddNewTask()->Text = "kept";
        DataModified.Mark();
        QVERIFY(form->WMQueryEndSession());
        QCOMPARE(dialogs.Errors, QStringList{"Unable to write to " + Path("Jotterbox.ini")});
        TTaskList read(UserInfo());
        read.LoadFromFile(Path("Jotterbox.dat"));
        QCOMPARE(read.GetTask(read.Count() - 1)->Text, QByteArray("kept"));
    }

    void debugModeLogsTheMainWindowsHandlers()
    {
        UserInfo().DebugMode = true;
        auto form = Start();
        form->TimerSaveTimer();
        form->Close();
        form->WMQueryEndSession();
        form->FormDestroy();
        const QString log = QString::fromUtf8(ReadFileBytes(Path("1.log")));
        QStringList handlers;
        for (const QString &line : log.split("\r\n", Qt::SkipEmptyParts)) {
            const QString message = line.section(" : ", 1);
            if (!message.contains(' ')) // not the note on the hot keys
                handlers << message;
        }
        QCOMPARE(handlers, (QStringList{"TimerSaveTimer", "FormCloseQuery", "WMQueryEndSession",
                                        "TimerSaveTimer", "FormDestroy", "TimerSaveTimer"}));
    }
};

QTEST_MAIN(TestFormMain)
#include "tst_formmain.moc"
