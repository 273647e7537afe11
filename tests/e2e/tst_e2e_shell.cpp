// Drives the installed program on a private X display with a window manager
// and a tray host: start, single instance, the end of a session, data that
// survives, a damaged file, the hot keys and the tray icon.

#include "e2e/TE2eTest.h"
#include "e2e/TProgram.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"
#include "support/TestTasks.h"
#include "support/XServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>

class TestE2eShell : public TE2eTest {
    Q_OBJECT

    QStringList Files() const { return QDir(FFolder).entryList(QDir::Files, QDir::Name); }

private slots:
    void init()
    {
        const QString installError = InstallFresh();
        QVERIFY2(installError.isEmpty(), qPrintable(installError));
        QVERIFY(QFile::exists(Path("Jotterbox")));
        QVERIFY(QFile::exists(Path("notify.wav")));
    }

    void secondInstanceEndsAtOnceAndTouchesNothing()
    {
        TProgram first(FFolder, Environment());
        first.Start();
        QVERIFY2(first.WaitForIdle(), qPrintable(first.Output()));
        const QStringList before = Files();

        TProgram second(FFolder, Environment());
        QElapsedTimer clock;
        clock.start();
        second.Start();
        QVERIFY(second.Process().waitForFinished(10000));
        QCOMPARE(second.Process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.Process().exitCode(), 0);
        QCOMPARE(second.Output(), QString()); // never reached its loop
        QCOMPARE(Files(), before);
        QVERIFY(first.Running());
        QCOMPARE(first.Stop(SIGTERM), 0);
    }

    void sigtermSavesDataSettingsAndFirstBackup()
    {
        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        // What only a sound or a sync needs is not loaded by a start.
        const QByteArray maps =
            ReadFileBytes(QStringLiteral("/proc/%1/maps").arg(program.Process().processId()));
        QVERIFY(!maps.contains("libjbxsound.so"));
        QVERIFY(!maps.contains("libical.so"));
        QCOMPARE(program.Stop(SIGTERM), 0);

        QVERIFY(QFile::exists(Path("Jotterbox.dat")));
        QVERIFY(QFile::exists(Path("Jotterbox.ini")));
        const QStringList backups = QDir(FFolder).entryList({"Jotterbox_Backup_*.dat"});
        QCOMPARE(backups.size(), 1);
        QVERIFY(QRegularExpression("^Jotterbox_Backup_[0-6]\\.dat$").match(backups[0]).hasMatch());
        QCOMPARE(ReadFileBytes(Path(backups[0])), ReadFileBytes(Path("Jotterbox.dat")));
        TUserInfo settings(FFolder + u'/');
        settings.LoadSettings();
        QVERIFY(settings.LastBackup > 0);

        // The lock went with the program: a new start is the first instance.
        TProgram next(FFolder, Environment());
        next.Start();
        QVERIFY2(next.WaitForIdle(), qPrintable(next.Output()));
        QCOMPARE(next.Stop(SIGINT), 0);
    }

    void dataFileComesBackByteForByte()
    {
        WriteDataFile([](TTaskList &tasks) {
            for (int i = 0; i < 5; ++i) {
                TTask *task = tasks.AddNewTask();
                FillEveryField(*task, i);
                // Nothing that acts at start: no note to open, no reminder due.
                task->NoteOpen = false;
                task->Alerting = false;
                task->ReminderTime = EncodeDate(2099, 1, 1 + i);
            }
        });
        // Through the program once, so the file is one it wrote itself.
        TProgram once(FFolder, Environment());
        once.Start();
        QVERIFY2(once.WaitForIdle(), qPrintable(once.Output()));
        QCOMPARE(once.Stop(SIGTERM), 0);
        const QByteArray written = ReadFileBytes(Path("Jotterbox.dat"));

        TProgram again(FFolder, Environment());
        again.Start();
        QVERIFY2(again.WaitForIdle(), qPrintable(again.Output()));
        QCOMPARE(again.Stop(SIGHUP), 0);
        QCOMPARE(ReadFileBytes(Path("Jotterbox.dat")), written);
    }

    void damagedDataFileIsKeptAsideAndReported()
    {
        WriteDataFile([](TTaskList &tasks) {
            for (int i = 0; i < 3; ++i)
                tasks.AddNewTask()->Text = "task " + QByteArray::number(i);
        });
        QByteArray damaged = ReadFileBytes(Path("Jotterbox.dat"));
        damaged.chop(7);
        QVERIFY(WriteFileBytes(Path("Jotterbox.dat"), damaged));

        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        const QStringList kept = QDir(FFolder).entryList({"Jotterbox_Damaged_*.dat"});
        QCOMPARE(kept.size(), 1);
        QVERIFY(program.Output().contains("Jotterbox: Stream read error"));
        QVERIFY(program.Output().contains(Path(kept[0])));
        QCOMPARE(ReadFileBytes(Path(kept[0])), damaged);
        QCOMPARE(program.Stop(SIGTERM), 0);

        // The tasks that could be read are saved; the damaged file stays as it was.
        ReadDataFile([](const TTaskList &tasks) { QCOMPARE(tasks.Count(), 3); });
        QCOMPARE(ReadFileBytes(Path(kept[0])), damaged);
    }

