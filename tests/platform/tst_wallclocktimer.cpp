#include "base/Clock.h"
#include "platform/TWallClockTimer.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

// The wall-clock timer on the real clock: the one place where a test waits
// for the time to come, a few milliseconds at most.
class TestWallClockTimer : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { TClock::Reset(); }

    void firesOnceItsMomentHasCome_data()
    {
        QTest::addColumn<int>("aheadMs");
        QTest::newRow("passed") << -60000;
        QTest::newRow("ahead") << 40;
    }

    void firesOnceItsMomentHasCome()
    {
        QFETCH(int, aheadMs);
        TWallClockTimer timer;
        QSignalSpy due(&timer, &TWallClockTimer::Due);
        const QDateTime moment = QDateTime::currentDateTime().addMSecs(aheadMs);
        timer.ArmAt(moment);
        QVERIFY(timer.IsActive());
        QCOMPARE(timer.DueAt(), moment);
        QVERIFY(due.wait(5000));
        QVERIFY(QDateTime::currentDateTime() >= moment);
        QCOMPARE(due.size(), 1);
        QVERIFY(!timer.IsActive());
        // Once: nothing more comes by itself.
        QCoreApplication::processEvents();
        QCOMPARE(due.size(), 1);
    }

    void stoppedOrReplacedItKeepsQuiet()
    {
        TWallClockTimer timer;
        QSignalSpy due(&timer, &TWallClockTimer::Due);
        timer.ArmAt(QDateTime::currentDateTime().addSecs(-1));
        timer.Stop();
        QVERIFY(!timer.IsActive());
        QCoreApplication::processEvents();
        QCOMPARE(due.size(), 0);

        timer.ArmAt(QDateTime::currentDateTime().addSecs(-1));
        timer.ArmAt(QDateTime::currentDateTime().addSecs(3600));
        QCoreApplication::processEvents();
        QCOMPARE(due.size(), 0);
        QVERIFY(timer.IsActive());
    }

    void withTheClockSetItOnlyRemembersItsMoment()
    {
        TClock::Set(QDateTime(QDate(2026, 12, 7), QTime(12, 0)));
        TWallClockTimer timer;
        QSignalSpy due(&timer, &TWallClockTimer::Due);
        const QDateTime moment(QDate(2026, 12, 7), QTime(11, 0));
        timer.ArmAt(moment);
        QCoreApplication::processEvents();
        QCOMPARE(due.size(), 0);
        QVERIFY(timer.IsActive());
        QCOMPARE(timer.DueAt(), moment);
    }
};

QTEST_GUILESS_MAIN(TestWallClockTimer)
#include "tst_wallclocktimer.moc"
