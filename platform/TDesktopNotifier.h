#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <utility>

class QDBusPendingCallWatcher;

// Desktop notifications through the freedesktop notification service on
// the session bus. The caller names each notification by a key of its own;
// the answers (an action chosen, the notification gone) come back with it.
// Nothing waits for the service: a call that fails, because no service runs
// or none can be started, is told by Failed.
class TDesktopNotifier : public QObject {
    Q_OBJECT

public:
    // An action's key as the service reports it, and its caption.
    using TAction = std::pair<QString, QString>;
    // The key of the action a click on the notification itself invokes.
    static QString DefaultAction() { return QStringLiteral("default"); }

    explicit TDesktopNotifier(QObject *parent = nullptr);

    // Whether a session bus is there to ask at all; without one nothing is
    // sent (asking would make the bus library start one of its own).
    static bool BusThere();

    // Shows (or replaces) the notification `key`; it stays until the user
    // answers it. False when there is no bus to send it on.
    bool Notify(quint64 key, const QString &appName, const QString &summary, const QString &body,
                const QList<TAction> &actions, const QString &icon = {});
    // Takes the notification `key` off the screen, if it is there.
    void Close(quint64 key);
    bool Showing(quint64 key) const;

signals:
    void ActionInvoked(quint64 key, const QString &action);
    // The user dismissed it, or it was taken away: no action will come.
    void Closed(quint64 key);
    // The service could not show it.
    void Failed(quint64 key, const QString &reason);

private slots:
    void OnActionInvoked(uint id, const QString &action);
    void OnClosed(uint id, uint reason);

private:
    void Connect();
    void Answered(quint64 key, QDBusPendingCallWatcher *call);

    bool FConnected = false;
    QHash<uint, quint64> FKeys; // the service's id -> the caller's key, while shown
    // Every id this session was given: some services report the closing
    // ahead of the action that closed it.
    QHash<uint, quint64> FAnswerable;
};
