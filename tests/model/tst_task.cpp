#include "base/Clock.h"
#include "base/Screen.h"
#include "model/TStream.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"
#include "support/TestTasks.h"

#include <QTest>

class TestTask : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        ResetCascade();
        SetPrimaryScreenSizeFunction([] { return QSize(1920, 1080); });
        TClock::Set(QDateTime(QDate(2026, 3, 10), QTime(16, 20, 5)));
    }
    void cleanup() { TClock::Reset(); }

    void newTaskTakesTheDefaults()
    {
        TUserInfo settings;
        TTask task(settings);
        QCOMPARE(task.Width, 250);
        QCOMPARE(task.Height, 160);
        QCOMPARE(task.Priority, 2);
        QCOMPARE(task.Text, QByteArray("New Note"));
        QCOMPARE(task.FontName, QByteArray("Comic Sans MS"));
        QCOMPARE(task.FontSize, 11);
        QCOMPARE(task.Color, settings.Color1);
        QCOMPARE(task.DueDate, 0.0);
        QCOMPARE(task.ReminderTime, 0.0);
        QVERIFY(!task.NoteOpen && !task.Finished && !task.Alerting);
        QCOMPARE(task.Created, EncodeDate(2026, 3, 10) + EncodeTime(16, 20, 5));
        QCOMPARE(task.Modified, task.Created);
        QCOMPARE(task.CreatedDayOfWeek, 2); // a Tuesday
        QCOMPARE(task.CreatedYear, quint16(2026));
        QCOMPARE(task.CreatedMonth, quint16(3));
        QCOMPARE(task.CreatedDay, quint16(10));
    }

    void cascadeRestartsAtOneHundred()
    {
        SetPrimaryScreenSizeFunction([] { return QSize(640, 480); });
        TUserInfo settings;
        QList<QPoint> places;
        for (int i = 0; i < 5; ++i) {
            TTask task(settings);
            places << QPoint(task.Left, task.Top);
        }
        QCOMPARE(places, (QList<QPoint>{{120, 120}, {140, 140}, {160, 160}, {100, 100}, {120, 120}}));
    }

    void colourRotation()
    {
        TUserInfo settings;
        settings.DefaultColor = 5;
        QCOMPARE(TTask(settings).Color, settings.Color5);
        QCOMPARE(settings.DefaultColor, 1);
        QCOMPARE(TTask(settings).Color, settings.Color1);
        QCOMPARE(settings.DefaultColor, 2);
        settings.DefaultColor = 0;
        QCOMPARE(TTask(settings).Color, 0);
        QCOMPARE(settings.DefaultColor, 1);
        settings.DefaultColor = INT32_MAX; // hand-edited
        QCOMPARE(TTask(settings).Color, 0);
        QCOMPARE(settings.DefaultColor, 1);
    }

    void automaticDueDateAndReminder()
    {
        TUserInfo settings;
        settings.AutoDueDate = true;
        settings.AutoReminder = true;
        TTask task(settings);
        QCOMPARE(task.DueDate, EncodeDate(2026, 3, 11));
        QCOMPARE(task.ReminderTime, EncodeDate(2026, 3, 11) + EncodeTime(9, 30));

        settings.AutoDueDateDays = 1;
        QCOMPARE(TTask(settings).DueDate, EncodeDate(2026, 3, 10));

        // Only a hand-edited file can switch the reminder on alone: it then
        // lies on day 0, in the past, and falls due at the next scan.
        settings.AutoDueDate = false;
        TTask bare(settings);
        QCOMPARE(bare.DueDate, 0.0);
        QCOMPARE(bare.ReminderTime, EncodeTime(9, 30));
    }

    void recordLayout()
    {
        TUserInfo settings;
        TTask task(settings);
        task.FontName = "Arial";
        task.Text = "abc";
        TMemoryStream stream;
        task.SaveToStream(stream);
        QCOMPARE(stream.Bytes().size(), 113);
        // Spot-check the places of fields around the two strings.
        const QByteArray &b = stream.Bytes();
        QCOMPARE(b.mid(20, 9), QByteArray("\x05\0\0\0Arial", 9));
        QCOMPARE(b.mid(45, 7), QByteArray("\x03\0\0\0abc", 7));
        QCOMPARE(b.right(4), QByteArray("\x02\0\0\0", 4)); // Priority last

        task.FontName.clear();
        task.Text.clear();
        TMemoryStream empty;
        task.SaveToStream(empty);
        QCOMPARE(empty.Bytes().size(), 105);
        empty.Seek(0);
        TTask back(settings);
        back.LoadFromStream(empty);
        QCOMPARE(back, task);
    }

    void everyFieldSurvivesAStreamRoundTrip()
    {
        TUserInfo settings;
        TTask original(settings);
        FillEveryField(original, 1);
        TMemoryStream stream;
        original.SaveToStream(stream);
        stream.Seek(0);
        TTask copy(settings);
        copy.LoadFromStream(stream);
        QCOMPARE(copy, original);
        QCOMPARE(stream.BytesLeft(), 0);
        TMemoryStream again;
        copy.SaveToStream(again);
        QCOMPARE(again.Bytes(), stream.Bytes());
    }

    void partialRecordKeepsWhatWasRead()
    {
        TUserInfo settings;
        TTask original(settings);
        FillEveryField(original, 2);
        TMemoryStream full;
        original.SaveToStream(full);
        // Cut inside Text: geometry and font arrive, the rest keeps defaults.
        TMemoryStream cut(full.Bytes().left(60));
        TTask partial(settings);
        const TTask defaults = partial;
        QVERIFY_THROWS_EXCEPTION(std::exception, partial.LoadFromStream(cut));
        QCOMPARE(partial.Left, original.Left);
        QCOMPARE(partial.FontName, original.FontName);
        QCOMPARE(partial.Spare1, original.Spare1);
        QCOMPARE(partial.Text, defaults.Text);
        QCOMPARE(partial.Priority, defaults.Priority);
    }
};

QTEST_GUILESS_MAIN(TestTask)
#include "tst_task.moc"
