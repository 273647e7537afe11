#include "support/KdeShortcutService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QTest>

namespace {
const QString KService = QStringLiteral("org.kde.kglobalaccel");
} // namespace

TKdeShortcutService::~TKdeShortcutService() { TPrivateBus::Stop(FDaemon); } // the bus after it

QString TKdeShortcutService::Start(const QString &folder)
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("kglobalaccel5"));
    if (daemon.isEmpty())
        return QStringLiteral("kglobalaccel5 is not installed (Debian: libkf5globalaccel-bin)");
    const QString error = FBus.Start();
    if (!error.isEmpty())
        return error;

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), FBus.Address());
    // It needs no screen to take registrations and report presses.
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder + QStringLiteral("/data"));
    FDaemon.setProcessEnvironment(environment);
    FDaemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    FDaemon.start(daemon, {});

    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    if (!bus)
        return QStringLiteral("the private D-Bus session cannot be reached");
    const bool up = QTest::qWaitFor(
        [&] { return bus->isServiceRegistered(KService) || FDaemon.state() == QProcess::NotRunning; },
        TPrivateBus::WaitMs);
    if (!up || !bus->isServiceRegistered(KService))
        return QStringLiteral("kglobalaccel5 did not come up on the private bus");
    return {};
}

void TKdeShortcutService::StopDaemon() { TPrivateBus::Stop(FDaemon); }

QString TKdeShortcutService::Invoke(const QString &component, const QString &action)
{
    QDBusMessage find = QDBusMessage::createMethodCall(KService, QStringLiteral("/kglobalaccel"),
                                                       QStringLiteral("org.kde.KGlobalAccel"),
                                                       QStringLiteral("getComponent"));
    find.setArguments({component});
    const QDBusReply<QDBusObjectPath> path = QDBusConnection::sessionBus().call(find);
    if (!path.isValid())
        return path.error().message();
    QDBusMessage invoke = QDBusMessage::createMethodCall(KService, path.value().path(),
                                                         QStringLiteral("org.kde.kglobalaccel.Component"),
                                                         QStringLiteral("invokeShortcut"));
    invoke.setArguments({action, QStringLiteral("default")});
    const QDBusMessage reply = QDBusConnection::sessionBus().call(invoke);
    return reply.type() == QDBusMessage::ErrorMessage ? reply.errorMessage() : QString();
}
