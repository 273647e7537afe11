// The installed program in a Wayland session's shoes: on Plasma its hot
// keys come from KDE's real shortcut daemon, on a desktop without such a
// service it says which commands to bind.

#include "e2e/TE2eTest.h"
#include "e2e/TProgram.h"
#include "support/KdeShortcutService.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

class TestE2eWaylandKeys : public TE2eTest {
    Q_OBJECT

    QTemporaryDir FKdeDir;
    TKdeShortcutService FKde;

    QProcessEnvironment WaylandSession(const QString &desktop) const
    {
        QProcessEnvironment environment = Environment();
        environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), desktop);
        if (!FKde.BusAddress().isEmpty())
            environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), FKde.BusAddress());
        return environment;
    }

private slots:
    void init()
    {
        const QString installError = InstallFresh();
        QVERIFY2(installError.isEmpty(), qPrintable(installError));
    }

    // A press the desktop's shortcut service reports opens a note or the
    // list, as Ctrl+Alt+N and Ctrl+Alt+L do on X11.
    void plasmaShortcutsReachTheProgram()
    {
        const QString problem = FKde.Start(FKdeDir.path());
        if (!problem.isEmpty())
            QSKIP(qPrintable(problem));
        TProgram program(FFolder, WaylandSession(QStringLiteral("KDE")));
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QVERIFY2(!program.Output().contains(QStringLiteral("hot keys unavailable")), qPrintable(program.Output()));

        QCOMPARE(TKdeShortcutService::Invoke(QStringLiteral("jotterbox"), QStringLiteral("New note")), QString());
        QVERIFY2(program.WaitForLine(QStringLiteral("jbx.events: hot key Ctrl+Alt+N")), qPrintable(program.Output()));
        QString why;
        QVERIFY2(!SettledWindow(program, &why).isEmpty(), qPrintable(why));
        QCOMPARE(TKdeShortcutService::Invoke(QStringLiteral("jotterbox"), QStringLiteral("Show or hide the list")),
                 QString());
        QVERIFY2(program.WaitForLine(QStringLiteral("jbx.events: hot key Ctrl+Alt+L")), qPrintable(program.Output()));
        QCOMPARE(program.Stop(SIGTERM), 0);
    }

    void otherDesktopsAreToldWhatToBind()
    {
        FKde.StopDaemon(); // a desktop without a shortcut service of its own
        TProgram program(FFolder, WaylandSession(QStringLiteral("sway")));
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        const QString output = program.Output();
        QVERIFY2(output.contains(QStringLiteral("Global hot keys unavailable")), qPrintable(output));
        QVERIFY2(output.contains(u'"' + Path(QStringLiteral("Jotterbox")) + QStringLiteral(" --new-note\"")) &&
                     output.contains(u'"' + Path(QStringLiteral("Jotterbox")) + QStringLiteral(" --toggle-list\"")),
                 qPrintable(output));
        QCOMPARE(output.count(QStringLiteral("Global hot keys unavailable")), 1);
        QCOMPARE(program.Stop(SIGTERM), 0);
    }
};

QTEST_GUILESS_MAIN(TestE2eWaylandKeys)
#include "tst_e2e_waylandkeys.moc"
