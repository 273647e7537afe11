// The installed program in a GNOME Wayland session (mutter, headless, with
// Xwayland): it runs on the X display there, so a note opens where it was
// left; asked onto the Wayland platform, where it cannot know its windows'
// places, it keeps the stored ones.

#include "e2e/TE2eTest.h"
#include "e2e/TProgram.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "support/TestTasks.h"
#include "support/WaylandSession.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <csignal>

namespace {
constexpr QRect KStored(300, 200, 260, 180);
constexpr QPoint KListPlace(520, 330);
} // namespace

class TestE2eWayland : public TE2eTest {
    Q_OBJECT

    TWaylandSession FSession;

protected:
    QString StartDisplay() override
    {
        QString error;
        if (!FSession.Start(&error))
            return QStringLiteral("no Wayland session for the test (mutter could not start): ") + error;
        return {};
    }

    QProcessEnvironment DisplayEnvironment() const override { return FSession.Environment(); }

    void WriteOpenNote()
    {
        WriteDataFile([](TTaskList &tasks) {
            TTask *task = tasks.AddNewTask();
            task->Text = "Water the plants";
            task->ReminderTime = 0;
            task->Alerting = false;
            OpenNoteAt(*task, KStored);
        });
    }

    void CheckStoredPlaces()
    {
        ReadDataFile([](const TTaskList &tasks) {
            QCOMPARE(tasks.Count(), 1);
            const TTask &note = *tasks.GetTask(0);
            QVERIFY(note.NoteOpen);
            QCOMPARE(QRect(note.Left, note.Top, note.Width, note.Height), KStored);
        });
        CheckListPlace();
    }

    void CheckListPlace()
    {
        QFile ini(Path(QStringLiteral("Jotterbox.ini")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray settings = ini.readAll();
        QVERIFY2(settings.contains("\r\nLeft=520\r\n") && settings.contains("\r\nTop=330\r\n"),
                 settings.constData());
    }

private slots:
    void init()
    {
        const QString installError = InstallFresh();
        QVERIFY2(installError.isEmpty(), qPrintable(installError));
        WriteOpenNote();
        // The list closed, at a place of its own the run must not lose.
        const QString settingsError =
            WriteSettings(QStringLiteral("ShowTips=0\r\nShowToolBar=0\r\nShowing=0\r\nLeft=%1\r\nTop=%2\r\n")
                              .arg(KListPlace.x())
                              .arg(KListPlace.y()));
        QVERIFY2(settingsError.isEmpty(), qPrintable(settingsError));
    }

    void noteOpensAtItsPlaceOnXwayland()
    {
        TProgram program(FFolder, Environment());
        QString why;
        const QString id = Started(program, &why);
        QVERIFY2(!id.isEmpty(), qPrintable(why));
        QVERIFY2(program.Output().contains(QStringLiteral("jbx.events: platform xcb")),
                 qPrintable(program.Output()));
        QCOMPARE(Geometry(id), KStored);
        // Xwayland keeps no root window picture: the note's own, kept for a
        // look after the run, drawn whole at its size.
        const QString shot = QStringLiteral(JBX_BUILD_DIR "/artefacts/wayland-note.png");
        QDir().mkpath(QFileInfo(shot).path());
        QFile::remove(shot);
        RunOnDisplay(QStringLiteral("import"), {QStringLiteral("-window"), id, shot});
        QCOMPARE(QImage(shot).size(), KStored.size());

        // The session has no tray: the toolbar stands in for it, though the
        // settings keep it hidden.
        QVERIFY2(Eventually([&] { return !ToolBarWindow(program).isEmpty(); }),
                 "no toolbar on screen in a session without a tray");

        QCOMPARE(program.Stop(SIGTERM), 0);
        CheckStoredPlaces();
        QFile ini(Path(QStringLiteral("Jotterbox.ini")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(ini.readAll().contains("\r\nShowToolBar=0\r\n"));
    }

    void theListOpensAtItsPlaceOnXwayland()
    {
        WriteDataFile([](TTaskList &tasks) { tasks.AddNewTask()->Text = "Water the plants"; });
        const QString settingsError =
            WriteSettings(QStringLiteral("ShowTips=0\r\nShowToolBar=0\r\nShowing=1\r\nLeft=%1\r\nTop=%2\r\n")
                              .arg(KListPlace.x())
                              .arg(KListPlace.y()));
        QVERIFY2(settingsError.isEmpty(), qPrintable(settingsError));
        TProgram program(FFolder, Environment());
        QString why;
        const QString id = Started(program, &why);
        QVERIFY2(!id.isEmpty(), qPrintable(why));
        QCOMPARE(Geometry(id).topLeft(), KListPlace);
        QCOMPARE(program.Stop(SIGTERM), 0);
    }

    void onTheWaylandPlatformStoredPlacesStay()
    {
        QProcessEnvironment environment = Environment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        // In the checked build: Qt's Wayland plugins, unloaded at the end,
        // leave allocations no stack can name; leaks are checked on xcb.
        if (const QString asan = environment.value(QStringLiteral("ASAN_OPTIONS")); !asan.isEmpty())
            environment.insert(QStringLiteral("ASAN_OPTIONS"), asan + QStringLiteral(":detect_leaks=0"));
        // A save soon after the note is shown and settled.
        environment.insert(QStringLiteral("JBX_SAVE_INTERVAL_MS"), QStringLiteral("500"));
        // Beside the placed note, one never placed: the compositor puts it
        // somewhere, and that place is no one's to store.
        WriteDataFile([](TTaskList &tasks) {
            for (const bool placed : {true, false}) {
                TTask *task = tasks.AddNewTask();
                task->Text = placed ? "Water the plants" : "Call Anna";
                task->ReminderTime = 0;
                task->Alerting = false;
                OpenNoteAt(*task, KStored);
                if (!placed)
                    task->Left = task->Top = TTask::NoPosition;
            }
        });
        const QString data = Path(QStringLiteral("Jotterbox.dat"));
        const QDateTime written = QFileInfo(data).lastModified();
        TProgram program(FFolder, environment);
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QVERIFY2(program.Output().contains(QStringLiteral("jbx.events: platform wayland")),
                 qPrintable(program.Output()));
        // A change of the user's own makes the program save while the notes
        // are up: a save of what it already holds would leave the file be.
        QProcess command;
        command.setProcessEnvironment(environment);
        command.start(FFolder + QStringLiteral("/Jotterbox"), {QStringLiteral("--new-note")});
        QVERIFY(command.waitForFinished(20000));
        QCOMPARE(command.exitCode(), 0);
        QVERIFY2(Eventually([&] { return QFileInfo(data).lastModified() != written; }),
                 "the program saved nothing while it ran");

        const int code = program.Stop(SIGTERM);
        QVERIFY2(code == 0, qPrintable(program.Output()));
        ReadDataFile([](const TTaskList &tasks) {
            QCOMPARE(tasks.Count(), 3); // and the new note
            const TTask &placed = *tasks.GetTask(0);
            const TTask &unplaced = *tasks.GetTask(1);
            QVERIFY(placed.NoteOpen && unplaced.NoteOpen);
            QCOMPARE(QRect(placed.Left, placed.Top, placed.Width, placed.Height), KStored);
            QCOMPARE(QPoint(unplaced.Left, unplaced.Top), QPoint(TTask::NoPosition, TTask::NoPosition));
        });
        CheckListPlace();
    }
};

QTEST_MAIN(TestE2eWayland)
#include "tst_e2e_wayland.moc"
