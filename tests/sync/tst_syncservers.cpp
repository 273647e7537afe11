// What two program folders do to their tasks, and what the servers and
// the network between them do, run through the same round against each
// real server the test starts (Radicale and Xandikos): every row says
// which server it runs on. Between a folder and its server sits a proxy
// that can fail every request from one on, or be gone altogether.
#include "base/Clock.h"
#include "base/TextCodec.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "support/FaultyProxy.h"
#include "support/SyncMachine.h"
#include "support/TRadicale.h"
#include "support/TXandikos.h"
#include "sync/TSyncRound.h"

#include <QtTest>

namespace {

const QString KRadicale = QStringLiteral("radicale");
const QString KXandikos = QStringLiteral("xandikos");

void RemoveTask(TSyncMachine &machine, const QString &text)
{
    TTask *task = const_cast<TTask *>(machine.Find(text));
    QVERIFY2(task, qPrintable(text));
    machine.List.Remove(task);
    machine.List.DisposeRemoved(task);
}

void EditTask(TSyncMachine &machine, const QString &text, const QByteArray &newText)
{
    TTask *task = const_cast<TTask *>(machine.Find(text));
    QVERIFY2(task, qPrintable(text));
    task->Text = newText;
    task->Modified = TClock::Now();
}

// An item as another task app writes it: a summary, a category, a
// property of its own, and no moment of this program's.
QByteArray OtherAppItem(const QByteArray &uid, const QByteArray &summary, const QByteArray &extra = {})
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VTODO\r\nUID:" + uid +
           "\r\nDTSTAMP:20261201T100000Z\r\n" + extra + "SUMMARY:" + summary +
           "\r\nCATEGORIES:home\r\nX-OTHER-APP:" + uid + "\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
}

} // namespace

class TstSyncServers : public QObject {
    Q_OBJECT

    TRadicale FRadicale;
    TXandikos FXandikos;
    int FCollections = 0;

    // A task list of its own on the row's server, for a folder that talks
    // to it straight or through `proxy`.
    std::unique_ptr<TSyncMachine> NewMachine(const QString &server, const QString &collection,
                                             const TFaultyProxy *proxy = nullptr)
    {
        QUrl url = server == KRadicale ? FRadicale.Url(collection) : FXandikos.Url(collection);
        if (proxy)
            url = proxy->Through(url);
        auto machine = std::make_unique<TSyncMachine>(
            url, FRadicale.User(), server == KRadicale ? FRadicale.Password() : FXandikos.Password());
        machine->Options.TimeoutMs = 20000; // a server that stays silent fails the test, not hangs it
        return machine;
    }
    QString NewCollection(const QString &server)
    {
        const QString name = QStringLiteral("tasks%1").arg(++FCollections);
        const bool made =
            server == KRadicale ? FRadicale.CreateTaskList(name) : FXandikos.CreateTaskList(name);
        return made ? name : QString();
    }
    // A request straight to the row's server, as another app sends it.
    int Send(const QString &server, const QByteArray &verb, const QString &path, const QByteArray &body = {},
             QByteArray *answer = nullptr)
    {
        const QList<QPair<QByteArray, QByteArray>> headers{{"Content-Type", "text/calendar"}};
        return server == KRadicale
                   ? FRadicale.Send(verb, path, body, body.isEmpty() ? decltype(headers)() : headers, answer)
                   : FXandikos.Send(verb, path, body, body.isEmpty() ? decltype(headers)() : headers, answer);
    }
    QString Path(const QString &server, const QString &collection, const QString &name) const
    {
        return (server == KRadicale ? FRadicale.Url(collection) : FXandikos.Url(collection)).path() + name;
    }
    quint16 Port(const QString &server) const
    {
        return server == KRadicale ? FRadicale.Port() : FXandikos.Port();
    }

