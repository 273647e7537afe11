// A session without a tray (GNOME shows none unless an extension adds it):
// the installed program on a private X display with a window manager and
// no tray host keeps its toolbar up, and the toolbar's menu reaches what
// only the tray menu offered, in the language of the desktop.

#include "e2e/TE2eTest.h"
#include "e2e/TProgram.h"
#include "settings/TUserInfo.h"

#include <QFile>
#include <QTest>
#include <csignal>

namespace {
constexpr QPoint KOnTheNoteButton(34, 13); // the clock would take the press for a drag
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
};

QTEST_GUILESS_MAIN(TestE2eNoTray)
#include "tst_e2e_notray.moc"
