#pragma once

#include <QObject>
#include <QString>
#include <functional>

// The sync password in the desktop's keyring (the Secret Service: GNOME's
// keyring, KeePassXC; KWallet on KDE), under the service "Jotterbox" and a
// key that names the account (Key()). Every call answers later, through
// its callback on this object's thread and never before it returns: a
// window must not wait for the keyring, which may be asking the user to
// unlock it. A callback whose `context` has gone meanwhile is dropped.
//
// Where there is no keyring (no session bus, or nothing on it that keeps
// secrets) the callback says so in plain words and points to the password
// command instead; the password is never written anywhere else.
class TKeyring : public QObject {
    Q_OBJECT

public:
    // ok false: `error` says why in plain words; an entry that is not
    // there is an error too.
    using TReadDone = std::function<void(bool ok, const QString &password, const QString &error)>;
    using TWriteDone = std::function<void(bool ok, const QString &error)>;

    explicit TKeyring(QObject *parent = nullptr);

    // The entry of one account: user + "@" + URL.
    static QString Key(const QString &user, const QString &url);

    void Read(const QString &key, QObject *context, TReadDone done);
    void Write(const QString &key, const QString &password, QObject *context, TWriteDone done);
    // Removing an entry that is not there succeeds.
    void Remove(const QString &key, QObject *context = nullptr, TWriteDone done = {});

private:
    QString NoKeyringError() const;
    // No session bus: `fail` gets the no-keyring error at the next pass of
    // the event loop, and true.
    bool Unreachable(const std::function<void(const QString &)> &fail);
};