    // The row's server is started at the first row that needs it.
    void Need(const QString &server)
    {
        if (server == KRadicale) {
            if (!TRadicale::Installed())
                QSKIP("radicale is not installed (./x setup installs it)");
            if (!FRadicale.Running())
                QVERIFY2(FRadicale.Start(), qPrintable(FRadicale.Error()));
        } else {
            if (!TXandikos::Installed())
                QSKIP("xandikos is not installed (./x setup installs it)");
            if (!FXandikos.Running())
                QVERIFY2(FXandikos.Start(), qPrintable(FXandikos.Error()));
        }
    }

    static void ServerColumn() { QTest::addColumn<QString>("server"); }
    template <typename... TValues> static void Row(const char *name, const TValues &...values)
    {
        for (const QString &server : {KRadicale, KXandikos})
            ((QTest::addRow("%s: %s", qPrintable(server), name) << server) << ... << values);
    }

private slots:
    void init() { TClock::Set(QDateTime(QDate(2026, 12, 7), QTime(9, 0))); }
    void cleanup() { TClock::Reset(); }

    // Offline here while the other folder edits and deletes: rounds that
    // fail at any step keep what the state knew, so the round after them
    // takes each side's edit and deletion as the ordinary change it is,
    // with no conflicting copy, nothing back from the dead, nothing sent
    // again.
    void aFailedRoundForgetsNothing_data()
    {
        ServerColumn();
        QTest::addColumn<QByteArray>("answer"); // what every failing request gets; empty: nobody there
        QTest::addColumn<int>("from");          // the round's request that fails first
        Row("the server is gone", QByteArray(), 1);
        Row("wrong password", QByteArray("HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\n\r\n"), 1);
        Row("server error while listing",
            QByteArray("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n"), 1);
        Row("broken answer",
            QByteArray("HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\n"
                       "Content-Length: 8\r\n\r\n<broken<"),
            1);
        Row("server error while fetching",
            QByteArray("HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\n\r\n"), 2);
    }
    void aFailedRoundForgetsNothing()
    {
        QFETCH(QString, server);
        QFETCH(QByteArray, answer);
        QFETCH(int, from);
        Need(server);
        const QString collection = NewCollection(server);
        QVERIFY(!collection.isEmpty());
        TFaultyProxy proxy(Port(server));
        const quint16 proxyPort = proxy.serverPort();
        const auto here = NewMachine(server, collection, &proxy);
        const auto there = NewMachine(server, collection);
        for (int i = 0; i < 8; ++i)
            here->Add("Task " + QByteArray::number(i));
        QCOMPARE(here->Round().Uploaded, 8);
        QCOMPARE(there->Round().Downloaded, 8);

        EditTask(*there, QStringLiteral("Task 0"), "Task 0, edited there");
        RemoveTask(*there, QStringLiteral("Task 3"));
        QCOMPARE(there->Round().Result, TSyncOutcome::Done);
        EditTask(*here, QStringLiteral("Task 1"), "Task 1, edited here");
        RemoveTask(*here, QStringLiteral("Task 2"));
        const QStringList before = here->Texts();

        if (answer.isEmpty())
            proxy.close();
        proxy.Answer = answer;
        proxy.FailFrom = proxy.Requests + from;
        for (int round = 0; round < 2; ++round) {
            const TSyncOutcome failed = here->Round();
            QCOMPARE(failed.Result, TSyncOutcome::Failed);
            QVERIFY(!failed.Failure.Message.isEmpty());
            QCOMPARE(here->Texts(), before);
        }
        proxy.FailFrom = 0;
        if (answer.isEmpty())
            QVERIFY(proxy.listen(QHostAddress::LocalHost, proxyPort));

        QStringList expected = before;
        expected.removeAll(QStringLiteral("Task 3"));
        expected.replaceInStrings(QStringLiteral("Task 0"), QStringLiteral("Task 0, edited there"));
        TSyncOutcome got = here->Round();
        QCOMPARE(got.Result, TSyncOutcome::Done);
        QCOMPARE(got.Conflicts, 0);
        QCOMPARE(got.Uploaded, 1);
        QCOMPARE(got.Downloaded, 1);
        QCOMPARE(got.DeletedOnServer, 1);
        QCOMPARE(got.DeletedHere, 1);
        QCOMPARE(here->Texts(), expected);
        got = there->Round();
        QCOMPARE(got.Conflicts, 0);
        QCOMPARE(there->Texts(), expected);
    }

