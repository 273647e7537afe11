// One program folder, one writer, however it is started: from another
// session with a runtime folder of its own, by cron without one, or many
// times at once. A start that is not the writer hands its command over or
// says who is, and never touches the folder.

#include "e2e/TE2eTest.h"
#include "e2e/TProgram.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "support/TestTasks.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <memory>
#include <vector>

class TestE2eFolderLock : public TE2eTest {
    Q_OBJECT

    QStringList Files() const
    {
        return QDir(FFolder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    // The environment of a session of its own on the same display.
    QProcessEnvironment OtherSession(const QString &name) const
    {
        const QString runtime = FDir->filePath(name);
        QProcessEnvironment environment = Environment();
        if (MakeRuntimeFolder(runtime))
            environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        return environment;
    }

    // The first program, running with its data written at its start.
    void StartFirst(TProgram &first, QByteArray *saved)
    {
        WriteDataFile([](TTaskList &tasks) {
            for (const char *text : {"Water the plants", "Call the plumber"})
                tasks.AddNewTask()->Text = text;
        });
        first.Start();
        QVERIFY2(first.WaitForIdle(), qPrintable(first.Output()));
        *saved = ReadFileBytes(Path("Jotterbox.dat"));
        QVERIFY(!saved->isEmpty());
    }

    static QString Pid(TProgram &program) { return QString::number(program.Process().processId()); }

private slots:
    void init()
    {
        const QString installError = InstallFresh();
        QVERIFY2(installError.isEmpty(), qPrintable(installError));
    }

    // A start from another session: handed to the first when it can reach
    // it, else a message naming the first, in a box when there is a display.
    void secondCopyFromAnotherSessionNeverWrites_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<bool>("display");
        QTest::newRow("plain start") << QStringList() << true << true;
        QTest::newRow("--new-note") << QStringList{"--new-note"} << true << true;
        QTest::newRow("unreachable, a box") << QStringList() << false << true;
        QTest::newRow("unreachable, no display") << QStringList{"--show-list"} << false << false;
    }

    void secondCopyFromAnotherSessionNeverWrites()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, reachable);
        QFETCH(bool, display);
        TProgram first(FFolder, Environment());
        QByteArray saved;
        StartFirst(first, &saved);
        if (!reachable) // as when its runtime folder is out of reach
            QVERIFY(QFile::remove(FRuntime + QStringLiteral("/App_ZEL_Task_Sheet.socket")));
        const QStringList before = Files();

        QProcessEnvironment environment = OtherSession(QStringLiteral("other-runtime"));
        if (!display)
            environment.remove(QStringLiteral("DISPLAY"));
        TProgram second(FFolder, environment);
        second.Process().setArguments(arguments);
        second.Start();
        if (!reachable && display) {
            QString box;
            QVERIFY2(Eventually([&] { return !(box = NewWindowTitled(second, "Jotterbox", {})).isEmpty(); },
                                20000),
                     qPrintable(second.Output()));
            SaveScreenshot(QStringLiteral("folderlock-box.png"));
            XDo({"windowactivate", "--sync", box});
            XDo({"key", "--window", box, "Return"});
        }
        QVERIFY2(second.Process().waitForFinished(30000), qPrintable(second.Output()));
        QCOMPARE(second.Process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.Process().exitCode(), reachable ? 0 : 1);
        if (reachable)
            QCOMPARE(second.Output(), QString());
        else
            QVERIFY2(second.Output().contains("in use by another Jotterbox (process " + Pid(first) + " of "),
                     qPrintable(second.Output()));
        QCOMPARE(Files(), before);
        QCOMPARE(ReadFileBytes(Path("Jotterbox.dat")), saved);

