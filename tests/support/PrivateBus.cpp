#include "support/PrivateBus.h"

TPrivateBus::~TPrivateBus() { Stop(FBus); }

void TPrivateBus::Stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(WaitMs)) {
        process.kill();
        process.waitForFinished();
    }
}

QString TPrivateBus::Start(const QString &configFile)
{
    const QString config =
        configFile.isEmpty() ? QStringLiteral("--session") : QStringLiteral("--config-file=") + configFile;
    FBus.start(QStringLiteral("dbus-daemon"),
               {config, QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    QByteArray address;
    while (!address.contains('\n') && FBus.waitForReadyRead(WaitMs))
        address += FBus.readAllStandardOutput();
    if (!address.contains('\n'))
        return QStringLiteral("no private D-Bus session: %1").arg(FBus.errorString());
    FAddress = QString::fromUtf8(address.trimmed());
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.trimmed());
    return {};
}
