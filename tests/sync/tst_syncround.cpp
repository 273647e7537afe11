// Two program folders sync through a real Radicale server: what one does to
// its tasks, the other sees after a round, field by field, and nothing is
// lost on the way (conflicts, deletions, a lost state, a user who types
// during a round, a server that fails before or during a round).
#include "base/Clock.h"
#include "base/TextCodec.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"
#include "support/FaultyProxy.h"
#include "support/SyncMachine.h"
#include "support/TRadicale.h"
#include "support/TestTasks.h"
#include "sync/TSyncRound.h"
#include "sync/VTodo.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <memory>

class TstSyncRound : public QObject {
    Q_OBJECT

    TRadicale FServer;
    int FCollections = 0;
    QString FCollection;

    // Each test gets a task list of its own on the one server.
    void NewCollection()
    {
        FCollection = QStringLiteral("tasks%1").arg(++FCollections);
        QVERIFY(FServer.CreateTaskList(FCollection));
    }

private slots:
    void initTestCase()
    {
        if (!TRadicale::Installed())
            QSKIP("radicale is not installed (./x setup installs it)");
        QVERIFY2(FServer.Start(), qPrintable(FServer.Error()));
    }
    void init()
    {
        TClock::Set(QDateTime(QDate(2026, 12, 7), QTime(9, 0)));
        NewCollection();
    }
    void cleanup() { TClock::Reset(); }

    // New, edit, finish, reminder, due date, priority and the note's look:
    // each made on one side is on the other after a round each, every
    // field of it; and an incremental round moves only what changed.
    void everyFieldTravelsBothWays()
    {
        TSyncMachine a(FServer, FCollection), b(FServer, FCollection);
        TTask *made = a.Add("x");
        FillEveryField(*made, 4);
        made->Created = TClock::Now();
        for (int i = 0; i < 20; ++i)
            a.Add("Filler " + QByteArray::number(i));
        QCOMPARE(a.Round().Uploaded, 21);
        TSyncOutcome got = b.Round();
        QCOMPARE(got.Result, TSyncOutcome::Done);
        QCOMPARE(got.Downloaded, 21);
        QCOMPARE(b.List.Count(), 21);
        const TTask *seen = b.Find(DecodeText(made->Text));
        QVERIFY(seen);
        TTask expected = *made; // what travels is text: Windows-1252 bytes arrive as UTF-8
        expected.Text = EncodeText(DecodeText(made->Text));
        expected.FontName = EncodeText(DecodeText(made->FontName));
        QCOMPARE(Digest(*seen), Digest(expected));
        QCOMPARE(seen->Text, EncodeText(DecodeText(made->Text))); // UTF-8 now, the same words

        // The other way: the edits of B, one task among many.
        TTask *edited = b.List.GetTask(b.List.Count() - 1);
        edited->Text = "Filler edited\r\nsecond line";
        edited->Finished = true;
        edited->ReminderTime = EncodeDate(2026, 12, 9) + EncodeTime(8, 15);
        edited->DueDate = EncodeDate(2026, 12, 10);
        edited->Priority = TTask::PriorityLow;
        edited->Color = 0x00ABCDEF;
        edited->Modified = TClock::Now();
        got = b.Round();
        QCOMPARE(got.Uploaded, 1);
        QCOMPARE(got.Downloaded, 0);
        got = a.Round();
        QCOMPARE(got.Downloaded, 1);
        QCOMPARE(got.Uploaded, 0);
        const TTask *back = a.Find(QStringLiteral("Filler edited\r\nsecond line"));
        QVERIFY(back);
        QCOMPARE(Digest(*back), Digest(*edited));

        // In step: a round on each side moves nothing.
        got = a.Round();
        QCOMPARE(got.Uploaded + got.Downloaded, 0);
        got = b.Round();
        QCOMPARE(got.Uploaded + got.Downloaded, 0);
    }