    // Tasks are paired with their items by who they are, never by where
    // they stand: items of another app that carry no moment (or the same
    // one), tasks that share a moment here, an item another app moves to a
    // new address, and a server that names new items itself. Deleting one
    // task deletes its own item and touches no other; a moved item stays
    // the same task; a round after one in step moves nothing.
    void tasksAndItemsPairByIdentity_data()
    {
        ServerColumn();
        QTest::addColumn<QByteArray>("created"); // the other app's CREATED line, or none
        Row("other app's items without a moment", QByteArray());
        Row("other app's items of one second", QByteArray("CREATED:20261201T100000Z\r\n"));
    }
    void tasksAndItemsPairByIdentity()
    {
        QFETCH(QString, server);
        QFETCH(QByteArray, created);
        Need(server);
        const QString collection = NewCollection(server);
        QVERIFY(!collection.isEmpty());
        const QList<QByteArray> fruit{"Apple", "Banana", "Cherry", "Date", "Elderberry"};
        for (const QByteArray &name : fruit)
            QCOMPARE(Send(server, "PUT", Path(server, collection, QString::fromUtf8(name.toLower()) + ".ics"),
                          OtherAppItem(name.toLower(), name, created)),
                     201);
        const auto here = NewMachine(server, collection);
        QCOMPARE(here->Round().Downloaded, 5);
        QSet<TDateTime> moments;
        for (const TTask *task : here->List.Tasks())
            moments.insert(task->Created);
        QCOMPARE(moments.size(), 5);

        RemoveTask(*here, QStringLiteral("Banana"));
        TSyncOutcome got = here->Round();
        QCOMPARE(got.DeletedOnServer, 1);
        QCOMPARE(got.Uploaded, 0);
        QCOMPARE(Send(server, "GET", Path(server, collection, QStringLiteral("banana.ics"))), 404);
        for (const QByteArray &name : {fruit[0], fruit[2]}) {
            QByteArray item;
            QCOMPARE(Send(server, "GET", Path(server, collection, QString::fromUtf8(name.toLower()) + ".ics"),
                          {}, &item),
                     200);
            QVERIFY2(item.contains("SUMMARY:" + name) && item.contains("X-OTHER-APP:" + name.toLower()),
                     item.constData());
        }

        // The other app moves Cherry: DELETE, and PUT under a new name with
        // the same UID and a new summary.
        QCOMPARE(Send(server, "DELETE", Path(server, collection, QStringLiteral("cherry.ics"))) / 100, 2);
        QCOMPARE(Send(server, "PUT", Path(server, collection, QStringLiteral("moved-cherry.ics")),
                      OtherAppItem("cherry", "Cherries", created)),
                 201);
        got = here->Round();
        QCOMPARE(got.DeletedHere, 0);
        QCOMPARE(got.Downloaded, 1);
        QCOMPARE(here->Texts(), (QStringList{QStringLiteral("Apple"), QStringLiteral("Cherries"),
                                             QStringLiteral("Date"), QStringLiteral("Elderberry")}));
        EditTask(*here, QStringLiteral("Cherries"), "Cherries, ripe");
        got = here->Round();
        QCOMPARE(got.Uploaded, 1);
        QCOMPARE(got.DeletedOnServer, 0);
        QByteArray item;
        QCOMPARE(Send(server, "GET", Path(server, collection, QStringLiteral("moved-cherry.ics")), {}, &item),
                 200);
        QVERIFY2(item.contains("UID:cherry") && item.contains("X-OTHER-APP:cherry") && item.contains("ripe"),
                 item.constData());
        got = here->Round();
        QCOMPARE(got.Uploaded + got.Downloaded + got.DeletedHere + got.DeletedOnServer, 0);
    }

