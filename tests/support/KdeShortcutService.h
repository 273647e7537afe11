#pragma once

#include "support/PrivateBus.h"

#include <QProcess>
#include <QString>

// KDE's real global shortcut daemon (kglobalaccel5) on a private D-Bus
// session of the test's own. Start() points this process's session bus at
// it, so it must run before the first use of QtDBus here.
class TKdeShortcutService {
public:
    ~TKdeShortcutService(); // the daemon and the bus end with it

    // `folder` takes the daemon's settings. Empty, or why the service is not
    // there (the test then skips).
    QString Start(const QString &folder);
    QString BusAddress() const { return FBus.Address(); }
    // The daemon goes away; the bus stays.
    void StopDaemon();

    // A press of `action` of `component`, as the service reports one when
    // its keys are pressed. Empty, or the D-Bus error.
    static QString Invoke(const QString &component, const QString &action);

private:
    TPrivateBus FBus;
    QProcess FDaemon;
};
