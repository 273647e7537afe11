#pragma once

#include "support/PrivateBus.h"

#include <QProcess>
#include <QString>

// A keyring for tests: GNOME's keyring daemon as the Secret Service on a
// private D-Bus session of the test's own, its login keyring made in a
// folder of the test's and unlocked with a password given on its input.
// The bus knows no services to start, so nothing runs on it that the test
// did not start. Both processes end with this object.
class TSecretService {
public:
    ~TSecretService();

    // A private bus with nothing on it, this process's session bus from now
    // on: call before the first use of D-Bus here. Empty, or why not.
    QString StartBus(const QString &folder);
    // The keyring daemon on that bus, answering. Empty, or why not (the
    // test then skips).
    QString StartKeyring();
    QString BusAddress() const { return FBus.Address(); }

private:
    TPrivateBus FBus;
    QProcess FDaemon;
    QString FFolder;
};