    // Tasks of one moment here (an older version made them so): deleting
    // one, and editing another, reaches only their own items.
    void tasksOfOneMomentKeepTheirItems_data()
    {
        ServerColumn();
        Row("four tasks of one moment");
    }
    void tasksOfOneMomentKeepTheirItems()
    {
        QFETCH(QString, server);
        Need(server);
        const QString collection = NewCollection(server);
        QVERIFY(!collection.isEmpty());
        const auto here = NewMachine(server, collection);
        const auto there = NewMachine(server, collection);
        for (const char *text : {"Xylophone", "Yacht", "Zebra", "Zither"})
            here->Add(text)->Created = EncodeDate(2026, 12, 1);
        QCOMPARE(here->Round().Uploaded, 4);
        QCOMPARE(there->Round().Downloaded, 4);
        RemoveTask(*here, QStringLiteral("Xylophone"));
        EditTask(*here, QStringLiteral("Zebra"), "Zebra, edited");
        TSyncOutcome got = here->Round();
        QCOMPARE(got.DeletedOnServer, 1);
        QCOMPARE(got.Uploaded, 1);
        got = there->Round();
        QCOMPARE(got.DeletedHere, 1);
        QCOMPARE(got.Downloaded, 1);
        QCOMPARE(got.Conflicts, 0);
        QCOMPARE(there->Texts(), here->Texts());
        got = here->Round();
        QCOMPARE(got.Uploaded + got.Downloaded + got.DeletedHere + got.DeletedOnServer, 0);
    }

    // A server that stores each new item under a name of its own: the
    // address it lists is the item's, and rounds are quiet after the first.
    void aServerThatNamesItemsItself_data()
    {
        ServerColumn();
        Row("names new items itself");
    }
    void aServerThatNamesItemsItself()
    {
        QFETCH(QString, server);
        Need(server);
        const QString collection = NewCollection(server);
        QVERIFY(!collection.isEmpty());
        TFaultyProxy proxy(Port(server));
        proxy.NamesItems = true;
        const auto here = NewMachine(server, collection, &proxy);
        const auto there = NewMachine(server, collection);
        for (int i = 0; i < 3; ++i)
            here->Add("Task " + QByteArray::number(i));
        QCOMPARE(here->Round().Uploaded, 3);
        for (int round = 0; round < 2; ++round) {
            const TSyncOutcome got = here->Round();
            QCOMPARE(got.Result, TSyncOutcome::Done);
            QCOMPARE(got.Uploaded + got.Downloaded + got.DeletedHere + got.DeletedOnServer, 0);
        }
        QCOMPARE(there->Round().Downloaded, 3);
        EditTask(*here, QStringLiteral("Task 1"), "Task 1, edited");
        QCOMPARE(here->Round().Uploaded, 1);
        const TSyncOutcome got = there->Round();
        QCOMPARE(got.Downloaded, 1);
        QCOMPARE(got.DeletedHere, 0);
        QCOMPARE(there->Texts(), here->Texts());
        QCOMPARE(here->List.Count(), 3);
    }

