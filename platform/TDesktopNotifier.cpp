#include "platform/TDesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QVariantMap>

namespace {
const QString KService = QStringLiteral("org.freedesktop.Notifications");
const QString KPath = QStringLiteral("/org/freedesktop/Notifications");
const QString KInterface = QStringLiteral("org.freedesktop.Notifications");
// Never expires: a reminder waits for its answer.
constexpr int KNeverExpires = 0;
} // namespace

TDesktopNotifier::TDesktopNotifier(QObject *parent) : QObject(parent) {}

bool TDesktopNotifier::BusThere()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

void TDesktopNotifier::Connect()
{
    if (FConnected)
        return;
    FConnected = true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(KService, KPath, KInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(OnActionInvoked(uint, QString)));
    bus.connect(KService, KPath, KInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(OnClosed(uint, uint)));
}

bool TDesktopNotifier::Notify(quint64 key, const QString &appName, const QString &summary,
                              const QString &body, const QList<TAction> &actions, const QString &icon)
{
    if (!BusThere() || !QDBusConnection::sessionBus().isConnected())
        return false;
    Connect();
    QStringList pairs;
    for (const auto &[name, caption] : actions)
        pairs << name << caption;
    const uint replaces = FKeys.key(key, 0);
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(1)));
    hints.insert(QStringLiteral("category"), QStringLiteral("x-jotterbox.reminder"));
    QDBusMessage call = QDBusMessage::createMethodCall(KService, KPath, KInterface, QStringLiteral("Notify"));
    call << appName << replaces << icon << summary << body << pairs << hints << KNeverExpires;
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, key](QDBusPendingCallWatcher *done) { Answered(key, done); });
    return true;
}

void TDesktopNotifier::Answered(quint64 key, QDBusPendingCallWatcher *call)
{
    call->deleteLater();
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError()) {
        emit Failed(key, reply.error().message());
        return;
    }
    // A replaced notification keeps its id; a new one takes the key over.
    FKeys.remove(FKeys.key(key, 0));
    FKeys.insert(reply.value(), key);
    FAnswerable.insert(reply.value(), key);
}

void TDesktopNotifier::Close(quint64 key)
{
    const uint id = FKeys.key(key, 0);
    if (id == 0)
        return;
    FKeys.remove(id);
    QDBusMessage call =
        QDBusMessage::createMethodCall(KService, KPath, KInterface, QStringLiteral("CloseNotification"));
    call << id;
    QDBusConnection::sessionBus().asyncCall(call);
}

bool TDesktopNotifier::Showing(quint64 key) const { return FKeys.key(key, 0) != 0; }

void TDesktopNotifier::OnActionInvoked(uint id, const QString &action)
{
    const auto found = FAnswerable.constFind(id);
    if (found != FAnswerable.cend())
        emit ActionInvoked(*found, action);
}

void TDesktopNotifier::OnClosed(uint id, uint)
{
    const auto found = FKeys.constFind(id);
    if (found == FKeys.cend())
        return;
    const quint64 key = *found;
    FKeys.erase(found);
    emit Closed(key);
}
