#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <sys/types.h>

// A private Wayland session for tests: GNOME's compositor (mutter) run
// headless on a virtual monitor, on a D-Bus session of its own, with its
// Xwayland display. It lives in a runtime folder of its own; the destructor
// ends exactly the processes started here.
class TWaylandSession {
public:
    TWaylandSession() = default;
    ~TWaylandSession();
    TWaylandSession(const TWaylandSession &) = delete;
    TWaylandSession &operator=(const TWaylandSession &) = delete;

    // Starts the compositor and waits until its X display answers. On
    // failure nothing stays running and *error says why.
    bool Start(QString *error);

    QString XDisplay() const { return FXDisplay; }           // ":1"
    QString XAuthority() const { return FXAuthority; }       // the Xwayland cookie file
    QString WaylandSocket() const { return FWaylandSocket; } // a full path
    // This process's environment as a program in that session sees it: a
    // Wayland session with an X display, no Qt platform chosen.
    QProcessEnvironment Environment() const;

private:
    std::unique_ptr<QTemporaryDir> FRuntime;
    pid_t FGroup = -1; // dbus-run-session, the D-Bus daemon, mutter and Xwayland
    QString FXDisplay, FXAuthority, FWaylandSocket;

    void Stop();
};