    // The server turns one PUT down: the round sends the rest, says which
    // task and why, and the next round sends that one too.
    void aRefusedItemHoldsUpNothing_data()
    {
        ServerColumn();
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("why");
        Row("400", 400, QStringLiteral("does not take this task"));
        Row("403", 403, QStringLiteral("not allowed to change this task"));
        Row("413", 413, QStringLiteral("too large"));
        Row("415", 415, QStringLiteral("does not take this task"));
        Row("507", 507, QStringLiteral("no room left"));
    }
    void aRefusedItemHoldsUpNothing()
    {
        QFETCH(QString, server);
        QFETCH(int, status);
        QFETCH(QString, why);
        Need(server);
        const QString collection = NewCollection(server);
        QVERIFY(!collection.isEmpty());
        TFaultyProxy proxy(Port(server));
        proxy.Answer = "HTTP/1.1 " + QByteArray::number(status) + " No\r\nContent-Length: 0\r\n\r\n";
        proxy.FailingPuts = {2};
        const auto here = NewMachine(server, collection, &proxy);
        const auto there = NewMachine(server, collection);
        for (int i = 0; i < 4; ++i)
            here->Add("Task " + QByteArray::number(i));
        TSyncOutcome got = here->Round();
        QCOMPARE(got.Result, TSyncOutcome::Done);
        QCOMPARE(got.Uploaded, 3);
        QCOMPARE(got.Refused.size(), 1);
        QVERIFY2(got.Refused[0].contains(why) && got.Refused[0].contains(QStringLiteral("Task ")),
                 qPrintable(got.Refused[0]));
        got = here->Round();
        QCOMPARE(got.Uploaded, 1);
        QVERIFY(got.Refused.isEmpty());
        QCOMPARE(there->Round().Downloaded, 4);
        QCOMPARE(there->Texts(), here->Texts());
    }

    // Deletions that arrive from the server are asked first when they are
    // every task, more than a quarter, or come from a server that answered
    // each PUT and kept nothing; a few among many are not.
    void manyDeletionsAreAskedFirst_data()
    {
        ServerColumn();
        QTest::addColumn<int>("tasks");
        QTest::addColumn<int>("deleted"); // elsewhere; -1: the server kept nothing
        QTest::addColumn<bool>("asked");
        Row("4 of 4", 4, 4, true);
        Row("5 of 10", 10, 5, true);
        Row("1 of 10", 10, 1, false);
        Row("a server that stores nothing", 4, -1, true);
    }
    void manyDeletionsAreAskedFirst()
    {
        QFETCH(QString, server);
        QFETCH(int, tasks);
        QFETCH(int, deleted);
        QFETCH(bool, asked);
        Need(server);
        const QString collection = NewCollection(server);
        QVERIFY(!collection.isEmpty());
        TFaultyProxy proxy(Port(server));
        if (deleted < 0) {
            proxy.Answer = "HTTP/1.1 201 Created\r\nETag: \"kept\"\r\nContent-Length: 0\r\n\r\n";
            for (int put = 1; put <= tasks; ++put)
                proxy.FailingPuts.insert(put);
        }
        const auto here = NewMachine(server, collection, &proxy);
        const auto there = NewMachine(server, collection);
        for (int i = 0; i < tasks; ++i)
            here->Add("Task " + QByteArray::number(i));
        QCOMPARE(here->Round().Uploaded, tasks);
        if (deleted < 0)
            here->State.SyncToken.clear(); // as from a server without tokens: the listing shows nothing
        if (deleted > 0) {
            QCOMPARE(there->Round().Downloaded, tasks);
            for (int i = 0; i < deleted; ++i)
                RemoveTask(*there, QStringLiteral("Task %1").arg(i));
            QCOMPARE(there->Round(true).DeletedOnServer, deleted);
        }
        const TSyncOutcome got = here->Round();
        QCOMPARE(got.Result, asked ? TSyncOutcome::AskDeletions : TSyncOutcome::Done);
        QCOMPARE(here->List.Count(), asked ? tasks : tasks - deleted);
        if (asked) {
            QCOMPARE(got.DeletionsAsked, deleted < 0 ? tasks : deleted);
            QCOMPARE(here->Round(true).DeletedHere, deleted < 0 ? tasks : deleted);
        }
    }