    // Deleted on one side, gone on the other; a round that would delete
    // most tasks stops and asks, and changes nothing until allowed.
    void deletionsTravelAndManyAreAskedFirst()
    {
        TSyncMachine a(FServer, FCollection), b(FServer, FCollection);
        for (int i = 0; i < 10; ++i)
            a.Add("Task " + QByteArray::number(i));
        a.Round();
        b.Round();
        QCOMPARE(b.List.Count(), 10);

        TTask *gone = a.List.GetTask(0);
        a.List.Remove(gone);
        a.List.DisposeRemoved(gone);
        QCOMPARE(a.Round().DeletedOnServer, 1);
        QCOMPARE(b.Round().DeletedHere, 1);
        QCOMPARE(b.Texts(), a.Texts());

        for (int i = 0; i < 6; ++i)
            b.List.Remove(b.List.GetTask(0));
        const TSyncOutcome asked = b.Round();
        QCOMPARE(asked.Result, TSyncOutcome::AskDeletions);
        QCOMPARE(asked.DeletionsAsked, 6);
        QCOMPARE(FServer.StoredItems(FCollection).size(), 9);
        QCOMPARE(b.Round(true).DeletedOnServer, 6);
        QCOMPARE(a.Round(true).DeletedHere, 6);
        QCOMPARE(a.Texts(), b.Texts());
        QCOMPARE(a.List.Count(), 3);
    }

    // Changed on both sides: the newer version wins the task and the
    // other text stays as a conflicting copy, on both sides.
    void conflictKeepsBothTexts()
    {
        TSyncMachine a(FServer, FCollection), b(FServer, FCollection);
        a.Add("Buy milk");
        a.Round();
        b.Round();
        a.List.GetTask(0)->Text = "Buy oat milk";
        a.List.GetTask(0)->Modified = TClock::Now();
        a.Round();
        TClock::Advance(60000);
        b.List.GetTask(0)->Text = "Buy milk and bread";
        b.List.GetTask(0)->Modified = TClock::Now(); // the newer one

        const TSyncOutcome got = b.Round();
        QCOMPARE(got.Conflicts, 1);
        const QStringList expected{QStringLiteral("Buy milk and bread"),
                                   QStringLiteral("Conflicting copy: Buy oat milk")};
        QCOMPARE(b.Texts(), expected);
        a.Round();
        QCOMPARE(a.Texts(), expected);
        QCOMPARE(FServer.StoredItems(FCollection).size(), 2);
    }

    // A lost or damaged state file costs one full round: tasks pair with
    // their items again by key, nothing doubles, nothing is deleted.
    void lostStateNeitherDoublesNorDeletes()
    {
        TSyncMachine a(FServer, FCollection), b(FServer, FCollection);
        for (int i = 0; i < 4; ++i)
            a.Add("Keep " + QByteArray::number(i));
        a.Round();
        b.Round();
        a.List.GetTask(1)->Text = "Keep 1, edited while the state was lost";
        a.List.GetTask(1)->Modified = TClock::Now();
        QVERIFY(!a.State.FromBytes("{ damaged"));
        a.State.BelongTo(a.Options.Url.toString(), a.Options.User);

        // Without the state the round cannot tell which text is older: the
        // edited task wins by its newer moment, the server's text stays as
        // a conflicting copy. The others pair again untouched.
        const TSyncOutcome got = a.Round();
        QCOMPARE(got.Result, TSyncOutcome::Done);
        QCOMPARE(got.DeletedHere + got.DeletedOnServer, 0);
        QCOMPARE(got.Conflicts, 1);
        QCOMPARE(a.List.Count(), 5);
        QVERIFY(a.Find(QStringLiteral("Conflicting copy: Keep 1")));
        QCOMPARE(FServer.StoredItems(FCollection).size(), 5);
        b.Round();
        QCOMPARE(b.Texts(), a.Texts());
    }

    // The user edits a task while the round that changes it is away: the
    // edit stays, and the next rounds keep both texts.
    void anEditDuringTheRoundIsNotOverwritten()
    {
        TSyncMachine a(FServer, FCollection), b(FServer, FCollection);
        a.Add("Plan trip");
        a.Round();
        b.Round();
        b.List.GetTask(0)->Text = "Plan trip to Rome";
        b.List.GetTask(0)->Modified = TClock::Now();
        b.Round();

        TCalDavClient client(a.Options);
        const TSyncSnapshot snapshot = TSyncSnapshot::Take(a.List, a.Settings, TClock::Now());
        TSyncOutcome outcome = RunSyncRound(client, snapshot, a.State, false);
        TClock::Advance(60000);
        a.List.GetTask(0)->Text = "Plan trip to Oslo"; // typed meanwhile
        a.List.GetTask(0)->Modified = TClock::Now();
        const TSyncApplied applied = ApplySyncOutcome(a.List, snapshot, outcome);
        a.State = outcome.State;
        QCOMPARE(applied.Skipped, 1);
        QCOMPARE(DecodeText(a.List.GetTask(0)->Text), QStringLiteral("Plan trip to Oslo"));

        a.Round();
        b.Round();
        const QStringList expected{QStringLiteral("Conflicting copy: Plan trip to Rome"),
                                   QStringLiteral("Plan trip to Oslo")};
        QCOMPARE(a.Texts(), expected);
        QCOMPARE(b.Texts(), expected);
    }

