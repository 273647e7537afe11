// Two installed programs, each in a folder of its own as on two computers,
// sync through a real Radicale server on a private X display: what the user
// types in a note of one shows in the other after a round, both ways, also
// over TLS, and a new start of either (after a signal, the tray menu's Exit
// or a crash) finds the same tasks, none doubled, none lost.

#include "base/TextCodec.h"
#include "e2e/TE2eTest.h"
#include "e2e/TProgram.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"
#include "support/TRadicale.h"
#include "support/TestTasks.h"

#include <QFile>
#include <QTest>
#include <csignal>
#include <memory>

namespace {
constexpr QRect KNote(200, 150, 260, 180);
// A to-do another client puts on the server.
const QByteArray KOtherClientsItem = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\n"
                                     "BEGIN:VTODO\r\nUID:other-1\r\nDTSTAMP:20261201T100000Z\r\n"
                                     "SUMMARY:Added elsewhere\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
} // namespace

class TstE2eSync : public TE2eTest {
    Q_OBJECT

    TRadicale FServer;
    int FCollections = 0;
    QString FCollection; // the test case's task list, on each server

    // The settings of a folder that syncs with this server's task list of
    // the test case, its password printed by a command from a file beside
    // it, and the server's certificate named when it speaks TLS.
    QString WriteSyncSettings(const QString &folder, const TRadicale &server)
    {
        QFile password(folder + QStringLiteral("/password"));
        if (!password.open(QIODevice::WriteOnly) || password.write(server.Password().toUtf8() + '\n') < 0)
            return QStringLiteral("cannot write ") + password.fileName();
        QFile ini(folder + QStringLiteral("/Jotterbox.ini"));
        if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QStringLiteral("cannot write ") + ini.fileName();
        QString text = QStringLiteral("[User Interface]\r\nShowTips=0\r\nShowToolBar=0\r\n"
                                      "[Sync]\r\nEnabled=1\r\nUrl=%1\r\nUser=%2\r\n"
                                      "PasswordCommand=cat '%3'\r\n")
                           .arg(server.Url(FCollection).toString(), server.User(), password.fileName());
        if (server.Tls())
            text += QStringLiteral("CaFile=%1\r\n").arg(server.CaFile());
        ini.write(text.toUtf8());
        return {};
    }

    // The program installed afresh in the test's folder, syncing with the
    // server, with the tasks `fill` makes; empty, or what failed.
    QString InstallSyncing(const TRadicale &server, const std::function<void(TTaskList &)> &fill)
    {
        if (const QString why = InstallFresh(); !why.isEmpty())
            return why;
        if (const QString why = WriteSyncSettings(FFolder, server); !why.isEmpty())
            return why;
        WriteDataFile(fill);
        return {};
    }

    // A second folder as on another computer, with a runtime folder of its
    // own; the environment to start its program in.
    QProcessEnvironment SecondFolder(const QString &folder, const TRadicale &server)
    {
        const QString runtime = folder + QStringLiteral("-runtime");
        if (!MakeRuntimeFolder(runtime) || !InstallProgram(folder).isEmpty() ||
            !WriteSyncSettings(folder, server).isEmpty())
            return {};
        QProcessEnvironment environment = Environment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        return environment;
    }

    // The tasks' texts in a folder's data file, sorted.
    static QStringList TextsIn(const QString &folder)
    {
        TUserInfo settings(folder + u'/');
        TTaskList tasks(settings);
        tasks.LoadFromFile(folder + QStringLiteral("/Jotterbox.dat"));
        QStringList texts;
        for (const TTask *task : tasks.Tasks())
            texts << DecodeText(task->Text);
        texts.sort();
        return texts;
    }

    // Waits for the program's `count`-th line of a round's end that begins
    // "sync done: " + `what`.
    static bool RoundSays(TProgram &program, const QString &what, int count = 1)
    {
        const QString line = QStringLiteral("jbx.events: sync done: ") + what;
        return Eventually([&] { return program.Output().count(line) >= count; }, 30000);
    }

