// Reminders of the installed program by the wall clock, which libfaketime
// sets for the program alone: each reminder fires in the first second after
// its moment, never before, several due together make one sound, and a
// start that changes nothing leaves the data file as it was.

#include "base/DateTime.h"
#include "e2e/TE2eTest.h"
#include "e2e/TProgram.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "support/NotificationServer.h"
#include "support/TestTasks.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimeZone>
#include <algorithm>
#include <csignal>
#include <sys/stat.h>

namespace {
// The program's clock runs this far ahead of the real one, so a timer that
// waited for the real moment instead would not come within the test.
constexpr qint64 Offset = 30LL * 24 * 60 * 60;
const QString Sound = QStringLiteral("jbx.events: alert sound");

QString FakeTimeLibrary()
{
    for (const QString &folder :
         QDir(QStringLiteral("/usr/lib")).entryList({QStringLiteral("*-linux-gnu")}, QDir::Dirs)) {
        const QString path = QStringLiteral("/usr/lib/%1/faketime/libfaketime.so.1").arg(folder);
        if (QFile::exists(path))
            return path;
    }
    return {};
}

qulonglong Inode(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? qulonglong(info.st_ino) : 0;
}
} // namespace

class TestE2eReminders : public TE2eTest {
    Q_OBJECT

    QString FClockFile;