    // An item another client wrote (a summary, no description, categories
    // of its own) becomes a task; an edit here keeps what the client wrote.
    void anotherClientsItemBecomesATaskAndKeepsItsProperties()
    {
        const QByteArray item = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\n"
                                "BEGIN:VTODO\r\nUID:other-1\r\nDTSTAMP:20261201T100000Z\r\n"
                                "SUMMARY:Water the plants\r\nCATEGORIES:home\r\nX-OTHER-FLAG:kept\r\n"
                                "END:VTODO\r\nEND:VCALENDAR\r\n";
        QCOMPARE(FServer.Send("PUT", FServer.Url(FCollection).path() + "other-1.ics", item,
                              {{"Content-Type", "text/calendar"}}),
                 201);
        TSyncMachine a(FServer, FCollection);
        QCOMPARE(a.Round().Downloaded, 1);
        QCOMPARE(a.Texts(), QStringList{QStringLiteral("Water the plants")});
        a.List.GetTask(0)->Text = "Water the plants\r\nand the garden";
        a.List.GetTask(0)->Modified = TClock::Now();
        QCOMPARE(a.Round().Uploaded, 1);
        const QByteArray stored = FServer.StoredItem(FCollection, "other-1.ics");
        QVERIFY2(stored.contains("CATEGORIES:home"), stored.constData());
        QVERIFY2(stored.contains("X-OTHER-FLAG:kept"), stored.constData());
        QVERIFY2(stored.contains("and the garden"), stored.constData());
    }

    // A server that is gone or refuses the password: the round says so,
    // changes nothing here, and the next round after it recovers does all.
    void failuresLoseNothingAndTheNextRoundRecovers()
    {
        TSyncMachine a(FServer, FCollection);
        a.Add("Survives the outage");
        TSyncMachine wrong(FServer, FCollection);
        wrong.Options.Password = QStringLiteral("wrong");
        wrong.Add("Not sent");
        TSyncOutcome got = wrong.Round();
        QCOMPARE(got.Result, TSyncOutcome::Failed);
        QCOMPARE(got.Failure.Failure, TDavResult::WrongPassword);
        QCOMPARE(wrong.List.Count(), 1);

        FServer.Stop();
        got = a.Round();
        QCOMPARE(got.Result, TSyncOutcome::Failed);
        QCOMPARE(got.Failure.Failure, TDavResult::NoServer);
        QVERIFY(!got.Failure.Message.isEmpty());
        QCOMPARE(a.Texts(), QStringList{QStringLiteral("Survives the outage")});
        QVERIFY2(FServer.Start(), qPrintable(FServer.Error()));
        a.Options.Url = FServer.Url(FCollection); // the port may differ after a restart
        a.State.BelongTo(a.Options.Url.toString(), a.Options.User);
        QCOMPARE(a.Round().Uploaded, 1);
    }

