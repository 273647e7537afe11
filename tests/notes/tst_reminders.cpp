#include "base/Clock.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "notes/ReminderEngine.h"
#include "platform/TWallClockTimer.h"
#include "settings/TUserInfo.h"
#include "support/ShellFixture.h"
#include "tasklist/TitleCycling.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <ctime>

namespace {
const QDateTime Noon(QDate(2026, 12, 7), QTime(12, 0));
constexpr double Second = 1.0 / 86400;
} // namespace

class TestReminders : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    TTask *Add(const QByteArray &text, double reminder = 0)
    {
        TTask *task = TaskList().AddNewTask();
        task->Text = text;
        task->ReminderTime = reminder;
        task->Alerting = false;
        return task;
    }

private slots:
    void initTestCase()
    {
        // The clock changes are Berlin's, wherever the test runs.
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }

    void init()
    {
        TClock::Set(Noon);
        CreateGlobals(FDir.path() + u'/');
        DataModified.Clear();
    }

    void cleanup()
    {
        DestroyGlobals();
        TClock::Reset();
    }

    void reminderFiresOnlyOnceItsMomentHasPassed()
    {
        const double now = TClock::Now();
        TTask *exact = Add("exact", now);
        TTask *none = Add("none", 0);
        TTask *negative = Add("negative", -5);
        TTask *finished = Add("finished", now - Second);
        finished->Finished = true;

        TReminderScan scan = ScanReminders(TaskList());
        QVERIFY(scan.Fired);
        QVERIFY(!exact->Alerting);
        QCOMPARE(exact->ReminderTime, now);
        QVERIFY(!none->Alerting && !negative->Alerting);
        QVERIFY(finished->Alerting); // a finished task's reminder still fires
        QCOMPARE(finished->ReminderTime, 0.0);

        TClock::Advance(1000);
        scan = ScanReminders(TaskList());
        QVERIFY(scan.Fired);
        QVERIFY(exact->Alerting);
        QCOMPARE(exact->ReminderTime, 0.0);
        // Cleared when fired, so nothing fires twice.
        QVERIFY(!ScanReminders(TaskList()).Fired);
    }

    void severalDueInOneTickGiveOneSoundAndOneTrayAlert()
    {
        TFakeNotes notes;
        TTask *first = Add("first", TClock::Now() - 60 * Second);
        TTask *second = Add("second", TClock::Now() - Second);
        TReminderEngine engine(TaskList());
        QSignalSpy sounds(&engine, &TReminderEngine::AlertSoundDue);
        QSignalSpy trays(&engine, &TReminderEngine::TrayAlertDue);

        engine.Timer1Timer();
        QCOMPARE(sounds.size(), 1);
        QCOMPARE(trays.size(), 1);
        QVERIFY(DataModified);
        QCOMPARE(notes.Messages.size(), 2);
        QCOMPARE(notes.Messages[0], qMakePair(2, first));
        QCOMPARE(notes.Messages[1], qMakePair(2, second));
        QVERIFY(!engine.Timer1->IsActive()); // no reminder left to wait for

        DataModified.Clear();
        engine.Timer1Timer();
        QCOMPARE(sounds.size(), 1);
        QVERIFY(!DataModified);
    }

    // The scan runs when a reminder can fall due: Timer1 is armed for the
    // millisecond after the earliest reminder and its handler runs then,
    // and also when the clock was set or the machine woke from a suspend
    // (the wall-clock timer reports both at once). Each row runs the
    // handler at the given clock readings, seconds from noon.
    void scanComesWhenAReminderCanFallDue_data()
    {
        QTest::addColumn<QList<int>>("reminders");
        QTest::addColumn<QList<int>>("runsAt");
        QTest::addColumn<QList<int>>("fired");  // tasks alerting after each run
        QTest::addColumn<QList<int>>("sounds"); // sounds after each run
        QTest::newRow("passed while the program was not running")
            << QList{-60} << QList{0} << QList{1} << QList{1};
        QTest::newRow("a minute ahead, not at its moment itself")
            << QList{60} << QList{0, 60, 61} << QList{0, 0, 1} << QList{0, 0, 1};
        QTest::newRow("clock moved forward past it") << QList{3600} << QList{7200} << QList{1} << QList{1};
        QTest::newRow("clock moved back after it fired")
            << QList{60} << QList{61, 0, 61} << QList{1, 1, 1} << QList{1, 1, 1};
        QTest::newRow("clock moved back before it fired")
            << QList{60, 600} << QList{-3600, 61} << QList{0, 1} << QList{0, 1};
        QTest::newRow("woke from a suspend past several")
            << QList{60, 120, 7200, 90000} << QList{10800} << QList{3} << QList{1};
        QTest::newRow("several due together") << QList{60, 60, 60} << QList{61} << QList{3} << QList{1};
    }

    void scanComesWhenAReminderCanFallDue()
    {
        QFETCH(QList<int>, reminders);
        QFETCH(QList<int>, runsAt);
        QFETCH(QList<int>, fired);
        QFETCH(QList<int>, sounds);
        TFakeNotes notes;
        QList<TTask *> tasks;
        for (int seconds : reminders)
            tasks << Add("task", QDateTimeToDateTime(Noon.addSecs(seconds)));
        TReminderEngine engine(TaskList());
        QSignalSpy played(&engine, &TReminderEngine::AlertSoundDue);

        auto checkArmed = [&] {
            std::optional<int> next;
            for (int i = 0; i < tasks.size(); ++i)
                if (tasks[i]->ReminderTime > 0 && (!next || reminders[i] < *next))
                    next = reminders[i];
            QCOMPARE(engine.Timer1->IsActive(), next.has_value());
            if (next)
                QCOMPARE(engine.Timer1->DueAt(), Noon.addSecs(*next).addMSecs(1));
        };
        checkArmed();
        for (int run = 0; run < runsAt.size(); ++run) {
            TClock::Set(Noon.addSecs(runsAt[run]));
            engine.Timer1Timer();
            QCOMPARE(int(std::count_if(tasks.begin(), tasks.end(), [](TTask *t) { return t->Alerting; })),
                     fired[run]);
            QCOMPARE(int(played.size()), sounds[run]);
            checkArmed();
        }

        // A reminder set afterwards is waited for from the change on.
        TTask *later = Add("later", TClock::Now() + 30 * Second);
        DataModified.Mark();
        QCOMPARE(engine.Timer1->DueAt(), DateTimeToQDateTime(later->ReminderTime).addMSecs(1));
        // Finished, it is no longer waited for.
        later->Finished = true;
        later->ReminderTime = 0;
        DataModified.Mark();
        checkArmed();
    }

    // Across Berlin's clock changes of 2027 each reminder fires at the first
    // moment the wall clock is at or past it: one in the hour skipped on 28
    // March at the jump, without holding up those after it; one in the hour
    // shown twice on 31 October at its first showing. A reminder no date
    // can hold keeps no other from coming. Each row runs the handler at
    // every moment Timer1 is armed for (UTC), one more firing each time.
    void scanFollowsTheWallClockAcrossClockChanges_data()
    {
        QTest::addColumn<QList<double>>("reminders");
        QTest::addColumn<QList<QDateTime>>("armedFor");
        const QDate spring(2027, 3, 28);
        const QDate autumn(2027, 10, 31);
        auto utc = [](QDate day, QTime time) { return QDateTime(day, time, Qt::UTC); };
        QTest::newRow("spring") << QList{CombineDateTime(spring, QTime(1, 59, 50)),
                                         CombineDateTime(spring, QTime(2, 30)),
                                         CombineDateTime(spring, QTime(3, 0, 30))}
                                << QList{utc(spring, QTime(0, 59, 50, 1)), utc(spring, QTime(1, 0, 0, 1)),
                                         utc(spring, QTime(1, 0, 30, 1))};
        QTest::newRow("autumn") << QList{CombineDateTime(autumn, QTime(2, 30))}
                                << QList{utc(autumn, QTime(0, 30, 0, 1))};
        QTest::newRow("beyond any date")
            << QList{1e12, CombineDateTime(spring, QTime(9, 0))} << QList{utc(spring, QTime(7, 0, 0, 1))};
    }

    void scanFollowsTheWallClockAcrossClockChanges()
    {
        QFETCH(QList<double>, reminders);
        QFETCH(QList<QDateTime>, armedFor);
        TFakeNotes notes;
        for (double reminder : reminders)
            Add("task", reminder);
        TReminderEngine engine(TaskList());
        for (int run = 0; run < armedFor.size(); ++run) {
            QVERIFY(engine.Timer1->IsActive());
            QCOMPARE(engine.Timer1->DueAt().toUTC(), armedFor[run]);
            TClock::Set(armedFor[run].toLocalTime());
            engine.Timer1Timer();
            const auto alerting = std::count_if(TaskList().Tasks().begin(), TaskList().Tasks().end(),
                                                [](const TTask *task) { return task->Alerting; });
            QCOMPARE(int(alerting), run + 1);
        }
        QVERIFY(!engine.Timer1->IsActive());
    }

    void dueTaskWithOpenNoteBlinksWithoutTrayAlert()
    {
        TFakeNotes notes;
        TTask *task = Add("open", TClock::Now() - Second);
        task->NoteOpen = true;
        TReminderEngine engine(TaskList());
        QSignalSpy sounds(&engine, &TReminderEngine::AlertSoundDue);
        QSignalSpy trays(&engine, &TReminderEngine::TrayAlertDue);
        engine.Timer1Timer();
        QCOMPARE(sounds.size(), 1);
        QCOMPARE(trays.size(), 0);
        QCOMPARE(notes.Messages, (QList<QPair<int, TTask *>>{{2, task}}));
    }

    void messageReachesNotesInOrderAndSkipsOneRemovedOnTheWay()
    {
        struct TNote : TTaskSheetReceiver {
            TNote(QStringList *log, const QString &name) : Log(log), Name(name) {}
            QStringList *Log;
            QString Name;
            TTaskSheetReceiver *Victim = nullptr;
            void TaskSheetMessage(int code, TTask *) override
            {
                *Log << Name + QString::number(code);
                if (Victim)
                    RemoveTaskSheetReceiver(Victim);
            }
        };
        QStringList log;
        TNote a(&log, "a"), b(&log, "b"), c(&log, "c");
        b.Victim = &c;
        AddTaskSheetReceiver(&a);
        AddTaskSheetReceiver(&b);
        AddTaskSheetReceiver(&c);
        SendTaskSheetMessage(TaskSheetClose, nullptr);
        RemoveTaskSheetReceiver(&a);
        RemoveTaskSheetReceiver(&b);
        QCOMPARE(log, (QStringList{"a1", "b1"}));
    }

    void openingANoteMakesAWindowOnlyWhenNoneAnswers()
    {
        TFakeNotes notes;
        TTask *closed = Add("closed");
        TTask *open = Add("open");
        open->NoteOpen = true;
        OpenNoteForTask(closed);
        OpenNoteForTask(open);
        QCOMPARE(notes.Log, (QStringList{"0", "create", "0"}));
        QCOMPARE(notes.Created, QList<TTask *>{closed});
    }

    void titleCycling()
    {
        TTitleCycling title;
        // Expanded: the plain title, every tenth tick.
        for (int i = 0; i < 9; ++i)
            QCOMPARE(title.Tick(TaskList(), true), std::nullopt);
        QCOMPARE(title.Tick(TaskList(), true), QString("Jotterbox"));
        // No tasks: the title stays as it is.
        title.TitleTick = -1;
        QCOMPARE(title.Tick(TaskList(), false), std::nullopt);

        Add("\r\n  Call Anna  \r\nabout Friday");
        Add("done")->Finished = true;
        Add("on screen")->NoteOpen = true;
        title.TitleTick = -1;
        QCOMPARE(title.Tick(TaskList(), false), QString("Call Anna"));
        QCOMPARE(title.TitleIndex, 0);
        for (int i = 0; i < 9; ++i)
            QCOMPARE(title.Tick(TaskList(), false), std::nullopt);
        QCOMPARE(title.Tick(TaskList(), false), QString("Call Anna"));

        // An index left beyond the end starts over, within one pass.
        Add("Write report");
        title.TitleIndex = 17;
        title.TitleTick = -1;
        QCOMPARE(title.Tick(TaskList(), false), QString("Call Anna"));
        title.TitleTick = -1;
        QCOMPARE(title.Tick(TaskList(), false), QString("Write report"));
        QCOMPARE(title.TitleIndex, 3);

        // Nothing qualifies: the plain title.
        TaskList().GetTask(0)->Finished = true;
        TaskList().GetTask(3)->NoteOpen = true;
        title.TitleTick = -1;
        QCOMPARE(title.Tick(TaskList(), false), QString("Jotterbox"));
        QCOMPARE(title.TitleIndex, 3);
    }
};

QTEST_MAIN(TestReminders)
#include "tst_reminders.moc"