        QVERIFY(first.Running());
        const bool handed = arguments == QStringList{"--new-note"};
        if (handed)
            QVERIFY2(first.WaitForLine(QStringLiteral("jbx.events: command new-note")),
                     qPrintable(first.Output()));
        QCOMPARE(first.Stop(SIGTERM), 0);
        ReadDataFile([handed](const TTaskList &tasks) {
            QCOMPARE(tasks.Count(), handed ? 3 : 2);
            QCOMPARE(tasks.GetTask(1)->Text, QByteArray("Call the plumber"));
        });
    }

    // cron runs jbxtool with hardly any environment: no runtime folder, no
    // display. Whatever would write into the folder refuses with 2.
    void jbxtoolFromCronLeavesTheRunningFolderAlone_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("sync") << QStringList{"sync", "."};
        QTest::newRow("roundtrip") << QStringList{"roundtrip", "Jotterbox_Backup_0.dat", "Jotterbox.dat"};
    }

    void jbxtoolFromCronLeavesTheRunningFolderAlone()
    {
        QFETCH(QStringList, arguments);
        QFile ini(Path("Jotterbox.ini"));
        QVERIFY(ini.open(QIODevice::Append));
        ini.write(
            "[Sync]\r\nEnabled=0\r\nUrl=http://127.0.0.1:9/tasks/\r\nUser=ann\r\nPasswordCommand=echo x\r\n");
        ini.close();
        TProgram program(FFolder, Environment());
        QByteArray saved;
        StartFirst(program, &saved);
        QVERIFY(QFile::copy(Path("Jotterbox.dat"), Path("Jotterbox_Backup_0.dat")));
        const QStringList before = Files();

        QProcess tool;
        QProcessEnvironment cron;
        for (const char *name : {"PATH", "HOME", "LANG"})
            if (qEnvironmentVariableIsSet(name))
                cron.insert(QString::fromLatin1(name), qEnvironmentVariable(name));
        tool.setProcessEnvironment(cron);
        tool.setWorkingDirectory(FFolder);
        tool.start(Path("jbxtool"), arguments);
        QVERIFY(tool.waitForFinished(30000));
        const QString err = QString::fromLocal8Bit(tool.readAllStandardError());
        QCOMPARE(tool.exitCode(), 2);
        QVERIFY2(err.contains("the program is running on this folder (process " + Pid(program) + " of "),
                 qPrintable(err));
        QCOMPARE(Files(), before);
        QCOMPARE(ReadFileBytes(Path("Jotterbox.dat")), saved);
        QCOMPARE(program.Stop(SIGTERM), 0);
    }

    // Twenty starts at the same moment, half in the first's session and half
    // each in a session of its own: one runs, the others end at once or as
    // soon as it takes commands, and the data file is that one's.
    void twentyStartsAtOnceLeaveOneWriter()
    {
        WriteDataFile([](TTaskList &tasks) { tasks.AddNewTask()->Text = "Only once"; });
        std::vector<std::unique_ptr<TProgram>> starts;
        for (int i = 0; i < 20; ++i)
            starts.push_back(std::make_unique<TProgram>(
                FFolder, i % 2 ? OtherSession(QStringLiteral("runtime-%1").arg(i)) : Environment()));
        for (const auto &start : starts)
            start->Start();
        TProgram *writer = nullptr;
        QVERIFY(Eventually(
            [&] {
                int running = 0;
                for (const auto &start : starts)
                    if (start->Running()) {
                        ++running;
                        writer = start.get();
                    }
                return running == 1;
            },
            60000));
        QVERIFY2(writer->WaitForIdle(), qPrintable(writer->Output()));
        for (const auto &start : starts) {
            if (start.get() == writer)
                continue;
            QCOMPARE(start->Process().exitStatus(), QProcess::NormalExit);
            QVERIFY2(start->Process().exitCode() == 0, qPrintable(start->Output()));
        }
        QCOMPARE(writer->Stop(SIGTERM), 0);
        ReadDataFile([](const TTaskList &tasks) {
            QCOMPARE(tasks.Count(), 1);
            QCOMPARE(tasks.GetTask(0)->Text, QByteArray("Only once"));
        });
        QCOMPARE(QDir(FFolder).entryList({"Jotterbox_Damaged_*", "Jotterbox_Recovered_*"}), QStringList());
    }
};

QTEST_MAIN(TestE2eFolderLock)
#include "tst_e2e_folderlock.moc"
