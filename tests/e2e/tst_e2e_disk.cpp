// The installed program on a disk that fills up and on a folder that turns
// read-only under it: the save fails with a box, the file it had stays as
// it was, the tasks go to a recovery file in the user's data folder, the
// end by Exit or by a signal loses nothing, and the next tick writes the
// change once the disk takes it. The
// program folder is a small memory file system of its own, so the disk can
// really fill up; that needs root, and the cases skip without it.

#include "base/Clock.h"
#include "e2e/TE2eTest.h"
#include "e2e/TProgram.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"
#include "support/TestTasks.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <csignal>
#include <sys/mount.h>
#include <unistd.h>

namespace {
// Room for the program folder of the checked build too (about 100 MB with
// the sanitizers), which the disk holds before it is filled up.
constexpr const char *DiskOptions = "size=256m,mode=0755";
constexpr int Tasks = 2000;
} // namespace

class TestE2eDisk : public TE2eTest {
    Q_OBJECT

    QString FMount;
    QString FFiller;
    bool FBound = false; // the folder bound read-only over the disk

    // Fills the program's disk up to its last byte.
    bool FillDisk()
    {
        QFile filler(FFiller);
        if (!filler.open(QIODevice::WriteOnly))
            return false;
        const QByteArray block(1 << 16, '\0');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.unsetError();
        while (filler.write("x", 1) == 1 && filler.flush()) {
        }
        return true;
    }

    // Old tasks, one of whose reminders is due: the program's first scan
    // changes that task, and the change is what the saves are about.
    QByteArray WriteOldFile()
    {
        WriteDataFile([](TTaskList &tasks) {
            for (int i = 0; i < Tasks; ++i)
                tasks.AddNewTask()->Text = "Old task " + QByteArray::number(i) + QByteArray(150, 'x');
            tasks.GetTask(7)->ReminderTime = TClock::Now() - 1.0 / 24;
        });
        return ReadFileBytes(Path("Jotterbox.dat"));
    }

    QProcessEnvironment TickingEnvironment() const
    {
        QProcessEnvironment environment = Environment();
        environment.insert(QStringLiteral("JBX_SAVE_INTERVAL_MS"), QStringLiteral("1500"));
        return environment;
    }

    // The data file holds the change: every old task and the fired reminder.
    bool HoldsTheChange() const
    {
        bool changed = false;
        ReadDataFile([&](const TTaskList &tasks) {
            changed =
                tasks.Count() == Tasks && tasks.GetTask(7)->Alerting && tasks.GetTask(7)->ReminderTime == 0;
        });
        return changed;
    }

    QStringList Files() const { return QDir(FFolder).entryList(QDir::Files, QDir::Name); }

    // The texts of the tasks in the recovery files of the user's data folder.
    QList<QByteArray> RecoveredTexts() const
    {
        QList<QByteArray> texts;
        const QDir folder(FDir->filePath(QStringLiteral("share/Jotterbox")));
        for (const QString &name : folder.entryList({QStringLiteral("Jotterbox_Recovered_*.dat")})) {
            TUserInfo settings(FFolder + u'/');
            TTaskList tasks(settings);
            tasks.LoadFromFile(folder.filePath(name));
            for (int i = 0; i < tasks.Count(); ++i)
                texts << tasks.GetTask(i)->Text;
        }
        return texts;
    }

    // The program folder seen through a read-only bind mount of itself, as
    // a mounted image or a folder on a read-only share is.
    QString BindReadOnly()
    {
        const QByteArray path = QFile::encodeName(FFolder);
        if (::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) != 0)
            return qt_error_string(errno);
        FBound = true;
        if (::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
            return qt_error_string(errno);
        return {};
    }

private slots:
    void init()
    {
        if (geteuid() != 0)
            QSKIP("a disk of its own needs root");
        const QString installError = InstallFresh();
        QVERIFY2(installError.isEmpty(), qPrintable(installError));
        // The program folder again, on a disk of its own.
        FMount = FFolder;
        if (::mount("tmpfs", QFile::encodeName(FMount).constData(), "tmpfs", 0, DiskOptions) != 0) {
            const int error = errno;
            FMount.clear();
            QSKIP(qPrintable(QStringLiteral("cannot mount a small disk: %1").arg(qt_error_string(error))));
        }
        const QString reinstallError = InstallProgram(FFolder);
        if (!reinstallError.isEmpty())
            cleanup(); // a failed init is not followed by cleanup: the disk goes now
        QVERIFY2(reinstallError.isEmpty(), qPrintable(reinstallError));
        QVERIFY(WriteSettings(QStringLiteral("ShowTips=0\r\nShowToolBar=0\r\n")).isEmpty());
        FFiller = FDir->filePath(QStringLiteral("Jotterbox/filler.bin"));
    }

