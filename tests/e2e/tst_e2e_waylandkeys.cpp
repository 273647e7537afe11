// The installed program in a Wayland session's shoes: on Plasma its hot
// keys come from KDE's real shortcut daemon, on a desktop without such a
// service it says which commands to bind.

#include "e2e/TE2eTest.h"
#include "e2e/TProgram.h"
#include "support/KdeShortcutService.h"

#include <QFile>
#include <QProcess>
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
        QVERIFY2(!program.Output().contains(QStringLiteral("hot keys unavailable")),
                 qPrintable(program.Output()));

        QCOMPARE(TKdeShortcutService::Invoke(QStringLiteral("jotterbox"), QStringLiteral("New note")),
                 QString());
        QVERIFY2(program.WaitForLine(QStringLiteral("jbx.events: hot key Ctrl+Alt+N")),
                 qPrintable(program.Output()));
        QString why;
        QVERIFY2(!SettledWindow(program, &why).isEmpty(), qPrintable(why));
        QCOMPARE(
            TKdeShortcutService::Invoke(QStringLiteral("jotterbox"), QStringLiteral("Show or hide the list")),
            QString());
        QVERIFY2(program.WaitForLine(QStringLiteral("jbx.events: hot key Ctrl+Alt+L")),
                 qPrintable(program.Output()));
        QCOMPARE(program.Stop(SIGTERM), 0);
    }

    // GNOME: the first start asks; Yes puts two shortcuts running this
    // program into GNOME's settings, and the next start asks nothing.
    void gnomeShortcutsOfferedAtTheFirstStart()
    {
        QTemporaryDir config;
        QProcessEnvironment environment = WaylandSession(QStringLiteral("GNOME"));
        environment.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        const auto gsettings = [&](const QStringList &arguments) {
            QProcess tool;
            tool.setProcessEnvironment(environment);
            tool.start(QStringLiteral("gsettings"), arguments);
            tool.waitForFinished(20000);
            return tool.exitCode() == 0 ? QString::fromUtf8(tool.readAllStandardOutput()).trimmed()
                                        : QStringLiteral("failed");
        };
        const QString schema = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys");
        if (gsettings({QStringLiteral("list-keys"), schema}) == QLatin1String("failed"))
            QSKIP("GNOME's media-keys schema is not installed (Debian: gnome-settings-daemon-common)");

        TProgram program(FFolder, environment);
        program.Start();
        // The question holds the start up until it is answered.
        XDo({"search", "--sync", "--onlyvisible", "--name", "^Jotterbox$", "windowactivate", "--sync"});
        XDo({"key", "y"});
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        const QString folder =
            QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/");
        QCOMPARE(gsettings({"get", schema, "custom-keybindings"}),
                 "['" + folder + "jotterbox-new-note/', '" + folder + "jotterbox-toggle-list/']");
        QCOMPARE(
            gsettings({"get", schema + ".custom-keybinding:" + folder + "jotterbox-toggle-list/", "command"}),
            "'" + Path("Jotterbox") + " --toggle-list'");
        QCOMPARE(program.Stop(SIGTERM), 0);

        TProgram next(FFolder, environment);
        next.Start();
        QVERIFY2(next.WaitForIdle(), qPrintable(next.Output()));
        QCOMPARE(next.Stop(SIGTERM), 0);
    }

    void otherDesktopsAreToldWhatToBind()
    {
        FKde.StopDaemon(); // a desktop without a shortcut service of its own
        TProgram program(FFolder, WaylandSession(QStringLiteral("sway")));
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        const QString output = program.Output();
        QVERIFY2(output.contains(QStringLiteral("Global hot keys unavailable")), qPrintable(output));
        QVERIFY2(
            output.contains(u'"' + Path(QStringLiteral("Jotterbox")) + QStringLiteral(" --new-note\"")) &&
                output.contains(u'"' + Path(QStringLiteral("Jotterbox")) +
                                QStringLiteral(" --toggle-list\"")),
            qPrintable(output));
        QCOMPARE(output.count(QStringLiteral("Global hot keys unavailable")), 1);
        QCOMPARE(program.Stop(SIGTERM), 0);
    }
};

QTEST_GUILESS_MAIN(TestE2eWaylandKeys)
#include "tst_e2e_waylandkeys.moc"
