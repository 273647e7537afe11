#include "platform/HotKeyRoute.h"
#include "platform/THotKeys.h"

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
// shortcut daemon on a bus of the test's own.
namespace {
constexpr int KWaitMs = 15000;
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
    QProcess FBus;
    QProcess FKde;
    QString FKdeProblem; // why the KDE cases skip, when they do

    void StartKdeService()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("kglobalaccel5"));
        if (daemon.isEmpty()) {
            FKdeProblem = QStringLiteral("kglobalaccel5 is not installed (Debian: libkf5globalaccel-bin)");
            return;
        }
        // A session bus of our own: QtDBus reads the address on first use,
        // which is after this.
        FBus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                    QStringLiteral("--print-address=1")});
        QByteArray address;
        while (!address.contains('\n') && FBus.waitForReadyRead(KWaitMs))
            address += FBus.readAllStandardOutput();
        if (!address.contains('\n')) {
            FKdeProblem = QStringLiteral("no private D-Bus session: %1").arg(FBus.errorString());
            return;
        }
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.trimmed());

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), FDir.filePath(QStringLiteral("kde-config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), FDir.filePath(QStringLiteral("kde-data")));
        FKde.setProcessEnvironment(environment);
        FKde.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FKde.start(daemon, {});
        QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
        QTRY_VERIFY_WITH_TIMEOUT(!bus || bus->isServiceRegistered(QLatin1String(KKdeGlobalAccelService)) ||
                                     FKde.state() == QProcess::NotRunning,
                                 KWaitMs);
        if (!bus || !bus->isServiceRegistered(QLatin1String(KKdeGlobalAccelService)))
            FKdeProblem = QStringLiteral("kglobalaccel5 did not come up on the private bus");
    }

    static void StopProcess(QProcess &process)
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(KWaitMs)) {
            process.kill();
            process.waitForFinished();
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FDir.isValid());
        StartKdeService();
    }

    void cleanupTestCase()
    {
        StopProcess(FKde);
        StopProcess(FBus);
    }

    void routeFollowsTheSession_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("sessionType");
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<bool>("kdeOnBus");
        QTest::addColumn<THotKeyRoute>("route");
        using R = THotKeyRoute;
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

        const QDBusReply<QDBusObjectPath> component =
            CallKde(path, iface, QStringLiteral("getComponent"), {QStringLiteral("jotterbox")});
        QVERIFY2(component.isValid(), qPrintable(component.error().message()));
        const auto invoke = [&](const QString &action) {
            const QDBusMessage reply = CallKde(component.value().path(), QStringLiteral("org.kde.kglobalaccel.Component"),
                                               QStringLiteral("invokeShortcut"), {action, QStringLiteral("default")});
            QVERIFY2(reply.type() != QDBusMessage::ErrorMessage, qPrintable(reply.errorMessage()));
        };
        invoke(QStringLiteral("Show or hide the list"));
        QTRY_COMPARE_WITH_TIMEOUT(pressed.size(), 1, KWaitMs);
        QCOMPARE(pressed.takeFirst().value(0).toInt(), 2);
        invoke(QStringLiteral("New note"));
        QTRY_COMPARE_WITH_TIMEOUT(pressed.size(), 1, KWaitMs);
        QCOMPARE(pressed.takeFirst().value(0).toInt(), 1);
        // Another program's action is none of ours.
        const QDBusReply<QDBusObjectPath> other =
            CallKde(path, iface, QStringLiteral("getComponent"), {QStringLiteral("other")});
        CallKde(other.value().path(), QStringLiteral("org.kde.kglobalaccel.Component"),
                QStringLiteral("invokeShortcut"), {QStringLiteral("Take K"), QStringLiteral("default")});

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
            StopProcess(FKde); // the service is gone: nothing to register with
        THotKeys hotKeys;
        QCOMPARE(hotKeys.Route(), THotKeyRoute::None);
        QVERIFY(!hotKeys.Available());
        QVERIFY(!hotKeys.Register(1, Qt::Key_N, Qt::ControlModifier | Qt::AltModifier, QStringLiteral("New note")));
        QVERIFY(!hotKeys.UnavailableReason().isEmpty());
        const QString hint = HotKeyCommandsHint(QStringLiteral("/opt/jb/Jotterbox"));
        QVERIFY2(hint.contains(QStringLiteral("\"/opt/jb/Jotterbox --new-note\"")) &&
                     hint.contains(QStringLiteral("\"/opt/jb/Jotterbox --toggle-list\"")),
                 qPrintable(hint));
    }
};

QTEST_MAIN(TestWaylandKeys)
#include "tst_waylandkeys.moc"
