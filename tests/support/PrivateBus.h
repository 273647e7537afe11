#pragma once

#include <QProcess>
#include <QString>

// A D-Bus session of a test's own: dbus-daemon, started by Start() and
// ended with this object. Start() makes it this process's session bus, so
// it must run before the first use of QtDBus here; the services under test
// are started on it by the caller.
class TPrivateBus {
public:
    ~TPrivateBus();

    // `configFile`: the bus's configuration; empty, the system's standard
    // session bus. Empty, or why there is no bus.
    QString Start(const QString &configFile = {});
    QString Address() const { return FAddress; }

    // Ends a helper process of a test: asked first, killed when it does not
    // go within the bus's wait.
    static void Stop(QProcess &process);
    // How long a test waits for a bus or a service on it to come up.
    static constexpr int WaitMs = 15000;

private:
    QProcess FBus;
    QString FAddress;
};