    // The server goes away while a round is sending two hundred new
    // tasks: the round says so and changes nothing here, the state it
    // leaves knows which tasks went, and once the server is back the next
    // round sends the rest: each task once on the server, and on the other
    // machine.
    void theServerStoppingMidRoundLosesAndDoublesNothing()
    {
        constexpr int KTasks = 200;
        constexpr int KSentBeforeStop = 20;
        TSyncMachine a(FServer, FCollection), b(FServer, FCollection);
        for (int i = 0; i < KTasks; ++i)
            a.Add("Task " + QByteArray::number(i));
        const QStringList texts = a.Texts();

        // The round as the program runs it, on a thread of its own.
        TCalDavClient client(a.Options);
        const TSyncSnapshot snapshot = TSyncSnapshot::Take(a.List, a.Settings, TClock::Now());
        TSyncOutcome outcome;
        std::unique_ptr<QThread> round(
            QThread::create([&] { outcome = RunSyncRound(client, snapshot, a.State, false); }));
        round->start();
        // Polled without a verdict in between: the thread must end before
        // the test may.
        const QDeadlineTimer deadline(60000);
        while (FServer.StoredItems(FCollection).size() < KSentBeforeStop && !round->isFinished() &&
               !deadline.hasExpired())
            QTest::qWait(10);
        FServer.Stop();
        QVERIFY(round->wait(QDeadlineTimer(60000)));
        QCOMPARE(outcome.Result, TSyncOutcome::Failed);
        QVERIFY2(outcome.Failure.Failure == TDavResult::NoServer, qPrintable(outcome.Failure.Message));
        QVERIFY(!outcome.Failure.Message.isEmpty());

        const TSyncApplied applied = ApplySyncOutcome(a.List, snapshot, outcome);
        QCOMPARE(applied.Added.size() + applied.Updated.size() + applied.Removed.size(), size_t(0));
        QCOMPARE(a.Texts(), texts);

        // The state: an entry for every item the server took (the one whose
        // answer was lost too), each for a task of its own, none for an item
        // the server does not have unless its version is unknown; no token,
        // since not everything was sent.
        const QStringList stored = FServer.StoredItems(FCollection);
        QVERIFY2(stored.size() >= KSentBeforeStop && stored.size() < KTasks, qPrintable(stored.join(u' ')));
        a.State = outcome.State;
        QVERIFY(a.State.SyncToken.isEmpty());
        QSet<QString> names;
        QSet<QPair<TDateTime, int>> keys;
        for (const TSyncEntry &entry : a.State.Entries) {
            const QString name = entry.Href.section(u'/', -1);
            names.insert(name);
            keys.insert({entry.Key, entry.Ordinal});
            QVERIFY2(stored.contains(name) || entry.ETag.isEmpty(), qPrintable(name));
        }
        QCOMPARE(names.size(), int(a.State.Entries.size()));
        QCOMPARE(keys.size(), int(a.State.Entries.size()));
        for (const QString &name : stored)
            QVERIFY2(names.contains(name), qPrintable(name));
        QVERIFY(a.State.Entries.size() <= size_t(stored.size()) + 1);
        TSyncState kept;
        QVERIFY(kept.FromBytes(a.State.ToBytes()));
        QCOMPARE(kept.Entries.size(), a.State.Entries.size());

        QVERIFY2(FServer.Start(), qPrintable(FServer.Error()));
        for (TSyncMachine *machine : {&a, &b}) {
            machine->Options.Url = FServer.Url(FCollection); // the port may differ after a restart
            machine->State.BelongTo(machine->Options.Url.toString(), machine->Options.User);
        }
        TSyncOutcome got = a.Round();
        QCOMPARE(got.Result, TSyncOutcome::Done);
        QCOMPARE(got.Conflicts, 0);
        QCOMPARE(a.Texts(), texts);
        QCOMPARE(FServer.StoredItems(FCollection).size(), KTasks);
        got = a.Round();
        QCOMPARE(got.Uploaded + got.Downloaded, 0);
        got = b.Round();
        QCOMPARE(got.Downloaded, KTasks);
        QCOMPARE(b.Texts(), texts);
    }

