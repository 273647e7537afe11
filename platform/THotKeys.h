#pragma once

#include "platform/HotKeyRoute.h"
#include "platform/TX11KeyGrabs.h"

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QString>
#include <Qt>

class TKdeGlobalAccel;

// System-wide hot keys. On X11 each key is grabbed on the root window (with
// every CapsLock/NumLock variant) and its presses arrive as Pressed(id). In
// a Wayland session with KDE's shortcut service the keys are registered
// there instead. Elsewhere (offscreen, other Wayland desktops) hot keys are
// unavailable and Register fails without side effects.
class THotKeys : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit THotKeys(QObject *parent = nullptr);
    ~THotKeys() override; // releases every key still registered

    // Whether this session can have global hot keys at all, and if not, why
    // (one line fit for the log).
    bool Available() const;
    QString UnavailableReason() const;
    // The way keys reach the program in this session; GnomeShortcuts and
    // None leave Available() false.
    THotKeyRoute Route() const { return FRoute; }

    // Grabs modifiers+key under id (> 0), dropping what id held before.
    // False when unavailable, when the keyboard has no such key, when the
    // combination is ours under another id, or when another program holds
    // it; nothing stays grabbed then. `name` is what the desktop's shortcut
    // settings call the action, where it has such settings.
    bool Register(int id, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString &name = QString());
    void Unregister(int id);
    void UnregisterAll();

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    void Pressed(int id);

private:
    TX11KeyGrabs FX11; // opened only on the X11 route
    QString FReason;
    THotKeyRoute FRoute = THotKeyRoute::X11;
    TKdeGlobalAccel *FKde = nullptr;

    void Ungrab(int id); // 0: every key
};
