#include "platform/HotKeyRoute.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QStringList>

namespace {
bool DesktopIs(const QString &currentDesktop, QLatin1String name)
{
    const QStringList desktops = currentDesktop.split(u':', Qt::SkipEmptyParts);
    for (const QString &desktop : desktops)
        if (desktop.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}
} // namespace

bool IsWaylandSession(const QString &platform, const QString &sessionType)
{
    return platform.startsWith(QLatin1String("wayland")) ||
           sessionType.compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0;
}

THotKeyRoute ChooseHotKeyRoute(const THotKeySession &session)
{
    if (!IsWaylandSession(session.Platform, session.SessionType))
        return THotKeyRoute::X11;
    // GNOME first: a KDE service someone started there grabs nothing the
    // compositor would hand it.
    if (DesktopIs(session.CurrentDesktop, QLatin1String("GNOME")))
        return THotKeyRoute::GnomeShortcuts;
    if (session.KdeServiceOnBus)
        return THotKeyRoute::KdeService;
    return THotKeyRoute::None;
}

THotKeySession CurrentHotKeySession()
{
    THotKeySession session;
    session.Platform = QGuiApplication::platformName();
    session.SessionType = qEnvironmentVariable("XDG_SESSION_TYPE");
    session.CurrentDesktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    if (IsWaylandSession(session.Platform, session.SessionType)) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        session.KdeServiceOnBus = bus.isConnected() && bus.interface() &&
                                  bus.interface()->isServiceRegistered(QLatin1String(KKdeGlobalAccelService));
    }
    return session;
}

QString HotKeyCommandsHint(const QString &executable)
{
    return QStringLiteral("to have hot keys, bind Ctrl+Alt+N to \"%1 --new-note\" and Ctrl+Alt+L to "
                          "\"%1 --toggle-list\" in the desktop's keyboard settings")
        .arg(executable);
}
