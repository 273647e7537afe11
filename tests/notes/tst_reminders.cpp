#include "base/Clock.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "notes/ReminderEngine.h"
#include "settings/TUserInfo.h"
#include "support/ShellFixture.h"
#include "tasklist/TitleCycling.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
    void init()
    {
        TClock::Set(Noon);
        CreateGlobals(FDir.path() + u'/');
        DataModified = false;
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
        QSignalSpy ticks(&engine, &TReminderEngine::Ticked);

        engine.Timer1Timer();
        QCOMPARE(sounds.size(), 1);
        QCOMPARE(trays.size(), 1);
        QCOMPARE(ticks.size(), 1);
        QVERIFY(DataModified);
        QCOMPARE(notes.Messages.size(), 2);
        QCOMPARE(notes.Messages[0], qMakePair(2, first));
        QCOMPARE(notes.Messages[1], qMakePair(2, second));
        QVERIFY(engine.Timer1->isActive());

        DataModified = false;
        engine.Timer1Timer();
        QCOMPARE(sounds.size(), 1);
        QVERIFY(!DataModified);
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
