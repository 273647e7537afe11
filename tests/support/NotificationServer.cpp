#include "support/NotificationServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

namespace {
bool WriteFile(const QString &path, const QByteArray &bytes, QFile::Permissions permissions = {})
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return false;
    file.close();
    return permissions == QFile::Permissions() || file.setPermissions(permissions);
}
} // namespace

TNotificationServer::~TNotificationServer()
{
    TPrivateBus::Stop(FDunst);
    TPrivateBus::Stop(FMonitor);
}

QString TNotificationServer::Start(const QProcessEnvironment &display, const QString &folder, bool withServer)
{
    if (QStandardPaths::findExecutable(QStringLiteral("dunst")).isEmpty())
        return QStringLiteral("dunst is not installed");
    if (const QString why = FBus.Start(); !why.isEmpty())
        return why;
    FEnvironment = display;
    FEnvironment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), FBus.Address());

    // Everything said on the notification interface, from the start.
    FMonitor.setProcessEnvironment(FEnvironment);
    FMonitor.start(QStringLiteral("dbus-monitor"),
                   {QStringLiteral("--address"), FBus.Address(),
                    QStringLiteral("interface='org.freedesktop.Notifications'")});
    if (!FMonitor.waitForStarted())
        return QStringLiteral("dbus-monitor did not start: %1").arg(FMonitor.errorString());
    if (!withServer)
        return {};

    // The menu chooser dunst runs: it answers with the first line holding
    // the caption the test asked for.
    FChoiceFile = folder + QStringLiteral("/dunst-choice");
    const QString chooser = folder + QStringLiteral("/dunst-chooser");
    const QString config = folder + QStringLiteral("/dunstrc");
    const QByteArray script =
        "#!/bin/sh\nexec grep -m1 -F -- \"$(cat '" + FChoiceFile.toLocal8Bit() + "')\"\n";
    if (!WriteFile(chooser, script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) ||
        !WriteFile(config, "[global]\n    dmenu = " + chooser.toLocal8Bit() + "\n"))
        return QStringLiteral("could not write dunst's files in %1").arg(folder);
    FDunst.setProcessEnvironment(FEnvironment);
    FDunst.setProcessChannelMode(QProcess::MergedChannels);
    FDunst.start(QStringLiteral("dunst"), {QStringLiteral("-config"), config});
    if (!FDunst.waitForStarted())
        return QStringLiteral("dunst did not start: %1").arg(FDunst.errorString());
    // Up once it answers on the bus.
    const QDeadlineTimer deadline(TPrivateBus::WaitMs);
    while (!deadline.hasExpired()) {
        if (Control({QStringLiteral("is-paused")}).startsWith(QLatin1String("false")))
            return {};
        if (FDunst.state() == QProcess::NotRunning)
            break;
        QThread::msleep(50);
    }
    return QStringLiteral("dunst did not come up: %1").arg(QString::fromLocal8Bit(FDunst.readAll()));
}

QString TNotificationServer::Calls()
{
    FCalls += QString::fromUtf8(FMonitor.readAllStandardOutput());
    return FCalls;
}

QString TNotificationServer::Control(const QStringList &arguments) const
{
    QProcess control;
    control.setProcessEnvironment(FEnvironment);
    control.start(QStringLiteral("dunstctl"), arguments);
    control.waitForFinished(TPrivateBus::WaitMs);
    return QString::fromLocal8Bit(control.readAllStandardOutput()).trimmed();
}

int TNotificationServer::Displayed() const
{
    bool ok = false;
    const int count = Control({QStringLiteral("count"), QStringLiteral("displayed")}).toInt(&ok);
    return ok ? count : -1;
}

void TNotificationServer::Click() const { Control({QStringLiteral("action")}); }

void TNotificationServer::Choose(const QString &caption) const
{
    WriteFile(FChoiceFile, caption.toUtf8());
    Control({QStringLiteral("context")});
}
