#include "platform/GnomeShortcuts.h"
#include "platform/HotKeyRoute.h"
#include "platform/THotKeys.h"
#include "settings/TUserInfo.h"
#include "support/KdeShortcutService.h"
#include "support/ShellFixture.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// Hot keys in Wayland sessions, against the desktops' real services: KDE's
// shortcut daemon on a bus of the test's own, and GNOME's settings schema
// through gsettings on a private keyfile backend.
namespace {
constexpr int KWaitMs = 15000;
const QString KMediaKeys = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys");
const QString KCustom = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys.custom-keybinding");

QString Run(const QString &program, const QStringList &arguments, int *exitCode = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(KWaitMs);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString GSettingsGet(const QString &schema, const QString &key)
{
    return Run(QStringLiteral("gsettings"), {QStringLiteral("get"), schema, key});
}

QDBusMessage CallKde(const QString &path, const QString &interface, const QString &method,
                     const QVariantList &arguments)
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(QLatin1String(KKdeGlobalAccelService), path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message);
}
} // namespace

class TestWaylandKeys : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    TKdeShortcutService FKde;
    QString FKdeProblem; // why the KDE cases skip, when they do

private slots:
    void initTestCase()
    {
        QVERIFY(FDir.isValid());
        // Neither service may write into the real user's settings.
        qputenv("XDG_CONFIG_HOME", FDir.filePath(QStringLiteral("config")).toUtf8());
        qputenv("GSETTINGS_BACKEND", "keyfile");
        FKdeProblem = FKde.Start(FDir.filePath(QStringLiteral("kde")));
    }

    void routeFollowsTheSession_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("sessionType");
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<bool>("kdeOnBus");
        QTest::addColumn<THotKeyRoute>("route");
        using R = THotKeyRoute;
        // clang-format off
        // Whatever runs on the bus, an X11 session keeps its X grabs.
        QTest::newRow("x11 session") << "xcb" << "x11" << "KDE" << true << R::X11;
        QTest::newRow("no session type") << "xcb" << "" << "GNOME" << false << R::X11;
        QTest::newRow("offscreen") << "offscreen" << "" << "" << false << R::X11;
        QTest::newRow("tty session") << "xcb" << "tty" << "" << true << R::X11;
        // Over Xwayland a grab sees only keys going to X windows.
        QTest::newRow("plasma on xwayland") << "xcb" << "wayland" << "KDE" << true << R::KdeService;
        QTest::newRow("plasma native") << "wayland" << "wayland" << "KDE" << true << R::KdeService;
        QTest::newRow("wayland plugin, no type") << "wayland-egl" << "" << "KDE" << true << R::KdeService;
        QTest::newRow("type in capitals") << "xcb" << "Wayland" << "KDE" << true << R::KdeService;
        QTest::newRow("plasma, service gone") << "wayland" << "wayland" << "KDE" << false << R::None;
        QTest::newRow("other desktop, service running")
            << "wayland" << "wayland" << "LXQt" << true << R::KdeService;
        QTest::newRow("gnome") << "xcb" << "wayland" << "GNOME" << false << R::GnomeShortcuts;
        QTest::newRow("gnome in a list") << "wayland" << "wayland" << "ubuntu:GNOME" << false
                                         << R::GnomeShortcuts;
        QTest::newRow("gnome, a kde service about") << "wayland" << "wayland" << "GNOME" << true
                                                    << R::GnomeShortcuts;
        QTest::newRow("gnome-like name") << "wayland" << "wayland" << "GNOME-Flashback-X" << false << R::None;
        QTest::newRow("sway") << "wayland" << "wayland" << "sway" << false << R::None;
        QTest::newRow("no desktop") << "wayland" << "wayland" << "" << false << R::None;
        // clang-format on
    }
    void routeFollowsTheSession()
    {
        QFETCH(QString, platform);
        QFETCH(QString, sessionType);
        QFETCH(QString, desktop);
        QFETCH(bool, kdeOnBus);
        QFETCH(THotKeyRoute, route);
        QCOMPARE(ChooseHotKeyRoute({platform, sessionType, desktop, kdeOnBus}), route);
    }

    // The user's path on Plasma's Wayland session: the program registers
    // its keys with the real service, the service reports a press, the
    // program's hot key signal fires; at the end the keys stay configured
    // for the next start.
    void kdeServiceCarriesTheHotKeys()
    {
        if (!FKdeProblem.isEmpty())
            QSKIP(qPrintable(FKdeProblem));
        qputenv("XDG_SESSION_TYPE", "wayland");
        qputenv("XDG_CURRENT_DESKTOP", "KDE");
        const Qt::KeyboardModifiers ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
        const int ctrlAltN = QKeyCombination(ctrlAlt, Qt::Key_N).toCombined();
        const int ctrlAltK = QKeyCombination(ctrlAlt, Qt::Key_K).toCombined();
        const QString path = QStringLiteral("/kglobalaccel");
        const QString iface = QStringLiteral("org.kde.KGlobalAccel");

        // Another program holds Ctrl+Alt+K already.
        const QStringList foreign{QStringLiteral("other"), QStringLiteral("Take K"), QStringLiteral("Other"),
                                  QStringLiteral("Take K")};
        CallKde(path, iface, QStringLiteral("doRegister"), {foreign});
        CallKde(path, iface, QStringLiteral("setShortcut"),
                {foreign, QVariant::fromValue(QList<int>{ctrlAltK}), 2u});

        auto hotKeys = std::make_unique<THotKeys>();
        QCOMPARE(hotKeys->Route(), THotKeyRoute::KdeService);
        QVERIFY(hotKeys->Available());
        QSignalSpy pressed(hotKeys.get(), &THotKeys::Pressed);
        QVERIFY(hotKeys->Register(1, Qt::Key_N, ctrlAlt, QStringLiteral("New note")));
        QVERIFY(hotKeys->Register(2, Qt::Key_L, ctrlAlt, QStringLiteral("Show or hide the list")));
        QVERIFY2(!hotKeys->Register(3, Qt::Key_N, ctrlAlt, QStringLiteral("Again")), "ours under id 1");
        QVERIFY2(!hotKeys->Register(4, Qt::Key_K, ctrlAlt, QStringLiteral("Taken")), "held by another");

        const QStringList newNote{QStringLiteral("jotterbox"), QStringLiteral("New note"),
                                  QStringLiteral("Jotterbox"), QStringLiteral("New note")};
        const QDBusReply<QList<int>> keys = CallKde(path, iface, QStringLiteral("shortcut"), {newNote});
        QVERIFY2(keys.isValid(), qPrintable(keys.error().message()));
        QCOMPARE(keys.value().value(0), ctrlAltN);

        const auto invoke = [](const QString &action) {
            const QString error = TKdeShortcutService::Invoke(QStringLiteral("jotterbox"), action);
            QVERIFY2(error.isEmpty(), qPrintable(error));
        };
        invoke(QStringLiteral("Show or hide the list"));
        QTRY_COMPARE_WITH_TIMEOUT(pressed.size(), 1, KWaitMs);
        QCOMPARE(pressed.takeFirst().value(0).toInt(), 2);
        invoke(QStringLiteral("New note"));
        QTRY_COMPARE_WITH_TIMEOUT(pressed.size(), 1, KWaitMs);
        QCOMPARE(pressed.takeFirst().value(0).toInt(), 1);
        // Another program's action is none of ours.
        QCOMPARE(TKdeShortcutService::Invoke(QStringLiteral("other"), QStringLiteral("Take K")), QString());

        // Unregistered, a press of the service's no longer reaches us.
        hotKeys->Unregister(2);
        invoke(QStringLiteral("Show or hide the list"));
        invoke(QStringLiteral("New note"));
        QTRY_COMPARE_WITH_TIMEOUT(pressed.size(), 1, KWaitMs);
        QCOMPARE(pressed.takeFirst().value(0).toInt(), 1);

        // The next start finds its keys where it left them.
        hotKeys.reset();
        hotKeys = std::make_unique<THotKeys>();
        QVERIFY(hotKeys->Register(1, Qt::Key_N, ctrlAlt, QStringLiteral("New note")));
        const QDBusReply<QList<int>> again = CallKde(path, iface, QStringLiteral("shortcut"), {newNote});
        QCOMPARE(again.value().value(0), ctrlAltN);
    }

    // Outside the desktops the program knows, it is told why, and no key
    // can be registered.
    void otherWaylandDesktopsHaveNoHotKeys()
    {
        qputenv("XDG_SESSION_TYPE", "wayland");
        qputenv("XDG_CURRENT_DESKTOP", "sway");
        if (FKdeProblem.isEmpty())
            FKde.StopDaemon(); // the service is gone: nothing to register with
        THotKeys hotKeys;
        QCOMPARE(hotKeys.Route(), THotKeyRoute::None);
        QVERIFY(!hotKeys.Available());
        QVERIFY(!hotKeys.Register(1, Qt::Key_N, Qt::ControlModifier | Qt::AltModifier,
                                  QStringLiteral("New note")));
        QVERIFY(!hotKeys.UnavailableReason().isEmpty());
        const QString hint = HotKeyCommandsHint(QStringLiteral("/opt/jb/Jotterbox"));
        QVERIFY2(hint.contains(QStringLiteral("\"/opt/jb/Jotterbox --new-note\"")) &&
                     hint.contains(QStringLiteral("\"/opt/jb/Jotterbox --toggle-list\"")),
                 qPrintable(hint));
    }

    void gvariantStringArrays_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QStringList>("strings");
        // clang-format off
        QTest::newRow("typed empty") << "@as []" << true << QStringList();
        QTest::newRow("empty") << "[]" << true << QStringList();
        QTest::newRow("one") << "['/a/']" << true << QStringList{"/a/"};
        QTest::newRow("two") << "['/a/', '/b/']" << true << QStringList{"/a/", "/b/"};
        QTest::newRow("double quotes") << "[\"it's\", 'x']" << true << QStringList{"it's", "x"};
        QTest::newRow("escapes") << R"(['a\'b', 'c\\d'])" << true << QStringList{"a'b", R"(c\d)"};
        QTest::newRow("spaces") << "  [ 'a' ,'b' ]  " << true << QStringList{"a", "b"};
        QTest::newRow("unterminated") << "['a]" << false << QStringList();
        QTest::newRow("trailing comma") << "['a',]" << false << QStringList();
        QTest::newRow("missing comma") << "['a' 'b']" << false << QStringList();
        QTest::newRow("not an array") << "'a'" << false << QStringList();
        QTest::newRow("bare word") << "[a]" << false << QStringList();
        // clang-format on
    }
    void gvariantStringArrays()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QStringList, strings);
        const std::optional<QStringList> parsed = ParseGVariantStrings(text);
        QCOMPARE(parsed.has_value(), valid);
        if (!valid)
            return;
        QCOMPARE(*parsed, strings);
        QCOMPARE(ParseGVariantStrings(FormatGVariantStrings(strings)), parsed);
    }

    // The commands GNOME runs are parsed as by a shell: whatever the
    // program folder is called, they must come apart into the program and
    // its option.
    void shortcutCommandsSurviveAShell_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::newRow("plain") << "/opt/jotterbox/Jotterbox";
        QTest::newRow("space") << "/home/ann/My Programs/Jotterbox";
        QTest::newRow("quote") << "/home/ann/Ann's/Jotterbox";
        QTest::newRow("shell characters") << "/tmp/$HOME `x` \"q\" \\ ; &/Jotterbox";
        QTest::newRow("non-ascii") << "/home/jürgen/Notizen/Jotterbox";
    }
    void shortcutCommandsSurviveAShell()
    {
        QFETCH(QString, executable);
        const QList<TCustomShortcut> shortcuts = JotterboxShortcuts(executable);
        QCOMPARE(shortcuts.size(), 2);
        const QStringList options{"--new-note", "--toggle-list"};
        for (int i = 0; i < 2; ++i) {
            const QString words = Run(QStringLiteral("sh"), {"-c", "printf '%s\\n' " + shortcuts[i].Command});
            QCOMPARE(words, executable + '\n' + options[i]);
        }
    }

    // The user's path on GNOME: asked once, Yes, the two shortcuts are in
    // GNOME's settings beside the user's own, with commands that run this
    // program; never asked again.
    void gnomeShortcutsAddedOnceWhenAccepted()
    {
        int exitCode = 0;
        Run(QStringLiteral("gsettings"), {QStringLiteral("list-keys"), KCustom + ":/x/"}, &exitCode);
        if (exitCode != 0)
            QSKIP("GNOME's media-keys schema is not installed (Debian: gnome-settings-daemon-common)");
        const QString userOwn =
            QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/");
        Run(QStringLiteral("gsettings"), {"set", KMediaKeys, "custom-keybindings", "['" + userOwn + "']"});

        QTemporaryDir appDir;
        const QString executable = appDir.path() + QStringLiteral("/Jotter box/Jotterbox");
        TScriptedDialogs dialogs;
        dialogs.Answers = {true};
        TUserInfo info(appDir.path() + '/');
        info.LoadSettings();
        QVERIFY(!info.GnomeShortcutsOffered);
        QVERIFY(OfferGnomeShortcutsOnce(info, executable));
        QCOMPARE(dialogs.Questions.size(), 1);
        QVERIFY(dialogs.Errors.isEmpty());

        const std::optional<QStringList> paths =
            ParseGVariantStrings(GSettingsGet(KMediaKeys, QStringLiteral("custom-keybindings")));
        QVERIFY(paths);
        const QList<TCustomShortcut> expected = JotterboxShortcuts(executable);
        QCOMPARE(*paths, (QStringList{userOwn, expected[0].Path, expected[1].Path}));
        const QStringList options{"--new-note", "--toggle-list"};
        const QStringList bindings{"'<Control><Alt>n'", "'<Control><Alt>l'"};
        for (int i = 0; i < 2; ++i) {
            const QString schema = KCustom + ':' + expected[i].Path;
            QCOMPARE(GSettingsGet(schema, QStringLiteral("binding")), bindings[i]);
            QVERIFY(GSettingsGet(schema, QStringLiteral("name")).startsWith(QStringLiteral("'Jotterbox")));
            const std::optional<QStringList> command =
                ParseGVariantStrings('[' + GSettingsGet(schema, QStringLiteral("command")) + ']');
            QVERIFY(command && command->size() == 1);
            QCOMPARE(Run(QStringLiteral("sh"), {"-c", "printf '%s\\n' " + command->first()}),
                     executable + '\n' + options[i]);
        }

        // Remembered in the settings file: the next start asks nothing.
        TUserInfo next(appDir.path() + '/');
        next.LoadSettings();
        QVERIFY(next.GnomeShortcutsOffered);
        QVERIFY(!OfferGnomeShortcutsOnce(next, executable));
        QCOMPARE(dialogs.Questions.size(), 1);

        // Added again (the program folder moved), each is there once, with
        // the new path.
        QString error;
        QVERIFY2(AddGnomeShortcuts(JotterboxShortcuts(QStringLiteral("/moved/Jotterbox")), &error),
                 qPrintable(error));
        QCOMPARE(ParseGVariantStrings(GSettingsGet(KMediaKeys, QStringLiteral("custom-keybindings"))), paths);
        QCOMPARE(GSettingsGet(KCustom + ':' + expected[0].Path, QStringLiteral("command")),
                 QStringLiteral("'/moved/Jotterbox --new-note'"));
    }

    void gnomeShortcutsDeclinedLeaveNothing()
    {
        int exitCode = 0;
        Run(QStringLiteral("gsettings"), {QStringLiteral("list-keys"), KCustom + ":/x/"}, &exitCode);
        if (exitCode != 0)
            QSKIP("GNOME's media-keys schema is not installed (Debian: gnome-settings-daemon-common)");
        Run(QStringLiteral("gsettings"), {"reset-recursively", KMediaKeys});
        const QString keyFile = FDir.filePath(QStringLiteral("config/glib-2.0/settings/keyfile"));
        QFile::remove(keyFile);

        QTemporaryDir appDir;
        TScriptedDialogs dialogs;
        dialogs.Answers = {false};
        TUserInfo info(appDir.path() + '/');
        QVERIFY(!OfferGnomeShortcutsOnce(info, QStringLiteral("/opt/jb/Jotterbox")));
        QCOMPARE(dialogs.Questions.size(), 1);
        QVERIFY(!QFile::exists(keyFile));
        QCOMPARE(GSettingsGet(KMediaKeys, QStringLiteral("custom-keybindings")), QStringLiteral("@as []"));

        TUserInfo next(appDir.path() + '/');
        next.LoadSettings();
        QVERIFY(next.GnomeShortcutsOffered);
        dialogs.Answers = {true};
        QVERIFY(!OfferGnomeShortcutsOnce(next, QStringLiteral("/opt/jb/Jotterbox")));
        QCOMPARE(dialogs.Questions.size(), 1);
        QVERIFY(!QFile::exists(keyFile));
    }
};

QTEST_MAIN(TestWaylandKeys)
#include "tst_waylandkeys.moc"
