#include "support/SecretService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

namespace {
// A session bus that starts nothing by itself.
const char *const KBusConfig =
    R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

bool SecretsOnBus(const QString &address)
{
    const QString name = QStringLiteral("jbx-test-secrets");
    bool there = false;
    {
        const QDBusConnection bus = QDBusConnection::connectToBus(address, name);
        if (bus.isConnected())
            there = bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")).value();
    }
    QDBusConnection::disconnectFromBus(name);
    return there;
}
} // namespace

TSecretService::~TSecretService() { TPrivateBus::Stop(FDaemon); } // the bus after it

QString TSecretService::StartBus(const QString &folder)
{
    FFolder = folder;
    QFile config(folder + QStringLiteral("/bus.conf"));
    if (!config.open(QIODevice::WriteOnly) || config.write(KBusConfig) < 0)
        return QStringLiteral("cannot write %1").arg(config.fileName());
    config.close();
    return FBus.Start(config.fileName());
}

QString TSecretService::StartKeyring()
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("gnome-keyring-daemon"));
    if (daemon.isEmpty())
        return QStringLiteral("gnome-keyring-daemon is not installed (Debian: gnome-keyring)");
    const QString runtime = FFolder + QStringLiteral("/run");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), FBus.Address());
    environment.insert(QStringLiteral("HOME"), FFolder);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), FFolder + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), FFolder + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.remove(QStringLiteral("DISPLAY")); // no prompts: the keyring is unlocked already
    FDaemon.setProcessEnvironment(environment);
    FDaemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The login keyring, made with this password and unlocked by it.
    FDaemon.start(daemon, {QStringLiteral("--foreground"), QStringLiteral("--unlock"),
                           QStringLiteral("--components=secrets")});
    if (!FDaemon.waitForStarted(TPrivateBus::WaitMs))
        return QStringLiteral("gnome-keyring-daemon did not start: %1").arg(FDaemon.errorString());
    FDaemon.write("test-keyring-password");
    FDaemon.closeWriteChannel();
    const bool up = QTest::qWaitFor(
        [this] { return SecretsOnBus(FBus.Address()) || FDaemon.state() == QProcess::NotRunning; },
        TPrivateBus::WaitMs);
    if (!up || FDaemon.state() == QProcess::NotRunning)
        return QStringLiteral("gnome-keyring-daemon did not come up on the private bus");
    return {};
}
