// The program's commands as a user reaches them on a private X display with
// a window manager and a tray host: the global hot keys, the tray menu, the
// floating toolbar, and the dialogs, kept as pictures for a look after the run.

#include "e2e/TE2eTest.h"
#include "e2e/TProgram.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"
#include "support/TestTasks.h"

#include <QDeadlineTimer>
#include <QTest>
#include <algorithm>
#include <csignal>
#include <tuple>

namespace {
constexpr QPoint KToolBarPlace(300, 200);
constexpr QPoint KToolBarAside(700, 600); // clear of where new notes go
} // namespace

class TestE2eCommands : public TE2eTest {
    Q_OBJECT

    // What the program shows on the desktop: its note and list windows by
    // place and size, in order of place, and last the toolbar's (empty when
    // it is not up).
    QList<QRect> Desktop(TProgram &program) const
    {
        QList<QRect> places;
        for (const QString &id : ProgramWindows(program))
            places << Geometry(id);
        std::sort(places.begin(), places.end(), [](const QRect &a, const QRect &b) {
            return std::tuple(a.x(), a.y(), a.width(), a.height()) <
                   std::tuple(b.x(), b.y(), b.width(), b.height());
        });
        const QString bar = ToolBarWindow(program);
        places << (bar.isEmpty() ? QRect() : Geometry(bar));
        return places;
    }

    // Waits until the program shows `windows` note and list windows and the
    // toolbar, all standing still for a second; what it then shows is in
    // *settled. False, with what it showed last, if that does not come.
    bool SettledDesktop(TProgram &program, int windows, QList<QRect> *settled) const
    {
        QDeadlineTimer still(1000);
        return Eventually(
            [&] {
                program.Output(); // keeps its stderr pipe from filling up
                const QList<QRect> now = Desktop(program);
                const bool whole = now.size() == windows + 1 && !now.last().isEmpty();
                if (!whole || now != *settled)
                    still.setRemainingTime(1000);
                *settled = now;
                return whole && still.hasExpired();
            },
            20000);
    }

    static QString Places(const QList<QRect> &places)
    {
        QStringList text;
        for (const QRect &place : places)
            text << QStringLiteral("%1x%2+%3+%4")
                        .arg(place.width())
                        .arg(place.height())
                        .arg(place.x())
                        .arg(place.y());
        return text.join(u' ');
    }

private slots:
    void init()
    {
        const QString installError = InstallFresh();
        QVERIFY2(installError.isEmpty(), qPrintable(installError));
    }

    void hotKeyShowsAndHidesTheList()
    {
        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QVERIFY(ProgramWindows(program).isEmpty());

        XDo({"key", "ctrl+alt+l"});
        QVERIFY2(Eventually([&] { return ProgramWindows(program).size() == 1; }),
                 qPrintable(program.Output()));
        SaveScreenshot(QStringLiteral("commands-list.png"));
        XDo({"key", "ctrl+alt+l"});
        QVERIFY2(Eventually([&] { return ProgramWindows(program).isEmpty(); }), qPrintable(program.Output()));
        QCOMPARE(program.Stop(SIGTERM), 0);
    }