    // `Jotterbox --sync-now` from the command line, to the running program
    // of this test case's folder; whether it was delivered.
    bool SyncNow()
    {
        QProcess command;
        command.setProcessEnvironment(Environment());
        command.start(Path(QStringLiteral("Jotterbox")), {QStringLiteral("--sync-now")});
        return command.waitForFinished(20000) && command.exitStatus() == QProcess::NormalExit &&
               command.exitCode() == 0;
    }

    // Clicks into the note `id` and types at the end of its text.
    QString TypeInto(const QString &id, const QString &text)
    {
        XDo({"windowraise", id}); // over another program's note in the same place
        PointerTo(KNote.topLeft() + QPoint(120, 100));
        XDo({"click", "1"});
        if (!Eventually([&] { return XDo({"getwindowfocus"}) == id; }))
            return QStringLiteral("the click did not activate the note ") + id;
        XDo({"key", "ctrl+End"});
        XDo({"type", "--delay", "30", text});
        return {};
    }

private slots:
    void init()
    {
        if (!TRadicale::Installed())
            QSKIP("radicale is not installed (./x setup installs it)");
        if (!FServer.Running())
            QVERIFY2(FServer.Start(), qPrintable(FServer.Error()));
        FCollection = QStringLiteral("tasks%1").arg(++FCollections);
        QVERIFY(FServer.CreateTaskList(FCollection));
    }

    void typedTextTravelsBetweenTwoRunningPrograms()
    {
        // Computer A: one task, its note open. Computer B: nothing yet.
        const QString installed = InstallSyncing(FServer, [](TTaskList &tasks) {
            TTask *task = tasks.AddNewTask();
            task->Text = "Shopping list";
            OpenNoteAt(*task, KNote);
        });
        QVERIFY2(installed.isEmpty(), qPrintable(installed));
        const QString folderB = FDir->filePath(QStringLiteral("B"));
        const QProcessEnvironment environmentB = SecondFolder(folderB, FServer);
        QVERIFY2(!environmentB.isEmpty(), "install of B failed");

        TProgram a(FFolder, Environment());
        QString why;
        const QString noteA = Started(a, &why);
        QVERIFY2(!noteA.isEmpty(), qPrintable(why));
        QVERIFY2(RoundSays(a, "1 sent, 0 received"), qPrintable(a.Output()));
        QCOMPARE(FServer.StoredItems(FCollection).size(), 1);
        // The items' library came with the first round, not with the start.
        QVERIFY(ReadFileBytes(QStringLiteral("/proc/%1/maps").arg(a.Process().processId()))
                    .contains("libical.so"));

        // Typed in A: a round a few seconds later sends it.
        QVERIFY2(TypeInto(noteA, QStringLiteral(", eggs")).isEmpty(), qPrintable(a.Output()));
        QVERIFY2(RoundSays(a, "1 sent, 0 received", 2), qPrintable(a.Output()));

        // B starts and opens the note as A shows it.
        TProgram b(folderB, environmentB);
        b.Start();
        QVERIFY2(RoundSays(b, "0 sent, 1 received"), qPrintable(b.Output()));
        QString noteB;
        QVERIFY2(Eventually([&] {
                     const QStringList windows = ProgramWindows(b);
                     noteB = windows.value(0);
                     return windows.size() == 1 && Geometry(noteB).topLeft() == KNote.topLeft();
                 }),
                 qPrintable("B shows no note where A has it; B's output:\n" + b.Output()));

        // Typed in B, fetched by A when asked from the command line.
        QVERIFY2(TypeInto(noteB, QStringLiteral(", bread")).isEmpty(), qPrintable(b.Output()));
        QVERIFY2(RoundSays(b, "1 sent, 0 received"), qPrintable(b.Output()));
        QVERIFY(SyncNow());
        QVERIFY2(RoundSays(a, "0 sent, 1 received"), qPrintable(a.Output()));

        // Both end; each file holds the text typed on both sides.
        QCOMPARE(a.Stop(SIGTERM), 0);
        QCOMPARE(b.Stop(SIGTERM), 0);
        for (const QString &folder : {FFolder, folderB}) {
            TUserInfo settings(folder + u'/');
            TTaskList tasks(settings);
            tasks.LoadFromFile(folder + QStringLiteral("/Jotterbox.dat"));
            QCOMPARE(tasks.Count(), 1);
            QCOMPARE(tasks.GetTask(0)->Text, QByteArray("Shopping list, eggs, bread"));
            QVERIFY(tasks.GetTask(0)->NoteOpen);
        }

        // A new start finds everything in step: nothing travels, nothing doubles.
        TProgram again(FFolder, Environment());
        again.Start();
        QVERIFY2(RoundSays(again, "0 sent, 0 received"), qPrintable(again.Output()));
        QCOMPARE(again.Stop(SIGTERM), 0);
        QCOMPARE(FServer.StoredItems(FCollection).size(), 1);
    }

