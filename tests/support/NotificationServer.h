#pragma once

#include "support/PrivateBus.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <memory>

// A real desktop notification server for a test: Debian's dunst on the
// test's X display and a private session bus, with dbus-monitor recording
// every call made to it. A user's answers are given through dunst's own
// control program: a click on the notification, or an action picked from
// its menu (dunst hands the menu to a chooser program; here one of the
// test's that picks the line asked for).
class TNotificationServer {
public:
    ~TNotificationServer();

    // `withServer` false: only the bus, with no notification service on it.
    // Empty, or why not (dunst not installed, no bus).
    QString Start(const QProcessEnvironment &display, const QString &folder, bool withServer = true);
    QString BusAddress() const { return FBus.Address(); }

    // What the program said to the server so far, as dbus-monitor prints it.
    QString Calls();
    // How many notifications are on screen.
    int Displayed() const;
    // A click on the oldest notification shown: its default action.
    void Click() const;
    // Picks the action with this caption from the oldest notification's menu.
    void Choose(const QString &caption) const;

private:
    QString Control(const QStringList &arguments) const;

    TPrivateBus FBus;
    QProcessEnvironment FEnvironment;
    QString FChoiceFile;
    QProcess FDunst;
    QProcess FMonitor;
    QString FCalls;
};