    void hotKeyNoteIsTypedClosedAndSaved()
    {
        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));

        XDo({"key", "ctrl+alt+n"});
        QString why;
        const QString id = SettledWindow(program, &why);
        QVERIFY2(!id.isEmpty(), qPrintable(why));
        QVERIFY2(Eventually([&] { return XDo({"getwindowfocus"}) == id; }), "the new note has no focus");
        SaveScreenshot(QStringLiteral("commands-note.png"));
        // The placeholder is selected: typing replaces it.
        XDo({"type", "--delay", "30", "Call the plumber"});
        XDo({"key", "ctrl+Return"});
        QVERIFY2(Eventually([&] { return ProgramWindows(program).isEmpty(); }),
                 qPrintable("Ctrl+Enter left the note open; output:\n" + program.Output()));

        QCOMPARE(program.Stop(SIGTERM), 0);
        ReadDataFile([](const TTaskList &tasks) {
            QCOMPARE(tasks.Count(), 1);
            QCOMPARE(tasks.GetTask(0)->Text, QByteArray("Call the plumber"));
            QVERIFY(!tasks.GetTask(0)->NoteOpen);
        });
    }

    void trayMenuExitEndsWithTheFinalSave()
    {
        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QVERIFY(!QFile::exists(Path("Jotterbox.dat")));

        QVERIFY2(OpenTrayMenu(program), qPrintable("no tray menu; output:\n" + program.Output()));
        SaveScreenshot(QStringLiteral("commands-tray-menu.png"));
        XDo({"key", "x"}); // E&xit
        QVERIFY2(program.Process().waitForFinished(10000), "Exit did not end the program");
        QCOMPARE(program.Process().exitCode(), 0);
        // Nothing had changed, and the end saves all the same.
        QVERIFY(QFile::exists(Path("Jotterbox.dat")));
    }

    // Two notes on the desktop (one blinking, one new and left untouched),
    // the list and the toolbar up: however the program ends, the next start
    // shows the same desktop, and nothing sounds on the way out. The end
    // destroys the windows; it does not close them as the user would.
    void everyWayOutBringsTheSameDesktopBack_data()
    {
        QTest::addColumn<int>("signal"); // 0: the tray menu's Exit
        QTest::newRow("tray Exit") << 0;
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("SIGINT") << int(SIGINT);
    }

    void everyWayOutBringsTheSameDesktopBack()
    {
        QFETCH(int, signal);
        QVERIFY(WriteSettings(QStringLiteral("ShowTips=0\r\nShowToolBar=1\r\nShowing=1\r\n"
                                             "ToolBarLeft=%1\r\nToolBarTop=%2\r\n")
                                  .arg(KToolBarAside.x())
                                  .arg(KToolBarAside.y()))
                    .isEmpty());
        WriteDataFile([](TTaskList &tasks) {
            TTask *task = tasks.AddNewTask();
            task->Text = "Call the dentist";
            task->ReminderTime = 0;
            task->Alerting = true; // its note blinks
            OpenNoteAt(*task, QRect(420, 330, 230, 170));
        });
        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        XDo({"key", "ctrl+alt+n"}); // a new note, left as it comes
        QList<QRect> before;
        QVERIFY2(SettledDesktop(program, 3, &before),
                 qPrintable(Places(before) + "; output:\n" + program.Output()));
        SaveScreenshot(QStringLiteral("commands-before-the-end.png"));

        if (signal == 0) {
            QVERIFY2(OpenTrayMenu(program, 3), qPrintable("no tray menu; output:\n" + program.Output()));
            XDo({"key", "x"}); // E&xit
            QVERIFY2(program.Process().waitForFinished(10000), "Exit did not end the program");
            QCOMPARE(program.Process().exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.Process().exitCode(), 0);
        } else {
            QCOMPARE(program.Stop(signal), 0);
        }
        const QString output = program.Output();
        QVERIFY2(!output.contains("jbx.events: alert sound") && !output.contains("jbx.events: tray alert"),
                 qPrintable(output));
        ReadDataFile([](const TTaskList &tasks) {
            QCOMPARE(tasks.Count(), 2);
            QCOMPARE(tasks.GetTask(0)->Text, QByteArray("Call the dentist"));
            QVERIFY(tasks.GetTask(0)->NoteOpen);
            QVERIFY(tasks.GetTask(0)->Alerting);
            QCOMPARE(tasks.GetTask(1)->Text, QByteArray("New Note"));
            QVERIFY(tasks.GetTask(1)->NoteOpen);
        });
        TUserInfo settings(FFolder + u'/');
        settings.LoadSettings();
        QVERIFY(settings.Showing);
        QVERIFY(settings.ShowToolBar);

        TProgram again(FFolder, Environment());
        again.Start();
        QVERIFY2(again.WaitForIdle(), qPrintable(again.Output()));
        QList<QRect> after;
        QVERIFY2(SettledDesktop(again, 3, &after), qPrintable(Places(after) + " after " + Places(before)));
        QCOMPARE(Places(after), Places(before));
        QCOMPARE(again.Stop(SIGTERM), 0);
    }

    void draggedToolBarComesBackThereAndOptionsAndTipShow()
    {
        QVERIFY(
            WriteSettings(QStringLiteral("ShowTips=1\r\nShowToolBar=1\r\nToolBarLeft=%1\r\nToolBarTop=%2\r\n")
                              .arg(KToolBarPlace.x())
                              .arg(KToolBarPlace.y()))
                .isEmpty());
        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QString bar;
        QVERIFY2(Eventually([&] { return !(bar = ToolBarWindow(program)).isEmpty(); }),
                 qPrintable(program.Output()));
        // The toolbar stands at its place (and has stood still a moment).
        QDeadlineTimer still(1000);
        QVERIFY2(Eventually([&] {
                     if (Geometry(bar).topLeft() != KToolBarPlace)
                         still.setRemainingTime(1000);
                     return still.hasExpired();
                 }),
                 qPrintable("toolbar at " + At(Geometry(bar).topLeft())));
        QVERIFY2(Eventually([&] {
                     return !XDo({"search", "--onlyvisible", "--name", "^Tip of the Day$"}).isEmpty();
                 }),
                 "the tip of the day did not show");
        SaveScreenshot(QStringLiteral("commands-toolbar-and-tip.png"));

        // Dragged by its clock.
        const QString why = DragBy(bar, KToolBarPlace + QPoint(12, 13), QPoint(120, 80));
        QVERIFY2(why.isEmpty(), qPrintable(why));
        const QPoint moved = Geometry(bar).topLeft();
        QVERIFY2((moved - (KToolBarPlace + QPoint(120, 80))).manhattanLength() <= 8, qPrintable(At(moved)));

        // Options from the tray menu, then away with Escape.
        QVERIFY2(OpenTrayMenu(program), qPrintable("no tray menu; output:\n" + program.Output()));
        XDo({"key", "o"}); // &Options...
        QString options;
        QVERIFY2(Eventually([&] {
                     options = XDo({"search", "--onlyvisible", "--name", "^Options$"}).trimmed();
                     return !options.isEmpty();
                 }),
                 "the options dialog did not show");
        SaveScreenshot(QStringLiteral("commands-options.png"));
        XDo({"key", "--window", options.section(u'\n', 0, 0), "Escape"});
        QVERIFY(Eventually([&] {
            return XDo({"search", "--onlyvisible", "--name", "^Options$"}).isEmpty();
        }));

        QCOMPARE(program.Stop(SIGTERM), 0);
        TUserInfo settings(FFolder + u'/');
        settings.LoadSettings();
        QCOMPARE(QPoint(settings.ToolBarLeft, settings.ToolBarTop), moved);
        QVERIFY(settings.ShowToolBar);

        TProgram again(FFolder, Environment());
        again.Start();
        QVERIFY2(again.WaitForIdle(), qPrintable(again.Output()));
        QVERIFY2(Eventually([&] {
                     bar = ToolBarWindow(again);
                     return !bar.isEmpty() && Geometry(bar).topLeft() == moved;
                 }),
                 qPrintable("toolbar not back at " + At(moved)));
        QCOMPARE(again.Stop(SIGTERM), 0);
    }
};

QTEST_GUILESS_MAIN(TestE2eCommands)
#include "tst_e2e_commands.moc"