    // Over TLS, with the server's own certificate named: a text typed in A
    // reaches B; A ends from its tray menu and starts again with its tasks
    // each there once, no conflicting copy made, and an edit made in B
    // meanwhile reaches it.
    void afterAnExitOverTlsNothingDoublesAndEditsGoOn()
    {
        TRadicale server;
        QVERIFY2(server.Start(true), qPrintable(server.Error()));
        QVERIFY2(server.CreateTaskList(FCollection), qPrintable(server.Error()));
        const QString installed = InstallSyncing(server, [](TTaskList &tasks) {
            TTask *task = tasks.AddNewTask();
            task->Text = "Shopping list";
            OpenNoteAt(*task, KNote);
            tasks.AddNewTask()->Text = "Call the dentist";
            tasks.AddNewTask()->Text = "Pay the rent";
        });
        QVERIFY2(installed.isEmpty(), qPrintable(installed));
        const QString folderB = FDir->filePath(QStringLiteral("B"));
        const QProcessEnvironment environmentB = SecondFolder(folderB, server);
        QVERIFY2(!environmentB.isEmpty(), "install of B failed");

        auto a = std::make_unique<TProgram>(FFolder, Environment());
        QString why;
        const QString noteA = Started(*a, &why);
        QVERIFY2(!noteA.isEmpty(), qPrintable(why));
        QVERIFY2(RoundSays(*a, "3 sent, 0 received"), qPrintable(a->Output()));
        QVERIFY2(TypeInto(noteA, QStringLiteral(", eggs")).isEmpty(), qPrintable(a->Output()));
        QVERIFY2(RoundSays(*a, "1 sent, 0 received"), qPrintable(a->Output()));

        TProgram b(folderB, environmentB);
        const QString noteB = Started(b, &why);
        QVERIFY2(!noteB.isEmpty(), qPrintable(why));
        QVERIFY2(RoundSays(b, "0 sent, 3 received"), qPrintable(b.Output()));

        // A ends as a user ends it, and starts again: nothing to send or
        // receive, nothing doubled.
        QVERIFY2(OpenTrayMenu(*a), qPrintable("no tray menu; output:\n" + a->Output()));
        XDo({"key", "x"}); // E&xit
        QVERIFY2(a->Process().waitForFinished(10000), "Exit did not end the program");
        QCOMPARE(a->Process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(a->Process().exitCode(), 0);
        const QStringList typed{QStringLiteral("Call the dentist"), QStringLiteral("Pay the rent"),
                                QStringLiteral("Shopping list, eggs")};
        QCOMPARE(TextsIn(FFolder), typed);
        a = std::make_unique<TProgram>(FFolder, Environment());
        QVERIFY2(!Started(*a, &why).isEmpty(), qPrintable(why));
        QVERIFY2(RoundSays(*a, "0 sent, 0 received, 0 deleted on the server, 0 deleted here, 0 conflicts"),
                 qPrintable(a->Output()));

        // Typed in B now, fetched by A when asked from the command line.
        QVERIFY2(TypeInto(noteB, QStringLiteral(", bread")).isEmpty(), qPrintable(b.Output()));
        QVERIFY2(RoundSays(b, "1 sent, 0 received"), qPrintable(b.Output()));
        QVERIFY(SyncNow());
        QVERIFY2(RoundSays(*a, "0 sent, 1 received, 0 deleted on the server, 0 deleted here, 0 conflicts"),
                 qPrintable(a->Output()));

        QCOMPARE(a->Stop(SIGTERM), 0);
        QCOMPARE(b.Stop(SIGTERM), 0);
        const QStringList both{QStringLiteral("Call the dentist"), QStringLiteral("Pay the rent"),
                               QStringLiteral("Shopping list, eggs, bread")};
        QCOMPARE(TextsIn(FFolder), both);
        QCOMPARE(TextsIn(folderB), both);
        QCOMPARE(server.StoredItems(FCollection).size(), 3);
    }

    // The program is killed right after a round that brought a new task and
    // an edit from another client, before its data file was saved: the
    // next start brings them again, and neither deletes the new task on
    // the server nor sends the old text back over the edit.
    void aCrashAfterARoundUndoesNothingOnTheServer()
    {
        const QString installed =
            InstallSyncing(FServer, [](TTaskList &tasks) { tasks.AddNewTask()->Text = "Edit me"; });
        QVERIFY2(installed.isEmpty(), qPrintable(installed));
        auto a = std::make_unique<TProgram>(FFolder, Environment());
        a->Start();
        QVERIFY2(RoundSays(*a, "1 sent, 0 received"), qPrintable(a->Output()));

        // Another client adds a task and edits the one there.
        const QString collection = FServer.Url(FCollection).path();
        const QStringList items = FServer.StoredItems(FCollection);
        QCOMPARE(items.size(), 1);
        QByteArray edited = FServer.StoredItem(FCollection, items[0]);
        QVERIFY(edited.contains("Edit me"));
        edited.replace("Edit me", "Edited elsewhere");
        QCOMPARE(
            FServer.Send("PUT", collection + items[0], edited, {{"Content-Type", "text/calendar"}}) / 100, 2);
        QCOMPARE(FServer.Send("PUT", collection + "other-1.ics", KOtherClientsItem,
                              {{"Content-Type", "text/calendar"}}),
                 201);

        QVERIFY(SyncNow());
        QVERIFY2(RoundSays(*a, "0 sent, 2 received"), qPrintable(a->Output()));
        a->Stop(SIGKILL);

        const QStringList expected{QStringLiteral("Added elsewhere"), QStringLiteral("Edited elsewhere")};
        a = std::make_unique<TProgram>(FFolder, Environment());
        a->Start();
        QVERIFY2(RoundSays(*a, "0 sent, 2 received, 0 deleted on the server, 0 deleted here, 0 conflicts"),
                 qPrintable(a->Output()));
        QCOMPARE(a->Stop(SIGTERM), 0);
        QCOMPARE(TextsIn(FFolder), expected);
        QCOMPARE(FServer.StoredItems(FCollection).size(), 2);
        QVERIFY(FServer.StoredItem(FCollection, items[0]).contains("Edited elsewhere"));
    }

    // The display goes right after a round brought another client's task:
    // the end saves the data file without a last round, and the next start
    // finds that task once and sends nothing back.
    void aLostDisplayKeepsWhatARoundBrought()
    {
        const QString installed =
            InstallSyncing(FServer, [](TTaskList &tasks) { tasks.AddNewTask()->Text = "Mine"; });
        QVERIFY2(installed.isEmpty(), qPrintable(installed));
        const QString why =
            LoseDisplayAfter(QStringLiteral("jbx.events: sync done: 1 sent"), [&](TProgram &program) {
                if (FServer.Send("PUT", FServer.Url(FCollection).path() + "other-1.ics", KOtherClientsItem,
                                 {{"Content-Type", "text/calendar"}}) != 201)
                    return QStringLiteral("the other client's PUT failed");
                if (!SyncNow())
                    return QStringLiteral("--sync-now was not delivered");
                if (!RoundSays(program, "0 sent, 1 received"))
                    return QStringLiteral("no round brought the other client's task");
                return QString();
            });
        QVERIFY2(why.isEmpty(), qPrintable(why));
        const QStringList expected{QStringLiteral("Added elsewhere"), QStringLiteral("Mine")};
        QCOMPARE(TextsIn(FFolder), expected);

        TProgram again(FFolder, Environment());
        again.Start();
        QVERIFY2(RoundSays(again, "0 sent, 0 received, 0 deleted on the server, 0 deleted here, 0 conflicts"),
                 qPrintable(again.Output()));
        QCOMPARE(again.Stop(SIGTERM), 0);
        QCOMPARE(TextsIn(FFolder), expected);
        QCOMPARE(FServer.StoredItems(FCollection).size(), 2);
    }

    // The server is gone: the first failed round says so in one box above
    // the note, without taking the keyboard, and the user closes it with the
    // keyboard; a failure after it says nothing more, and the tasks stay as
    // they were.
    void aServerThatIsGoneIsSaidOnceInABoxAboveTheNote()
    {
        TRadicale gone;
        QVERIFY2(gone.Start(), qPrintable(gone.Error()));
        QVERIFY2(InstallFresh().isEmpty(), "install failed");
        QVERIFY2(WriteSyncSettings(FFolder, gone).isEmpty(), "settings");
        gone.Stop();
        WriteDataFile([](TTaskList &tasks) {
            TTask *task = tasks.AddNewTask();
            task->Text = "Shopping list";
            OpenNoteAt(*task, KNote);
        });
        TProgram a(FFolder, Environment());
        a.Start();
        // The note where it was saved, and a window more: the box.
        QString note, box;
        QVERIFY2(Eventually(
                     [&] {
                         for (const QString &id : ProgramWindows(a))
                             if (Geometry(id).topLeft() == KNote.topLeft())
                                 note = id;
                         return !note.isEmpty() && !(box = NewWindowTitled(a, "Jotterbox", {note})).isEmpty();
                     },
                     30000),
                 qPrintable("no note and box; output:\n" + a.Output()));
        QVERIFY2(a.WaitForLine("jbx.events: sync failed: "), qPrintable(a.Output()));
        const QString stacking = Above(box, {note});
        QVERIFY2(stacking.isEmpty(), qPrintable(stacking));
        // The round ran on its own, so the box leaves the keyboard where it
        // was; the user turns to it and closes it with the keyboard.
        QVERIFY2(!Eventually([&] { return XDo({"getwindowfocus"}) == box; }, 1500),
                 "the box took the keyboard, though no command asked for the round");
        XDo({"windowactivate", "--sync", box});
        QVERIFY2(Eventually([&] { return XDo({"getwindowfocus"}) == box; }),
                 "the box did not take the focus");
        XDo({"key", "Return"});
        QVERIFY2(Eventually([&] { return NewWindowTitled(a, "Jotterbox", {note}).isEmpty(); }),
                 "Return did not close the box");

        // Asked again, the round fails again and no second box comes.
        QVERIFY(SyncNow());
        QVERIFY2(Eventually([&] { return a.Output().count("jbx.events: sync failed: ") >= 2; }, 30000),
                 qPrintable(a.Output()));
        QVERIFY2(!Eventually([&] { return !NewWindowTitled(a, "Jotterbox", {note}).isEmpty(); }, 2000),
                 "a second box came for the same problem");
        QCOMPARE(a.Stop(SIGTERM), 0);
        QCOMPARE(TextsIn(FFolder), QStringList{QStringLiteral("Shopping list")});
    }
};

QTEST_GUILESS_MAIN(TstE2eSync)
#include "tst_e2e_sync.moc"