    // The program's clock is the real one moved by `seconds`; rewriting the
    // file moves it while the program runs.
    void SetClockOffset(qint64 seconds)
    {
        QFile file(FClockFile);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(seconds < 0 ? "" : "+") + QByteArray::number(seconds) + '\n');
    }

    QProcessEnvironment FakeClockEnvironment() const
    {
        QProcessEnvironment environment = Environment();
        environment.insert(QStringLiteral("LD_PRELOAD"), FakeTimeLibrary());
        environment.insert(QStringLiteral("FAKETIME_TIMESTAMP_FILE"), FClockFile);
        environment.insert(QStringLiteral("FAKETIME_NO_CACHE"), QStringLiteral("1"));
        // Qt's own timers keep the real pace.
        environment.insert(QStringLiteral("DONT_FAKE_MONOTONIC"), QStringLiteral("1"));
        // In the checked build the clock library is preloaded ahead of the
        // sanitizer's runtime, which it only wraps: let that be.
        const QString asan = environment.value(QStringLiteral("ASAN_OPTIONS"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           asan + (asan.isEmpty() ? "" : ":") + QStringLiteral("verify_asan_link_order=0"));
        return environment;
    }

private slots:
    void init()
    {
        if (FakeTimeLibrary().isEmpty())
            QSKIP("libfaketime is not installed");
        const QString installError = InstallFresh();
        QVERIFY2(installError.isEmpty(), qPrintable(installError));
        FClockFile = FDir->filePath(QStringLiteral("clock"));
        SetClockOffset(Offset);
    }

    void reminderFiresInTheFirstSecondAfterItsMoment_data()
    {
        QTest::addColumn<int>("aheadMs");   // the moment from now on the program's clock
        QTest::addColumn<int>("count");     // reminders at that moment
        QTest::addColumn<int>("backAfter"); // the clock set back by this, once fired
        QTest::newRow("passed while the program was not running") << -60000 << 1 << 0;
        QTest::newRow("ahead") << 4000 << 1 << 0;
        QTest::newRow("several due together make one sound") << 4000 << 3 << 0;
        QTest::newRow("clock set back after it fired") << 3000 << 1 << 3600;
    }

    void reminderFiresInTheFirstSecondAfterItsMoment()
    {
        QFETCH(int, aheadMs);
        QFETCH(int, count);
        QFETCH(int, backAfter);
        QElapsedTimer sinceMoment;
        sinceMoment.start();
        const QDateTime moment = QDateTime::currentDateTime().addSecs(Offset).addMSecs(aheadMs);
        WriteDataFile([&](TTaskList &tasks) {
            for (int i = 0; i < count; ++i) {
                TTask *task = tasks.AddNewTask();
                task->Text = "Reminder " + QByteArray::number(i);
                task->ReminderTime = QDateTimeToDateTime(moment);
                task->Alerting = false;
                task->NoteOpen = false;
            }
        });

        TProgram program(FFolder, FakeClockEnvironment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QVERIFY2(program.WaitForLine(Sound, std::max(aheadMs, 0) + 15000), qPrintable(program.Output()));
        const qint64 firedAfter = sinceMoment.elapsed() - aheadMs;
        // Never before the moment; within its first second (and what a
        // busy machine adds to the start and to the line's way here).
        QVERIFY2(firedAfter >= 0, qPrintable(QString::number(firedAfter)));
        if (aheadMs > 0)
            QVERIFY2(firedAfter <= 1000 + 1000, qPrintable(QString::number(firedAfter)));
        // The tray follows the sound, once the sound has been handed on.
        QVERIFY2(program.WaitForLine(QStringLiteral("jbx.events: tray alert")), qPrintable(program.Output()));

        if (backAfter > 0) {
            SetClockOffset(Offset - backAfter);
            // The moment comes again on the program's clock: nothing fires.
            QVERIFY(!Eventually([&] { return program.Output().count(Sound) > 1; }, 3000));
        }
        QCOMPARE(program.Output().count(Sound), 1);

        QCOMPARE(program.Stop(SIGTERM), 0);
        ReadDataFile([count](const TTaskList &tasks) {
            QCOMPARE(tasks.Count(), count);
            for (int i = 0; i < count; ++i) {
                QVERIFY(tasks.GetTask(i)->Alerting);
                QCOMPARE(tasks.GetTask(i)->ReminderTime, 0.0);
            }
        });
    }

    // Berlin's clock changes of 2027 on the program's clock: a reminder in
    // the hour skipped on 28 March fires at the jump and those after it
    // follow, also when the program is started again after the gap (where
    // the alert left from before sounds at the start as well); one in
    // the hour shown twice on 31 October fires at its first showing. Each
    // sound comes at its moment (or at the start, for one due by then),
    // never before, within its first second and what a busy machine adds.
    void reminderAcrossAClockChange_data()
    {
        QTest::addColumn<QDateTime>("start");             // the program's clock (UTC)
        QTest::addColumn<QList<QTime>>("reminders");      // Berlin wall times on the start's day
        QTest::addColumn<QDateTime>("restart");           // after the first sound; invalid: none
        QTest::addColumn<QList<QDateTime>>("soundsFrom"); // each sound's moment (UTC)
        const QDate spring(2027, 3, 28);
        auto utc = [](QDate day, QTime time) { return QDateTime(day, time, Qt::UTC); };
        QTest::newRow("spring") << utc(spring, QTime(0, 59, 45))
                                << QList{QTime(1, 59, 50), QTime(2, 30), QTime(3, 0, 3)} << QDateTime()
                                << QList{utc(spring, QTime(0, 59, 50)), utc(spring, QTime(1, 0)),
                                         utc(spring, QTime(1, 0, 3))};
        QTest::newRow("spring, started again after the gap")
            << utc(spring, QTime(0, 59, 45)) << QList{QTime(1, 59, 50), QTime(2, 30), QTime(3, 0, 8)}
            << utc(spring, QTime(1, 0, 2))
            << QList{utc(spring, QTime(0, 59, 50)), utc(spring, QTime(1, 0)), utc(spring, QTime(1, 0)),
                     utc(spring, QTime(1, 0, 8))};
        const QDate autumn(2027, 10, 31);
        QTest::newRow("autumn, the first of the repeated hour")
            << utc(autumn, QTime(0, 29, 55)) << QList{QTime(2, 30)} << QDateTime()
            << QList{utc(autumn, QTime(0, 30))};
    }

    void reminderAcrossAClockChange()
    {
        QFETCH(QDateTime, start);
        QFETCH(QList<QTime>, reminders);
        QFETCH(QDateTime, restart);
        QFETCH(QList<QDateTime>, soundsFrom);
        const QDate day = start.toTimeZone(QTimeZone("Europe/Berlin")).date();
        WriteDataFile([&](TTaskList &tasks) {
            for (const QTime &wall : reminders) {
                TTask *task = tasks.AddNewTask();
                task->Text = "At " + wall.toString().toLatin1();
                task->ReminderTime = CombineDateTime(day, wall);
                task->Alerting = false;
                task->NoteOpen = false;
            }
        });
        QProcessEnvironment environment = FakeClockEnvironment();
        environment.insert(QStringLiteral("TZ"), QStringLiteral("Europe/Berlin"));

        qint64 offset = 0;
        QDateTime idle; // the program's clock once it was up
        auto run = [&](const QDateTime &from, TProgram &program) {
            offset = QDateTime::currentDateTimeUtc().secsTo(from);
            SetClockOffset(offset);
            program.Start();
            QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
            idle = QDateTime::currentDateTimeUtc().addSecs(offset);
        };
        // Waits for the program's sound number `count` and checks its moment.
        auto heard = [&](TProgram &program, int count, const QDateTime &due) {
            const QDeadlineTimer deadline(30000);
            while (program.Output().count(Sound) < count && program.Running() && !deadline.hasExpired())
                program.Process().waitForReadyRead(50);
            QVERIFY2(program.Output().count(Sound) >= count,
                     qPrintable(QStringLiteral("sound %1 did not come\n").arg(count) + program.Output()));
            const QDateTime came = QDateTime::currentDateTimeUtc().addSecs(offset);
            QVERIFY2(came >= due && came <= std::max(due, idle).addMSecs(2000),
                     qPrintable(came.toString(Qt::ISODateWithMs) + " for " + due.toString(Qt::ISODate)));
        };

        // Until the restart, if there is one, then in the program started again.
        const qsizetype before = restart.isValid() ? 1 : soundsFrom.size();
        TProgram program(FFolder, environment);
        run(start, program);
        for (qsizetype i = 0; i < before && !QTest::currentTestFailed(); ++i)
            heard(program, int(i + 1), soundsFrom[i]);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(program.Stop(SIGTERM), 0);
        if (restart.isValid()) {
            TProgram again(FFolder, environment);
            run(restart, again);
            for (qsizetype i = before; i < soundsFrom.size() && !QTest::currentTestFailed(); ++i)
                heard(again, int(i - before + 1), soundsFrom[i]);
            if (QTest::currentTestFailed())
                return;
            QCOMPARE(again.Stop(SIGTERM), 0);
        }
        ReadDataFile([&](const TTaskList &tasks) {
            QCOMPARE(tasks.Count(), int(reminders.size()));
            for (int i = 0; i < tasks.Count(); ++i) {
                QVERIFY(tasks.GetTask(i)->Alerting);
                QCOMPARE(tasks.GetTask(i)->ReminderTime, 0.0);
            }
        });
    }

    // With a tray the cycling icon tells of the alert; a desktop
    // notification joins it only when the user asked for one in Options.
    void trayAlertIsANotificationOnlyWhenAsked_data()
    {
        QTest::addColumn<bool>("asked");
        QTest::newRow("not asked") << false;
        QTest::newRow("asked") << true;
    }
    void trayAlertIsANotificationOnlyWhenAsked()
    {
        QFETCH(bool, asked);
        QVERIFY(WriteSettings(
                    QStringLiteral("ShowTips=0\r\nShowToolBar=0\r\nNotifyWithTray=%1\r\n").arg(int(asked)))
                    .isEmpty());
        WriteDataFile([](TTaskList &tasks) {
            TTask *task = tasks.AddNewTask();
            task->Text = "Call the bank";
            task->Alerting = true;
            task->NoteOpen = false;
        });
        TNotificationServer server;
        const QString why = server.Start(Environment(), FDir->path());
        if (why.contains(QLatin1String("not installed")))
            QSKIP(qPrintable(why));
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QProcessEnvironment environment = Environment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), server.BusAddress());

        TProgram program(FFolder, environment);
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        // Found at the start, the alert is told again once the tray is known
        // to be there: the notification goes then, or never.
        QVERIFY2(
            Eventually([&] { return program.Output().count(QStringLiteral("jbx.events: tray alert")) == 2; }),
            qPrintable(program.Output()));
        QVERIFY2(program.Output().contains(QStringLiteral("jbx.events: alert notification")) == asked,
                 qPrintable(program.Output()));
        if (asked) {
            QVERIFY2(Eventually(
                         [&] { return server.Calls().contains(QStringLiteral("string \"Call the bank\"")); }),
                     qPrintable(server.Calls()));
            QCOMPARE(server.Displayed(), 1);
        } else {
            QCOMPARE(server.Displayed(), 0);
        }
        QCOMPARE(program.Stop(SIGTERM), 0);
    }

    void startThatChangesNothingLeavesTheDataFileAlone()
    {
        const QRect place(200, 150, 260, 180);
        WriteDataFile([&](TTaskList &tasks) {
            TTask *task = tasks.AddNewTask();
            task->Text = "Left as it was";
            task->ReminderTime = 0;
            OpenNoteAt(*task, place);
        });
        const QString data = Path(QStringLiteral("Jotterbox.dat"));
        const QByteArray bytes = [&] {
            QFile file(data);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        const qulonglong inode = Inode(data);
        QVERIFY(inode != 0);

        // Saves every few hundred milliseconds: any rewrite would come.
        QProcessEnvironment environment = Environment();
        environment.insert(QStringLiteral("JBX_SAVE_INTERVAL_MS"), QStringLiteral("300"));
        TProgram program(FFolder, environment);
        QString why;
        QVERIFY2(!Started(program, &why).isEmpty(), qPrintable(why));
        // The first backup comes a save's interval in, with the settings.
        QVERIFY2(Eventually([&] { return QDir(FFolder).entryList({"Jotterbox_Backup_*"}).size() == 1; }),
                 qPrintable(program.Output()));
        QCOMPARE(program.Stop(SIGTERM), 0);

        QCOMPARE(Inode(data), inode);
        QFile file(data);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
    }
};

QTEST_GUILESS_MAIN(TestE2eReminders)
#include "tst_e2e_reminders.moc"
