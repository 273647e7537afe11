// The program's sync runner does one thing at a time: a second request
// while the keyring is being asked waits for its answer instead of asking
// again, and an answer that comes after the end (or after a newer request)
// starts nothing and says nothing. The last round at the end never asks:
// deletions it would ask about wait for the next start.
#include "app/TSyncRunner.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "settings/TUserInfo.h"
#include "support/TRadicale.h"
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

    void theLastRoundNeverAsks()
    {
        TRadicale server;
        if (!TRadicale::Installed())
            QSKIP("radicale is not installed (./x setup installs it)");
        QVERIFY2(server.Start(), qPrintable(server.Error()));
        QVERIFY(server.CreateTaskList(QStringLiteral("tasks")));
        UserInfo().SyncEnabled = true;
        UserInfo().SyncUrl = server.Url(QStringLiteral("tasks")).toString();
        UserInfo().SyncUser = server.User();
        UserInfo().SyncPasswordCommand = QStringLiteral("echo '%1'").arg(server.Password());
        for (int i = 0; i < 5; ++i)
            TaskList().AddNewTask()->Text = "Task " + QByteArray::number(i);
        {
            TSyncRunner first(FDir.filePath(QStringLiteral("Jotterbox.dat")));
            first.FinalRound(30000);
            QVERIFY2(first.Status()->LastOk(), qPrintable(first.Status()->LastResult()));
            first.DataSaved();
        }
        const QString path = server.Url(QStringLiteral("tasks")).path();
        for (const QString &name : server.StoredItems(QStringLiteral("tasks")))
            QCOMPARE(server.Send("DELETE", path + name) / 100, 2);

        TSyncRunner last(FDir.filePath(QStringLiteral("Jotterbox.dat")));
        int asked = 0;
        connect(&last, &TSyncRunner::DeletionsAsked, this, [&] { ++asked; });
        last.FinalRound(30000);
        QVERIFY(!last.Busy());
        QCOMPARE(asked, 0);
        QCOMPARE(TaskList().Count(), 5);
        QVERIFY2(last.Status()->LastResult().contains(QStringLiteral("5")),
                 qPrintable(last.Status()->LastResult()));
    }
};

QTEST_MAIN(TstSyncRunner)
#include "tst_syncrunner.moc"
