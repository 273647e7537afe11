// A session without a tray (GNOME shows none unless an extension adds it):
// the installed program on a private X display with a window manager and
// no tray host keeps its toolbar up, and the toolbar's menu reaches what
// only the tray menu offered, in the language of the desktop. A reminder
// for a task whose note is closed is seen all the same: as a desktop
// notification, in the toolbar, or by its note opening itself.

#include "base/DateTime.h"
#include "e2e/TE2eTest.h"
#include "e2e/TProgram.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"
#include "support/NotificationServer.h"

#include <QFile>
#include <QTest>
#include <csignal>

namespace {
constexpr QPoint KOnTheNoteButton(34, 13); // the clock would take the press for a drag
constexpr QPoint KOnTheClock(12, 13);
const QString KSubject = QStringLiteral("Water the plants");
const QString KAnswered = QStringLiteral("jbx.events: notification answer");
} // namespace

class TestE2eNoTray : public TE2eTest {
    Q_OBJECT

public:
    TestE2eNoTray() { FTrayHost = false; }

private:
    // A right click on the toolbar; true once its menu is up and has drawn.
    bool OpenMenu(TProgram &program, const QString &bar, int opened)
    {
        const QImage before = Screenshot();
        PointerTo(Geometry(bar).topLeft() + KOnTheNoteButton);
        XDo({"click", "3"});
        return Eventually([&] { return program.Output().count("jbx.events: toolbar menu:") == opened; }) &&
               Eventually([&] { return Screenshot() != before; });
    }

    // Starts the program and opens its toolbar's menu; the toolbar, or
    // empty with the reason in *why.
    QString StartWithToolBarMenu(TProgram &program, QString *why)
    {
        program.Start();
        QString bar;
        if (!program.WaitForIdle() || !Eventually([&] { return !(bar = ToolBarWindow(program)).isEmpty(); }))
            *why = "no toolbar; output:\n" + program.Output();
        else if (!OpenMenu(program, bar, 1))
            *why = "no toolbar menu; output:\n" + program.Output();
        else
            return bar;
        return {};
    }

    // A task whose reminder went off while its note was closed: the start
    // finds the alert waiting.
    void WriteWaitingAlert()
    {
        WriteDataFile([](TTaskList &tasks) {
            TTask *task = tasks.AddNewTask();
            task->Text = KSubject.toUtf8() + "\r\nby the window";
            task->ReminderTime = 0;
            task->Alerting = true;
            task->NoteOpen = false;
        });
    }

    // Whether the toolbar's picture changes while it stands still: the alert's blink.
    bool Blinks(const QString &bar) const
    {
        const QRect place = Geometry(bar);
        const QImage first = Screenshot().copy(place);
        return Eventually([&] { return Screenshot().copy(place) != first; }, 3000);
    }

    // Whether the toolbar's picture comes to rest: unchanged for three
    // blinks' time. The repaint that ends an alert may come a moment after
    // the alert's end is logged, so one change before the rest is allowed.
    bool ComesToRest(const QString &bar) const
    {
        const QRect place = Geometry(bar);
        return Eventually(
            [&] {
                const QImage first = Screenshot().copy(place);
                return !Eventually([&] { return Screenshot().copy(place) != first; }, 1500);
            },
            8000);
    }

private slots:
    void init()
    {
        const QString installError = InstallFresh();
        QVERIFY2(installError.isEmpty(), qPrintable(installError));
    }

