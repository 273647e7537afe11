#pragma once

#include <QString>

// How the program's two global hot keys reach it in the session it runs in.
enum class THotKeyRoute {
    X11,            // grabbed on the X server (an X11 session, or no desktop at all)
    KdeService,     // registered with KDE's global shortcut service over D-Bus
    GnomeShortcuts, // custom shortcuts in GNOME's settings that run our commands
    None,           // nothing the program can do: the user binds the commands
};

// What decides the route: Qt's platform plugin, XDG_SESSION_TYPE,
// XDG_CURRENT_DESKTOP (a colon-separated list), and whether KDE's shortcut
// service is running on the session bus.
struct THotKeySession {
    QString Platform;
    QString SessionType;
    QString CurrentDesktop;
    bool KdeServiceOnBus = false;
};

// A compositor of a Wayland session hands keys only to the focused window,
// and over Xwayland an X grab sees only what goes to X windows: there the
// desktop's own shortcut machinery is the way. Anywhere else the X11 grab
// stays as it always was.
THotKeyRoute ChooseHotKeyRoute(const THotKeySession &session);

bool IsWaylandSession(const QString &platform, const QString &sessionType);

// The session this process runs in. The bus is asked about KDE's service
// only in a Wayland session, so an X11 start never connects to D-Bus.
THotKeySession CurrentHotKeySession();

// The D-Bus name of KDE's global shortcut service.
inline constexpr char KKdeGlobalAccelService[] = "org.kde.kglobalaccel";

// One line for the log telling the user which commands to bind to keys of
// their own, `executable` being the program's full path.
QString HotKeyCommandsHint(const QString &executable);