    // The server fails one PUT in the middle of a round, of a new task or
    // of an edit, before writing the item or after: the round stops and
    // says so, nothing here changes, and the next round sends what was
    // left, making neither a double nor a conflicting copy.
    void aPutFailingMidRoundLosesNothing_data()
    {
        QTest::addColumn<bool>("edits");   // the round sends edits, not new tasks
        QTest::addColumn<bool>("written"); // the server wrote the item before the 500
        QTest::newRow("new tasks, refused") << false << false;
        QTest::newRow("new tasks, written") << false << true;
        QTest::newRow("edits, refused") << true << false;
        QTest::newRow("edits, written") << true << true;
    }
    void aPutFailingMidRoundLosesNothing()
    {
        QFETCH(bool, edits);
        QFETCH(bool, written);
        constexpr int KTasks = 8;
        constexpr int KFailing = 4; // the round's PUT that fails
        TFaultyProxy proxy(FServer.Port());
        proxy.Answer = "HTTP/1.1 500 Internal Server Error\r\nContent-Type: text/plain\r\n"
                       "Content-Length: 4\r\n\r\noops";
        proxy.ServerSeesThem = written;
        TSyncMachine a(FServer, FCollection), b(FServer, FCollection);
        a.Options.Url = proxy.Through(a.Options.Url);
        a.State.BelongTo(a.Options.Url.toString(), a.Options.User);
        for (int i = 0; i < KTasks; ++i)
            a.Add("Task " + QByteArray::number(i));
        if (edits) {
            QCOMPARE(a.Round().Uploaded, KTasks);
            QCOMPARE(b.Round().Downloaded, KTasks);
            for (TTask *task : a.List.Tasks()) {
                task->Text += ", edited";
                task->Modified = TClock::Now();
            }
        }
        const QStringList texts = a.Texts();

        proxy.FailingPuts = {proxy.Puts + KFailing};
        TSyncOutcome got = a.Round();
        QCOMPARE(got.Result, TSyncOutcome::Failed);
        QCOMPARE(got.Failure.Failure, TDavResult::ServerError);
        QCOMPARE(got.Failure.HttpStatus, 500);
        QVERIFY(!got.Failure.Message.isEmpty());
        QCOMPARE(got.Uploaded, KFailing - 1);
        QCOMPARE(a.Texts(), texts);
        QCOMPARE(FServer.StoredItems(FCollection).size(), edits ? KTasks : KFailing - (written ? 0 : 1));

        proxy.FailingPuts.clear();
        got = a.Round();
        QCOMPARE(got.Result, TSyncOutcome::Done);
        QCOMPARE(got.Conflicts, 0);
        QCOMPARE(got.Uploaded, KTasks - KFailing + (written ? 0 : 1));
        QCOMPARE(a.Texts(), texts);
        QCOMPARE(FServer.StoredItems(FCollection).size(), KTasks);
        got = b.Round();
        QCOMPARE(got.Conflicts, 0);
        QCOMPARE(b.Texts(), texts);
        got = a.Round();
        QCOMPARE(got.Uploaded + got.Downloaded, 0);
    }

    // Changed on both sides, the newer version here: the server's text is
    // kept as a conflicting copy, and the round's PUT of the copy or of the
    // task itself fails, before the server wrote it or after. Nothing is
    // lost, and the next round makes no second copy.
    void aConflictingCopyIsMadeOnceWhateverPutFails_data()
    {
        QTest::addColumn<int>("failing");  // the round's PUT that fails: the copy's first
        QTest::addColumn<bool>("written"); // the server wrote the item before the 500
        QTest::newRow("the copy's, refused") << 1 << false;
        QTest::newRow("the copy's, written") << 1 << true;
        QTest::newRow("the task's, refused") << 2 << false;
        QTest::newRow("the task's, written") << 2 << true;
    }
    void aConflictingCopyIsMadeOnceWhateverPutFails()
    {
        QFETCH(int, failing);
        QFETCH(bool, written);
        TFaultyProxy proxy(FServer.Port());
        proxy.Answer = "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n";
        proxy.ServerSeesThem = written;
        TSyncMachine a(FServer, FCollection), b(FServer, FCollection);
        a.Options.Url = proxy.Through(a.Options.Url);
        a.State.BelongTo(a.Options.Url.toString(), a.Options.User);
        a.Add("Buy milk");
        a.Round();
        b.Round();
        b.List.GetTask(0)->Text = "Buy oat milk";
        b.List.GetTask(0)->Modified = TClock::Now();
        b.Round();
        TClock::Advance(60000);
        a.List.GetTask(0)->Text = "Buy milk and bread";
        a.List.GetTask(0)->Modified = TClock::Now(); // the newer one

        proxy.FailingPuts = {proxy.Puts + failing};
        TSyncOutcome got = a.Round();
        QCOMPARE(got.Result, TSyncOutcome::Failed);
        proxy.FailingPuts.clear();
        got = a.Round();
        QCOMPARE(got.Result, TSyncOutcome::Done);
        const QStringList expected{QStringLiteral("Buy milk and bread"),
                                   QStringLiteral("Conflicting copy: Buy oat milk")};
        QCOMPARE(a.Texts(), expected);
        b.Round();
        QCOMPARE(b.Texts(), expected);
        QCOMPARE(FServer.StoredItems(FCollection).size(), 2);
    }