    // The program speaks the desktop's language from its first window on:
    // the installed translation under a German locale, the English of the
    // sources under an English one, or where the desktop's list of
    // languages (LANGUAGE) puts English first. Qt reads LC_ALL, LANG and
    // LANGUAGE itself, so the system need not have the locale generated.
    void menuSpeaksTheDesktopsLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("languages");
        QTest::addColumn<QString>("menu");
        const QString german =
            QStringLiteral("&Neue Notiz | &Liste anzeigen | &Optionen... | Ü&ber Jotterbox... | B&eenden");
        const QString english =
            QStringLiteral("New &Note | Show &List | &Options... | &About Jotterbox... | E&xit");
        QTest::newRow("de_DE") << "de_DE.UTF-8"
                               << "" << german;
        QTest::newRow("en_US") << "en_US.UTF-8"
                               << "" << english;
        QTest::newRow("de_DE-english-first") << "de_DE.UTF-8"
                                             << "en:de" << english;
    }
    void menuSpeaksTheDesktopsLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(QString, languages);
        QFETCH(QString, menu);
        QProcessEnvironment environment = Environment();
        for (const char *variable : {"LC_ALL", "LANG"})
            environment.insert(QLatin1String(variable), locale);
        environment.insert(QStringLiteral("LANGUAGE"), languages);
        TProgram program(FFolder, environment);
        QString why;
        QVERIFY2(!StartWithToolBarMenu(program, &why).isEmpty(), qPrintable(why));
        SaveScreenshot(QStringLiteral("notray-menu-%1.png").arg(QLatin1String(QTest::currentDataTag())));
        QVERIFY2(program.Output().contains(QStringLiteral("jbx.events: toolbar menu: %1\n").arg(menu)),
                 qPrintable(program.Output()));
        XDo({"key", "Escape"});
        QCOMPARE(program.Stop(SIGTERM), 0);
    }

    void toolbarStandsInForTheTray()
    {
        // The setting says no toolbar.
        TProgram program(FFolder, Environment());
        QString why;
        const QString bar = StartWithToolBarMenu(program, &why);
        QVERIFY2(!bar.isEmpty(), qPrintable(why));

        // Its menu: no "Hide Toolbar", and the tray's About and Exit.
        SaveScreenshot(QStringLiteral("notray-toolbar-menu.png"));
        QVERIFY2(program.Output().contains("jbx.events: toolbar menu: New &Note | Show &List | &Options... | "
                                           "&About Jotterbox... | E&xit\n"),
                 qPrintable(program.Output()));
        XDo({"key", "a"}); // &About Jotterbox...
        QVERIFY2(Eventually([&] { return ProgramWindows(program).size() == 1; }),
                 "the about box did not show");
        SaveScreenshot(QStringLiteral("notray-about.png"));
        XDo({"key", "Escape"});
        QVERIFY(Eventually([&] { return ProgramWindows(program).isEmpty(); }));

        QVERIFY2(OpenMenu(program, bar, 2), qPrintable(program.Output()));
        XDo({"key", "x"}); // E&xit
        QVERIFY2(program.Process().waitForFinished(10000), "Exit did not end the program");
        QCOMPARE(program.Process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.Process().exitCode(), 0);
        // The final save ran, and the setting is still the user's.
        QVERIFY(QFile::exists(Path("Jotterbox.dat")));
        TUserInfo settings(FFolder + u'/');
        settings.LoadSettings();
        QVERIFY(!settings.ShowToolBar);
    }

    // A tray host that comes after the start (autostart at login) takes the
    // toolbar's place, hidden as the user left it; gone again, the toolbar
    // is back, so the program is never without a way to it.
    void trayThatComesAndGoesIsFollowed()
    {
        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QVERIFY2(Eventually([&] { return !ToolBarWindow(program).isEmpty(); }), qPrintable(program.Output()));

        QProcess trayer;
        trayer.setProcessEnvironment(FX.Environment());
        trayer.start(QStringLiteral("trayer"), {"--edge", "top", "--align", "right", "--widthtype", "request",
                                                "--height", "24", "--SetDockType", "true"});
        QVERIFY(trayer.waitForStarted());
        QVERIFY2(program.WaitForLine(QStringLiteral("jbx.events: tray came")), qPrintable(program.Output()));
        QVERIFY2(Eventually([&] { return ToolBarWindow(program).isEmpty() && !TrayIcon(program).isEmpty(); }),
                 qPrintable(program.Output()));
        SaveScreenshot(QStringLiteral("notray-tray-came.png"));

        TPrivateBus::Stop(trayer);
        QVERIFY2(program.WaitForLine(QStringLiteral("jbx.events: tray went")), qPrintable(program.Output()));
        QVERIFY2(Eventually([&] { return !ToolBarWindow(program).isEmpty(); }), qPrintable(program.Output()));
        QCOMPARE(program.Stop(SIGTERM), 0);
        TUserInfo settings(FFolder + u'/');
        settings.LoadSettings();
        QVERIFY(!settings.ShowToolBar);
    }

    // With a notification server the alert is a notification with the task's
    // subject and two answers, which do what the note's blink menu does; a
    // click on it, or a double-click on the blinking toolbar, opens the note.
    // With no server (or no bus at all) the note opens itself.
    void reminderIsSeenWithoutATray_data()
    {
        QTest::addColumn<int>("bus"); // 0 none, 1 with no server on it, 2 with dunst
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("alerting"); // what the data file holds at the end
        QTest::addColumn<bool>("noteOpen");
        QTest::addColumn<bool>("snoozed");
        QTest::newRow("acknowledged") << 2 << "Acknowledged" << false << false << false;
        QTest::newRow("snoozed") << 2 << "Snooze 5 minutes" << false << false << true;
        QTest::newRow("notification clicked") << 2 << "click" << true << true << false;
        QTest::newRow("toolbar double-clicked") << 2 << "toolbar" << true << true << false;
        QTest::newRow("no notification server") << 1 << "" << true << true << false;
        QTest::newRow("no session bus") << 0 << "" << true << true << false;
    }
    void reminderIsSeenWithoutATray()
    {
        QFETCH(int, bus);
        QFETCH(QString, answer);
        QFETCH(bool, alerting);
        QFETCH(bool, noteOpen);
        QFETCH(bool, snoozed);
        WriteWaitingAlert();
        TNotificationServer server;
        QProcessEnvironment environment = Environment();
        environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        if (bus > 0) {
            const QString why = server.Start(Environment(), FDir->path(), bus == 2);
            if (why.contains(QLatin1String("not installed")))
                QSKIP(qPrintable(why));
            QVERIFY2(why.isEmpty(), qPrintable(why));
            environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), server.BusAddress());
        }

        TProgram program(FFolder, environment);
        const TDateTime started = QDateTimeToDateTime(QDateTime::currentDateTime());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QString bar;
        QVERIFY2(Eventually([&] { return !(bar = ToolBarWindow(program)).isEmpty(); }),
                 qPrintable(program.Output()));
        QVERIFY2(program.WaitForLine(QStringLiteral("jbx.events: toolbar alert")),
                 qPrintable(program.Output()));

        if (bus < 2) {
            // Nothing to tell it by but the note itself.
            QVERIFY2(Eventually([&] { return ProgramWindows(program).size() == 1; }),
                     qPrintable(program.Output()));
        } else {
            QVERIFY2(Eventually([&] {
                         return server.Calls().contains(QStringLiteral("string \"Snooze 5 minutes\""));
                     }),
                     qPrintable(server.Calls() + program.Output()));
            const QString calls = server.Calls();
            for (const QString &said :
                 {KSubject, QStringLiteral("Acknowledged"), QStringLiteral("Jotterbox")})
                QVERIFY2(calls.contains(QStringLiteral("string \"%1\"").arg(said)), qPrintable(calls));
            QCOMPARE(server.Displayed(), 1);
            QVERIFY(ProgramWindows(program).isEmpty());
            QVERIFY2(Blinks(bar), "the toolbar does not blink");
            SaveScreenshot(QStringLiteral("notray-notification-%1.png").arg(QTest::currentDataTag()));

            if (answer == QLatin1String("toolbar")) {
                PointerTo(Geometry(bar).topLeft() + KOnTheClock);
                XDo({"click", "--repeat", "2", "--delay", "80", "1"});
            } else if (answer == QLatin1String("click")) {
                server.Click();
            } else {
                server.Choose(answer);
            }
            if (noteOpen)
                QVERIFY2(Eventually([&] { return ProgramWindows(program).size() == 1; }),
                         qPrintable(program.Output()));
            else
                QVERIFY2(program.WaitForLine(KAnswered), qPrintable(program.Output()));
            // Answered, the notification goes, and with nothing left
            // waiting so does the toolbar's blink.
            QVERIFY2(Eventually([&] { return server.Displayed() == 0; }), qPrintable(program.Output()));
            QVERIFY2(program.WaitForLine(QStringLiteral("jbx.events: toolbar alert ended")),
                     qPrintable(program.Output()));
            QVERIFY2(ComesToRest(bar), "the toolbar still blinks");
        }

        const TDateTime answered = QDateTimeToDateTime(QDateTime::currentDateTime());
        QCOMPARE(program.Stop(SIGTERM), 0);
        ReadDataFile([&](const TTaskList &tasks) {
            QCOMPARE(tasks.Count(), 1);
            const TTask *task = tasks.GetTask(0);
            QCOMPARE(task->Alerting, alerting);
            QCOMPARE(task->NoteOpen, noteOpen);
            if (!snoozed) {
                QCOMPARE(task->ReminderTime, 0.0);
                return;
            }
            const TDateTime fiveMinutes = 5.0 / (24 * 60);
            QVERIFY(task->ReminderTime >= started + fiveMinutes);
            QVERIFY(task->ReminderTime <= answered + fiveMinutes);
        });
    }
};

QTEST_GUILESS_MAIN(TestE2eNoTray)
#include "tst_e2e_notray.moc"