    // Another client deletes a task this side sent in its last round: the
    // next round here sees it gone, on every server.
    void aDeletionElsewhereOfWhatWasJustSentIsSeen_data()
    {
        ServerColumn();
        Row("deleted right after it was sent");
    }
    void aDeletionElsewhereOfWhatWasJustSentIsSeen()
    {
        QFETCH(QString, server);
        Need(server);
        const QString collection = NewCollection(server);
        QVERIFY(!collection.isEmpty());
        const auto here = NewMachine(server, collection);
        const auto there = NewMachine(server, collection);
        for (int i = 0; i < 8; ++i)
            here->Add("Task " + QByteArray::number(i));
        QCOMPARE(here->Round().Uploaded, 8);
        QCOMPARE(here->Round().Uploaded, 0);
        here->Add("Sent last");
        QCOMPARE(here->Round().Uploaded, 1);
        QCOMPARE(there->Round().Downloaded, 9);
        RemoveTask(*there, QStringLiteral("Sent last"));
        QCOMPARE(there->Round().DeletedOnServer, 1);
        const TSyncOutcome got = here->Round();
        QCOMPARE(got.DeletedHere, 1);
        QCOMPARE(here->Texts(), there->Texts());
    }

    // Changed on both sides since the last round: a field changed on one
    // side only comes from that side, and only texts changed differently on
    // both make a conflicting copy. Both sides end alike.
    void bothSidesChangedMergeFieldByField_data()
    {
        ServerColumn();
        QTest::addColumn<QByteArray>("thereText"); // empty: the text stays
        QTest::addColumn<bool>("thereFinishes");
        QTest::addColumn<QByteArray>("hereText");
        QTest::addColumn<bool>("hereSetsDue");
        QTest::addColumn<int>("tasks"); // after the merge
        Row("finished there, due date here", QByteArray(), true, QByteArray(), true, 1);
        Row("text there, due date here", QByteArray("Buy milk and bread"), false, QByteArray(), true, 1);
        Row("texts on both sides", QByteArray("Buy oat milk"), true, QByteArray("Buy milk and bread"), false,
            2);
    }
    void bothSidesChangedMergeFieldByField()
    {
        QFETCH(QString, server);
        QFETCH(QByteArray, thereText);
        QFETCH(bool, thereFinishes);
        QFETCH(QByteArray, hereText);
        QFETCH(bool, hereSetsDue);
        QFETCH(int, tasks);
        Need(server);
        const QString collection = NewCollection(server);
        QVERIFY(!collection.isEmpty());
        const auto here = NewMachine(server, collection);
        const auto there = NewMachine(server, collection);
        here->Add("Buy milk");
        here->Round();
        there->Round();
        TTask *theirs = there->List.GetTask(0);
        if (!thereText.isEmpty())
            theirs->Text = thereText;
        theirs->Finished = thereFinishes;
        theirs->Modified = TClock::Now();
        QCOMPARE(there->Round().Uploaded, 1);
        TClock::Advance(60000);
        TTask *mine = here->List.GetTask(0);
        if (!hereText.isEmpty())
            mine->Text = hereText;
        const TDateTime due = EncodeDate(2026, 12, 24);
        if (hereSetsDue)
            mine->DueDate = due;
        mine->Modified = TClock::Now(); // the newer one

        const TSyncOutcome got = here->Round();
        QCOMPARE(got.Result, TSyncOutcome::Done);
        QCOMPARE(here->List.Count(), tasks);
        there->Round();
        QCOMPARE(there->Texts(), here->Texts());
        const QString text =
            QString::fromUtf8(hereText.isEmpty() ? (thereText.isEmpty() ? "Buy milk" : thereText) : hereText);
        for (const TSyncMachine *machine : {here.get(), there.get()}) {
            const TTask *merged = machine->Find(text);
            QVERIFY2(merged, qPrintable(machine->Texts().join(u'|')));
            QCOMPARE(merged->Finished, thereFinishes);
            QCOMPARE(merged->DueDate, hereSetsDue ? due : 0.0);
        }
        const TSyncOutcome quiet = here->Round();
        QCOMPARE(quiet.Uploaded + quiet.Downloaded + quiet.Conflicts, 0);
    }
};

QTEST_GUILESS_MAIN(TstSyncServers)
#include "tst_syncservers.moc"
