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
constexpr int KWaitMs = 15000;
const QString KService = QStringLiteral("org.kde.kglobalaccel");

void Stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(KWaitMs)) {
        process.kill();
        process.waitForFinished();
    }
}
} // namespace

TKdeShortcutService::~TKdeShortcutService()
{
    Stop(FDaemon);
    Stop(FBus);
}

QString TKdeShortcutService::Start(const QString &folder)
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("kglobalaccel5"));
    if (daemon.isEmpty())
        return QStringLiteral("kglobalaccel5 is not installed (Debian: libkf5globalaccel-bin)");
    FBus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                               QStringLiteral("--print-address=1")});
    QByteArray address;
    while (!address.contains('\n') && FBus.waitForReadyRead(KWaitMs))
        address += FBus.readAllStandardOutput();
    if (!address.contains('\n'))
        return QStringLiteral("no private D-Bus session: %1").arg(FBus.errorString());
    FAddress = QString::fromUtf8(address.trimmed());
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.trimmed());

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), FAddress);
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
        KWaitMs);
    if (!up || !bus->isServiceRegistered(KService))
        return QStringLiteral("kglobalaccel5 did not come up on the private bus");
    return {};
}

void TKdeShortcutService::StopDaemon() { Stop(FDaemon); }

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
