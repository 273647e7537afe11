// Two installed programs, each in a folder of its own as on two computers,
// sync through a real Radicale server on a private X display: what the user
// types in a note of one shows in the other after a round, both ways, and a
// new start of either finds the same tasks, none doubled.

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

namespace {
constexpr QRect KNote(200, 150, 260, 180);
} // namespace

class TstE2eSync : public TE2eTest {
    Q_OBJECT

    TRadicale FServer;

    // The settings of a folder that syncs with the test's server, its
    // password printed by a command.
    QString WriteSyncSettings(const QString &folder)
    {
        QFile ini(folder + QStringLiteral("/Jotterbox.ini"));
        if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QStringLiteral("cannot write ") + ini.fileName();
        const QString text =
            QStringLiteral("[User Interface]\r\nShowTips=0\r\nShowToolBar=0\r\n"
                           "[Sync]\r\nEnabled=1\r\nUrl=%1\r\nUser=%2\r\n"
                           "PasswordCommand=printf '%%s\\n' '%3'\r\n")
                .arg(FServer.Url(QStringLiteral("tasks")).toString(), FServer.User(), FServer.Password());
        ini.write(text.toUtf8());
        return {};
    }

    // The program's line for the end of a round: "sync done: 1 sent, ...".
    static bool RoundSays(TProgram &program, const QString &what)
    {
        return program.WaitForLine(QStringLiteral("jbx.events: sync done: ") + what, 30000);
    }

    // Clicks into the note `id` and types at the end of its text.
    QString TypeInto(const QString &id, const QString &text)
    {
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
        QVERIFY(FServer.CreateTaskList(QStringLiteral("tasks")));
    }

    void typedTextTravelsBetweenTwoRunningPrograms()
    {
        // Computer A: one task, its note open. Computer B: nothing yet.
        QVERIFY2(InstallFresh().isEmpty(), "install failed");
        QVERIFY2(WriteSyncSettings(FFolder).isEmpty(), "settings");
        WriteDataFile([](TTaskList &tasks) {
            TTask *task = tasks.AddNewTask();
            task->Text = "Shopping list";
            OpenNoteAt(*task, KNote);
        });
        const QString folderB = FDir->filePath(QStringLiteral("B"));
        const QString runtimeB = FDir->filePath(QStringLiteral("runtimeB"));
        QVERIFY(MakeRuntimeFolder(runtimeB));
        QVERIFY2(InstallProgram(folderB).isEmpty(), "install of B failed");
        QVERIFY2(WriteSyncSettings(folderB).isEmpty(), "settings of B");
        QProcessEnvironment environmentB = Environment();
        environmentB.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeB);

        TProgram a(FFolder, Environment());
        QString why;
        const QString noteA = Started(a, &why);
        QVERIFY2(!noteA.isEmpty(), qPrintable(why));
        QVERIFY2(RoundSays(a, "1 sent, 0 received"), qPrintable(a.Output()));
        QCOMPARE(FServer.StoredItems(QStringLiteral("tasks")).size(), 1);

        // Typed in A: a round a few seconds later sends it.
        QVERIFY2(TypeInto(noteA, QStringLiteral(", eggs")).isEmpty(), qPrintable(a.Output()));
        QVERIFY2(RoundSays(a, "1 sent, 0 received"), qPrintable(a.Output()));

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
        QProcess command;
        command.setProcessEnvironment(Environment());
        command.start(Path(QStringLiteral("Jotterbox")), {QStringLiteral("--sync-now")});
        QVERIFY(command.waitForFinished(20000));
        QCOMPARE(command.exitCode(), 0);
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
        QCOMPARE(FServer.StoredItems(QStringLiteral("tasks")).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TstE2eSync)
#include "tst_e2e_sync.moc"