    void cleanup()
    {
        if (FBound)
            ::umount2(QFile::encodeName(FMount).constData(), MNT_DETACH);
        FBound = false;
        if (!FMount.isEmpty())
            ::umount2(QFile::encodeName(FMount).constData(), MNT_DETACH);
        FMount.clear();
        FDir.reset();
    }

    // Text typed where it cannot be saved, then the tray's Exit or the
    // system's SIGTERM: the program ends, and the text is in the recovery
    // file. A folder that cannot be written is told at the start, once.
    void whatCannotBeSavedInPlaceIsRecoveredAtTheEnd_data()
    {
        QTest::addColumn<bool>("readOnly"); // else the disk is full
        QTest::addColumn<bool>("exit");     // else SIGTERM
        QTest::newRow("full disk, Exit") << false << true;
        QTest::newRow("full disk, SIGTERM") << false << false;
        QTest::newRow("read-only bind mount, Exit") << true << true;
        QTest::newRow("read-only bind mount, SIGTERM") << true << false;
    }

    void whatCannotBeSavedInPlaceIsRecoveredAtTheEnd()
    {
        QFETCH(bool, readOnly);
        QFETCH(bool, exit);
        WriteDataFile([](TTaskList &tasks) { tasks.AddNewTask()->Text = "Written on a good day"; });
        const QByteArray before = ReadFileBytes(Path("Jotterbox.dat"));
        if (readOnly) {
            const QString error = BindReadOnly();
            if (!error.isEmpty())
                QSKIP(qPrintable(QStringLiteral("cannot bind the folder read-only: %1").arg(error)));
        } else {
            QVERIFY(FillDisk());
        }
        const QString reason =
            readOnly ? QStringLiteral("Read-only file system") : QStringLiteral("No space left on device");

        TProgram program(FFolder, TickingEnvironment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        const QString atStart =
            QStringLiteral("Jotterbox: Cannot create file %1: %2\n\nUntil it can be written")
                .arg(Path("Jotterbox.dat"), reason);
        QCOMPARE(program.Output().contains(atStart), readOnly);

        const QStringList known = ProgramWindows(program);
        XDo({"key", "ctrl+alt+n"});
        QString note;
        QVERIFY2(Eventually([&] { return !(note = NewWindowTitled(program, "Jotterbox", known)).isEmpty(); }),
                 qPrintable(program.Output()));
        QVERIFY2(Eventually([&] { return XDo({"getwindowfocus"}) == note; }), "the new note has no focus");
        XDo({"type", "--delay", "30", "Typed on a bad day"});

        const QString recovered = QStringLiteral("Your tasks were saved to ") +
                                  FDir->filePath(QStringLiteral("share/Jotterbox/Jotterbox_Recovered_"));
        if (exit) {
            // A tick has told where the tasks went: the end need not again.
            QVERIFY2(program.WaitForLine(recovered), qPrintable(program.Output()));
            QVERIFY2(OpenTrayMenu(program), qPrintable("no tray menu; output:\n" + program.Output()));
            XDo({"key", "x"}); // E&xit
            QVERIFY2(program.Process().waitForFinished(20000),
                     qPrintable("Exit did not end the program; output:\n" + program.Output()));
            QCOMPARE(program.Process().exitCode(), 0);
        } else {
            QCOMPARE(program.Stop(SIGTERM), 0);
        }
        const QString output = program.Output();
        QVERIFY2(output.contains(reason), qPrintable(output));
        // Told once each, not at every tick.
        QCOMPARE(output.count(QStringLiteral("Until it can be written")), readOnly ? 1 : 0);
        QCOMPARE(output.count(recovered), 1);
        QVERIFY2(RecoveredTexts().contains("Typed on a bad day"), qPrintable(output));
        QCOMPARE(ReadFileBytes(Path("Jotterbox.dat")), before);
    }

    void fullDiskKeepsTheOldFileUntilThereIsRoom()
    {
        const QByteArray before = WriteOldFile();
        QVERIFY(FillDisk());
        const QStringList files = Files();

        TProgram program(FFolder, TickingEnvironment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QVERIFY2(program.WaitForLine(QStringLiteral("Jotterbox: Stream write error")),
                 qPrintable(program.Output()));
        QVERIFY(program.Running());
        QCOMPARE(ReadFileBytes(Path("Jotterbox.dat")), before);
        QCOMPARE(Files(), files); // nothing half-written left behind

        QVERIFY(QFile::remove(FFiller));
        QVERIFY2(Eventually([&] { return HoldsTheChange(); }), qPrintable(program.Output()));
        QCOMPARE(program.Stop(SIGTERM), 0);
        QVERIFY(HoldsTheChange());
    }

    void readOnlyFolderKeepsTheOldFileUntilWritable()
    {
        const QByteArray before = WriteOldFile();
        const QByteArray path = QFile::encodeName(FMount);
        QVERIFY(::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_RDONLY, DiskOptions) == 0);

        TProgram program(FFolder, TickingEnvironment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QVERIFY2(program.WaitForLine(
                     QStringLiteral("Jotterbox: Cannot create file %1").arg(Path("Jotterbox.dat"))),
                 qPrintable(program.Output()));
        QVERIFY(program.Running());
        QCOMPARE(ReadFileBytes(Path("Jotterbox.dat")), before);

        QVERIFY(::mount(nullptr, path.constData(), nullptr, MS_REMOUNT, DiskOptions) == 0);
        QVERIFY2(Eventually([&] { return HoldsTheChange(); }), qPrintable(program.Output()));
        QCOMPARE(program.Stop(SIGTERM), 0);
        QVERIFY(HoldsTheChange());
    }

    // A save that fails while the user types in a note: the box says so but
    // leaves the keyboard where it was, so typing goes on into the note.
    void saveErrorLeavesTheKeyboardToTheNote()
    {
        WriteDataFile([](TTaskList &tasks) {
            TTask *task = tasks.AddNewTask();
            task->Text = "Typing here";
            OpenNoteAt(*task, QRect(200, 150, 260, 180));
        });
        TProgram program(FFolder, TickingEnvironment());
        QString why;
        const QString note = Started(program, &why);
        QVERIFY2(!note.isEmpty(), qPrintable(why));
        PointerTo(Geometry(note).center());
        XDo({"click", "1"});
        QVERIFY2(Eventually([&] { return XDo({"getwindowfocus"}) == note; }), "the note has no focus");

        // The disk fills up (a remount read-only is refused while the
        // program holds its folder's lock file open for writing).
        QVERIFY(FillDisk());
        XDo({"type", "--delay", "30", "abc"}); // a change the next save fails to write
        QVERIFY2(program.WaitForLine(QStringLiteral("Jotterbox: Stream write error")),
                 qPrintable(program.Output()));
        QString box;
        QVERIFY2(Eventually([&] { return !(box = NewWindowTitled(program, "Jotterbox", {note})).isEmpty(); }),
                 "no error box");
        SaveScreenshot(QStringLiteral("disk-unasked-box.png"));
        QVERIFY2(!Eventually([&] { return XDo({"getwindowfocus"}) != note; }, 1500),
                 "the error box took the keyboard");
        XDo({"type", "--delay", "30", "def"});

        QVERIFY(QFile::remove(FFiller));
        QCOMPARE(program.Stop(SIGTERM), 0);
        ReadDataFile([](const TTaskList &tasks) {
            QCOMPARE(tasks.Count(), 1);
            QVERIFY2(tasks.GetTask(0)->Text.contains("def"), tasks.GetTask(0)->Text.constData());
        });
    }
};

QTEST_GUILESS_MAIN(TestE2eDisk)
#include "tst_e2e_disk.moc"
