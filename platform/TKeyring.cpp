#include "platform/TKeyring.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace {
const QString KService = QStringLiteral("Jotterbox");

// The session bus as the keyring library finds it: the address the
// session names, else the per-user socket. Empty when there is none: no
// call then, so the library does not try to launch a bus of its own (it
// would, through X11, where a display is set).
QString SessionBusAddress()
{
    const QString named = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!named.isEmpty())
        return named;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString socket = runtime + QStringLiteral("/bus");
    if (!runtime.isEmpty() && QFileInfo(socket).exists())
        return QStringLiteral("unix:path=") + socket;
    return {};
}

// Whether anything on the session bus keeps secrets, or would be started
// to. Asked only after a call failed, to tell a missing keyring from a
// failing one; on a connection of its own, so no earlier answer is reused.
bool KeyringOnBus(const QString &address)
{
    const QString name = QStringLiteral("jbx-keyring-check");
    bool there = false;
    {
        const QDBusConnection bus = QDBusConnection::connectToBus(address, name);
        QDBusConnectionInterface *names = bus.isConnected() ? bus.interface() : nullptr;
        const QStringList keepers{QStringLiteral("org.freedesktop.secrets"),
                                  QStringLiteral("org.kde.kwalletd5"), QStringLiteral("org.kde.kwalletd6")};
        if (names) {
            const QStringList startable = names->activatableServiceNames().value();
            for (const QString &keeper : keepers)
                there = there || startable.contains(keeper) || names->isServiceRegistered(keeper).value();
        }
    }
    QDBusConnection::disconnectFromBus(name);
    return there;
}

// The callback's guard: no context, or a context still there.
struct TAnswerTo {
    explicit TAnswerTo(QObject *context) : Guarded(context != nullptr), Context(context) {}
    bool Alive() const { return !Guarded || Context; }
    bool Guarded;
    QPointer<QObject> Context;
};
} // namespace

TKeyring::TKeyring(QObject *parent) : QObject(parent) {}

QString TKeyring::Key(const QString &user, const QString &url) { return user + u'@' + url; }

QString TKeyring::NoKeyringError() const
{
    return tr("No keyring is running on this desktop to keep the password. Set a password command "
              "instead: a command that prints the password.");
}

namespace {
// The job's failure in plain words; `missing` is the keyring's own words
// when no keyring is there.
QString JobError(const QKeychain::Job &job, const QString &missing)
{
    switch (job.error()) {
    case QKeychain::NoError: return {};
    case QKeychain::EntryNotFound:
        return TKeyring::tr("No password is stored in the keyring for %1.").arg(job.key());
    case QKeychain::AccessDeniedByUser:
    case QKeychain::AccessDenied:
        return TKeyring::tr(
            "The keyring did not give out the password: it is locked, or access was refused.");
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented: return missing;
    default: break;
    }
    if (!KeyringOnBus(SessionBusAddress()))
        return missing;
    return TKeyring::tr("The keyring failed: %1").arg(job.errorString());
}

void Start(QKeychain::Job *job, const QString &key)
{
    job->setAutoDelete(true);
    job->setInsecureFallback(false); // never a plain file instead
    job->setKey(key);
    job->start();
}
} // namespace

bool TKeyring::Unreachable(const std::function<void(const QString &)> &fail)
{
    if (!SessionBusAddress().isEmpty())
        return false;
    QTimer::singleShot(0, this, [fail, error = NoKeyringError()] { fail(error); });
    return true;
}

void TKeyring::Read(const QString &key, QObject *context, TReadDone done)
{
    const TAnswerTo answer(context);
    if (Unreachable([answer, done](const QString &error) {
            if (answer.Alive())
                done(false, QString(), error);
        }))
        return;
    auto *job = new QKeychain::ReadPasswordJob(KService, this);
    connect(job, &QKeychain::Job::finished, this, [this, answer, done, job] {
        if (!answer.Alive())
            return;
        if (job->error() == QKeychain::NoError)
            done(true, job->textData(), QString());
        else
            done(false, QString(), JobError(*job, NoKeyringError()));
    });
    Start(job, key);
}

void TKeyring::Write(const QString &key, const QString &password, QObject *context, TWriteDone done)
{
    const TAnswerTo answer(context);
    if (Unreachable([answer, done](const QString &error) {
            if (answer.Alive() && done)
                done(false, error);
        }))
        return;
    auto *job = new QKeychain::WritePasswordJob(KService, this);
    job->setTextData(password);
    connect(job, &QKeychain::Job::finished, this, [this, answer, done, job] {
        if (answer.Alive() && done)
            done(job->error() == QKeychain::NoError, JobError(*job, NoKeyringError()));
    });
    Start(job, key);
}

void TKeyring::Remove(const QString &key, QObject *context, TWriteDone done)
{
    const TAnswerTo answer(context);
    if (Unreachable([answer, done](const QString &error) {
            if (answer.Alive() && done)
                done(false, error);
        }))
        return;
    auto *job = new QKeychain::DeletePasswordJob(KService, this);
    connect(job, &QKeychain::Job::finished, this, [this, answer, done, job] {
        if (!answer.Alive() || !done)
            return;
        const bool gone = job->error() == QKeychain::NoError || job->error() == QKeychain::EntryNotFound;
        done(gone, gone ? QString() : JobError(*job, NoKeyringError()));
    });
    Start(job, key);
}