    // jbxtool sync FOLDER: one round for a folder whose program is not
    // running, with the password from a command; two folders meet.
    void jbxtoolSyncsAFolder()
    {
        QTemporaryDir runtime;
        QTemporaryDir one, two;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        const QString passwordFile = runtime.filePath(QStringLiteral("password"));
        QFile password(passwordFile);
        QVERIFY(password.open(QIODevice::WriteOnly));
        password.write(FServer.Password().toUtf8() + '\n');
        password.close();
        const auto setUp = [&](const QTemporaryDir &dir, const QByteArray &text) {
            TUserInfo settings(dir.path() + u'/');
            settings.SyncEnabled = true;
            settings.SyncUrl = FServer.Url(FCollection).toString();
            settings.SyncUser = FServer.User();
            settings.SyncPasswordCommand = QStringLiteral("cat '%1'").arg(passwordFile);
            settings.SaveSettings();
            TTaskList list(settings);
            if (!text.isEmpty())
                list.AddNewTask()->Text = text;
            list.SaveToFile(dir.path() + QStringLiteral("/Jotterbox.dat"));
        };
        setUp(one, "From folder one");
        setUp(two, {});
        const auto jbxtool = [&](const QTemporaryDir &dir) {
            QProcess process;
            process.setProcessEnvironment(env);
            process.start(QStringLiteral(JBXTOOL_PATH), {QStringLiteral("sync"), dir.path()});
            process.waitForFinished(60000);
            return qMakePair(process.exitCode(), QString::fromUtf8(process.readAllStandardOutput() +
                                                                   process.readAllStandardError()));
        };
        auto result = jbxtool(one);
        QVERIFY2(result.first == 0, qPrintable(result.second));
        QVERIFY2(result.second.contains("1 sent"), qPrintable(result.second));
        result = jbxtool(two);
        QVERIFY2(result.second.contains("1 received"), qPrintable(result.second));
        TUserInfo settings(two.path() + u'/');
        TTaskList list(settings);
        list.LoadFromFile(two.path() + QStringLiteral("/Jotterbox.dat"));
        QCOMPARE(list.Count(), 1);
        QCOMPARE(list.GetTask(0)->Text, QByteArray("From folder one"));
        QVERIFY(QFile::exists(two.path() + QStringLiteral("/Jotterbox.sync")));
        QVERIFY(!ReadFileBytes(two.path() + QStringLiteral("/Jotterbox.ini"))
                     .contains(FServer.Password().toUtf8()));

        // A round that deletes here keeps the data file as it was before.
        const QString collectionPath = FServer.Url(FCollection).path();
        for (int i = 0; i < 5; ++i) {
            const QByteArray uid = "other-" + QByteArray::number(i);
            QCOMPARE(
                FServer.Send("PUT", collectionPath + uid + ".ics",
                             "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VTODO\r\nUID:" +
                                 uid + "\r\nDTSTAMP:20261201T100000Z\r\nSUMMARY:Other " + uid +
                                 "\r\nEND:VTODO\r\nEND:VCALENDAR\r\n",
                             {{"Content-Type", "text/calendar"}}),
                201);
        }
        result = jbxtool(two);
        QVERIFY2(result.second.contains("5 received"), qPrintable(result.second));
        QVERIFY(!QFile::exists(two.path() + QStringLiteral("/Jotterbox_BeforeSync.dat")));
        QCOMPARE(FServer.Send("DELETE", collectionPath + "other-0.ics") / 100, 2);
        result = jbxtool(two);
        QVERIFY2(result.second.contains("1 deleted here"), qPrintable(result.second));
        TTaskList before(settings);
        before.LoadFromFile(two.path() + QStringLiteral("/Jotterbox_BeforeSync.dat"));
        QCOMPARE(before.Count(), 6);

        // While the program holds its lock, jbxtool leaves the folder alone.
        QLockFile lock(runtime.path() + QStringLiteral("/App_ZEL_Task_Sheet.lock"));
        QVERIFY(lock.tryLock());
        result = jbxtool(two);
        QCOMPARE(result.first, 2);
        QVERIFY2(result.second.contains("running"), qPrintable(result.second));
    }
};

QTEST_GUILESS_MAIN(TstSyncRound)
#include "tst_syncround.moc"
