#include "platform/TKdeGlobalAccel.h"

#include "platform/HotKeyRoute.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QList>

namespace {
const QString KPath = QStringLiteral("/kglobalaccel");
const QString KInterface = QStringLiteral("org.kde.KGlobalAccel");
const QString KComponentInterface = QStringLiteral("org.kde.kglobalaccel.Component");

// The service's setShortcutKeys flags.
constexpr uint KSetPresent = 2; // the action is here now: its keys are live
constexpr uint KIsDefault = 8;  // the keys given are the action's default
constexpr int KCallTimeoutMs = 3000;

// A key sequence as the service sends it: up to four combined key codes,
// unused places 0.
struct TKeySequence {
    QList<int> Keys;
};
using TKeySequences = QList<TKeySequence>;

QDBusArgument &operator<<(QDBusArgument &argument, const TKeySequence &sequence)
{
    argument.beginStructure();
    argument.beginArray(qMetaTypeId<int>());
    for (int i = 0; i < 4; ++i)
        argument << (i < sequence.Keys.size() ? sequence.Keys[i] : 0);
    argument.endArray();
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, TKeySequence &sequence)
{
    sequence.Keys.clear();
    argument.beginStructure();
    argument.beginArray();
    while (!argument.atEnd()) {
        int key = 0;
        argument >> key;
        sequence.Keys << key;
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}
} // namespace

Q_DECLARE_METATYPE(TKeySequence)

namespace {
QDBusMessage Call(const QString &method, const QVariantList &arguments)
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(QLatin1String(KKdeGlobalAccelService), KPath, KInterface, method);
    message.setArguments(arguments);
    // A service that hangs must not hold up the start for D-Bus's 25 s.
    return QDBusConnection::sessionBus().call(message, QDBus::Block, KCallTimeoutMs);
}

QVariant Sequences(int keys) { return QVariant::fromValue(TKeySequences{TKeySequence{{keys}}}); }
} // namespace

TKdeGlobalAccel::TKdeGlobalAccel(const QString &component, const QString &componentName, QObject *parent)
    : QObject(parent), FComponent(component), FComponentName(componentName)
{
    qDBusRegisterMetaType<TKeySequence>();
    qDBusRegisterMetaType<TKeySequences>();
}

TKdeGlobalAccel::~TKdeGlobalAccel() { Deactivate(0); }

QStringList TKdeGlobalAccel::ActionId(const QString &name) const
{
    // Unique names first, then the ones shown to the user.
    return {FComponent, name, FComponentName, name};
}

bool TKdeGlobalAccel::Register(int id, const QString &name, QKeyCombination keys)
{
    if (id <= 0 || name.isEmpty())
        return false;
    Unregister(id);
    const int combined = keys.toCombined();
    for (const TAction &action : FActions)
        if (action.Keys == combined || action.Name == name)
            return false; // one press cannot mean two things

    const QStringList actionId = ActionId(name);
    if (Call(QStringLiteral("doRegister"), {actionId}).type() == QDBusMessage::ErrorMessage)
        return false;
    Call(QStringLiteral("setShortcutKeys"), {actionId, Sequences(combined), KIsDefault});
    // Present, with the service's stored keys winning over ours: what the
    // user set in the desktop's settings stays.
    const QDBusReply<TKeySequences> reply =
        Call(QStringLiteral("setShortcutKeys"), {actionId, Sequences(combined), KSetPresent});
    if (!reply.isValid()) {
        qWarning("TKdeGlobalAccel: registering %s failed: %s", qPrintable(name),
                 qPrintable(reply.error().message()));
        return false;
    }
    const TKeySequences live = reply.value();
    const bool hasKey = !live.isEmpty() && !live.first().Keys.isEmpty() && live.first().Keys.first() != 0;
    if (!hasKey || !Listen()) {
        Call(QStringLiteral("setInactive"), {actionId});
        return false;
    }
    FActions.push_back({id, name, combined});
    return true;
}

bool TKdeGlobalAccel::Listen()
{
    if (FListening)
        return true;
    const QDBusReply<QDBusObjectPath> path = Call(QStringLiteral("getComponent"), {FComponent});
    if (!path.isValid())
        return false;
    FListening = QDBusConnection::sessionBus().connect(
        QLatin1String(KKdeGlobalAccelService), path.value().path(), KComponentInterface,
        QStringLiteral("globalShortcutPressed"), this, SLOT(ShortcutPressed(QString, QString, qlonglong)));
    return FListening;
}

void TKdeGlobalAccel::ShortcutPressed(const QString &component, const QString &action, qlonglong timestamp)
{
    Q_UNUSED(timestamp);
    if (component != FComponent)
        return;
    for (const TAction &registered : FActions)
        if (registered.Name == action) {
            emit Pressed(registered.Id);
            return;
        }
}

void TKdeGlobalAccel::Unregister(int id)
{
    if (id > 0)
        Deactivate(id);
}

void TKdeGlobalAccel::UnregisterAll() { Deactivate(0); }

void TKdeGlobalAccel::Deactivate(int id)
{
    for (auto it = FActions.begin(); it != FActions.end();) {
        if (id != 0 && it->Id != id) {
            ++it;
            continue;
        }
        // Inactive, not forgotten: the desktop's settings keep showing the
        // action and the keys the user gave it.
        Call(QStringLiteral("setInactive"), {ActionId(it->Name)});
        it = FActions.erase(it);
    }
}
