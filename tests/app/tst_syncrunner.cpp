// The program's sync runner does one thing at a time: a second request
// while the keyring is being asked waits for its answer instead of asking
// again, and an answer that comes after the end (or after a newer request)
// starts nothing and says nothing.
#include "app/TSyncRunner.h"
#include "model/UnitGlobalData.h"
#include "settings/TUserInfo.h"
#include "sync/TSyncStatus.h"

#include <QTemporaryDir>
#include <QtTest>

class TstSyncRunner : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

private slots:
    void init() { CreateGlobals(FDir.path() + u'/'); }
    void cleanup() { DestroyGlobals(); }

    void oneKeyringReadAtATimeAndLateAnswersAreDropped()
    {
        UserInfo().SyncEnabled = true;
        UserInfo().SyncUrl = QStringLiteral("http://127.0.0.1:9/tasks/");
        UserInfo().SyncUser = QStringLiteral("tester");
        UserInfo().SyncPasswordCommand.clear();
        TSyncRunner runner(FDir.filePath(QStringLiteral("Jotterbox.dat")));
        QList<TSyncRunner::TPasswordAnswer> asked;
        runner.SetPasswordSource([&](const QString &, const QString &, TSyncRunner::TPasswordAnswer answer) {
            asked << std::move(answer);
        });
        QStringList problems;
        connect(&runner, &TSyncRunner::Problem, this, [&](const QString &message) { problems << message; });

        runner.SyncNow();
        runner.SyncNow();
        runner.TimerSyncSoonTimer();
        QCOMPARE(asked.size(), 1);
        QVERIFY(runner.Busy());

        // The keyring says no: said once, and the request that waited
        // asks again a little later.
        asked[0](false, {}, QStringLiteral("the keyring is locked"));
        QVERIFY(!runner.Busy());
        QCOMPARE(problems, QStringList{QStringLiteral("the keyring is locked")});
        QVERIFY(runner.findChild<QTimer *>(QStringLiteral("TimerSyncSoon"))->isActive());
        runner.TimerSyncSoonTimer();
        QCOMPARE(asked.size(), 2);

        // The program ends while the keyring is asked: its answer, when
        // it comes, starts no round and opens nothing.
        runner.FinalRound(1000);
        QVERIFY(!runner.Busy());
        const TDateTime lastRound = runner.Status()->LastRound();
        asked[1](true, QStringLiteral("secret"), {});
        asked[1](false, {}, QStringLiteral("late"));
        QVERIFY(!runner.Busy());
        QCOMPARE(asked.size(), 2);
        QCOMPARE(problems.size(), 1);
        QCOMPARE(runner.Status()->LastRound(), lastRound);
    }
};

QTEST_MAIN(TstSyncRunner)
#include "tst_syncrunner.moc"