    void alertWaitingAtStartCyclesTheTrayAndSounds()
    {
        WriteDataFile([](TTaskList &tasks) {
            TTask *task = tasks.AddNewTask();
            task->Text = "Dentist";
            task->Alerting = true;
        });
        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QVERIFY(program.Output().contains("jbx.events: tray alert"));
        QVERIFY(program.Output().contains("jbx.events: alert sound"));
        QVERIFY2(!program.Output().contains("no sound"), qPrintable(program.Output()));
        // The player was loaded from the program folder for it.
        QFile maps(QStringLiteral("/proc/%1/maps").arg(program.Process().processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY(maps.readAll().contains("libjbxsound.so"));
        QCOMPARE(program.Stop(SIGTERM), 0);
    }

    void lostDisplayStillSavesTheChanges()
    {
        WriteDataFile([](TTaskList &tasks) {
            TTask *task = tasks.AddNewTask();
            task->Text = "Call back";
            task->ReminderTime = EncodeDate(2000, 1, 1); // falls due at the first tick
        });
        const QString why = LoseDisplayAfter(QStringLiteral("jbx.events: alert sound"));
        QVERIFY2(why.isEmpty(), qPrintable(why));
        ReadDataFile([](const TTaskList &tasks) {
            QCOMPARE(tasks.Count(), 1);
            QVERIFY(tasks.GetTask(0)->Alerting);
            QCOMPARE(tasks.GetTask(0)->ReminderTime, 0.0);
        });

        TProgram next(FFolder, Environment()); // the lock went too
        next.Start();
        QVERIFY2(next.WaitForIdle(), qPrintable(next.Output()));
        QCOMPARE(next.Stop(SIGTERM), 0);
    }

    // Nothing played, nothing due: the display goes while the program merely
    // waits, and the settings are all there is to save. What was on screen
    // (a new note left untouched, the list, the toolbar) comes back next time.
    void lostDisplayAtRestStillSavesTheSettings()
    {
        // The list shown at a place off every screen: the program brings it
        // on screen, and only a save of the settings can keep where.
        const QString settingsError = WriteSettings(
            QStringLiteral("ShowTips=0\r\nShowToolBar=1\r\nShowing=1\r\nLeft=-5000\r\nTop=-5000\r\n"));
        QVERIFY2(settingsError.isEmpty(), qPrintable(settingsError));
        WriteDataFile([](TTaskList &tasks) { tasks.AddNewTask()->NoteOpen = true; });
        const QString why = LoseDisplayAfter(QStringLiteral("jbx.events: idle"));
        QVERIFY2(why.isEmpty(), qPrintable(why));

        // Their save writes times in the locale's way, so it needs the
        // locale's data to outlive the end.
        const QByteArray saved = ReadFileBytes(Path("Jotterbox.ini"));
        TUserInfo settings(FFolder + u'/');
        settings.LoadSettings();
        QVERIFY2(settings.Left >= 0 && settings.Top >= 0, saved.constData());
        QVERIFY(settings.Showing);
        QVERIFY(settings.ShowToolBar);
        ReadDataFile([](const TTaskList &tasks) {
            QCOMPARE(tasks.Count(), 1);
            QCOMPARE(tasks.GetTask(0)->Text, QByteArray("New Note"));
            QVERIFY(tasks.GetTask(0)->NoteOpen);
        });

        TProgram next(FFolder, Environment());
        next.Start();
        QVERIFY2(next.WaitForIdle(), qPrintable(next.Output()));
        QCOMPARE(next.Stop(SIGTERM), 0);
    }

    void hotKeysReachTheProgram()
    {
        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        RunOnDisplay("xdotool", {"key", "ctrl+alt+n"});
        QVERIFY2(program.WaitForLine("jbx.events: hot key Ctrl+Alt+N"), qPrintable(program.Output()));
        RunOnDisplay("xdotool", {"key", "ctrl+alt+l"});
        QVERIFY2(program.WaitForLine("jbx.events: hot key Ctrl+Alt+L"), qPrintable(program.Output()));
        QCOMPARE(program.Stop(SIGTERM), 0);
    }

    void trayIconSitsInTheTray()
    {
        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        // The tray host's panel holds a window of the program's class.
        auto iconInTray = [this] {
            const QString tree = QString::fromLocal8Bit(RunOnDisplay("xwininfo", {"-root", "-tree"}));
            const QRegularExpression panel("(0x[0-9a-f]+) \"panel\": \\(\"panel\" \"trayer\"\\)");
            const QRegularExpressionMatch match = panel.match(tree);
            if (!match.hasMatch())
                return false;
            const QString inside =
                QString::fromLocal8Bit(RunOnDisplay("xwininfo", {"-tree", "-id", match.captured(1)}));
            return inside.contains("(\"Jotterbox\" \"Jotterbox\")");
        };
        QTRY_VERIFY_WITH_TIMEOUT(iconInTray(), 15000);
        QCOMPARE(program.Stop(SIGTERM), 0);
    }
};

QTEST_GUILESS_MAIN(TestE2eShell)
#include "tst_e2e_shell.moc"
