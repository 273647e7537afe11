#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QString>
#include <Qt>
#include <vector>

// System-wide hot keys. On X11 each key is grabbed on the root window (with
// every CapsLock/NumLock variant) and its presses arrive as Pressed(id).
// Elsewhere (offscreen, Wayland) hot keys are unavailable and Register
// fails without side effects.
class THotKeys : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit THotKeys(QObject *parent = nullptr);
    ~THotKeys() override; // releases every key still registered

    // Whether this session can have global hot keys at all, and if not, why
    // (one line fit for the log).
    bool Available() const;
    QString UnavailableReason() const;

    // Grabs modifiers+key under id (> 0), dropping what id held before.
    // False when unavailable, when the keyboard has no such key, when the
    // combination is ours under another id, or when another program holds
    // it; nothing stays grabbed then.
    bool Register(int id, Qt::Key key, Qt::KeyboardModifiers modifiers);
    void Unregister(int id);
    void UnregisterAll();

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    void Pressed(int id);

private:
    struct TGrab {
        int Id;
        quint32 KeyCode;
        quint16 Modifiers;
    };
    std::vector<TGrab> FGrabs;
    void *FConnection = nullptr; // xcb_connection_t, or null when unavailable
    quint32 FRoot = 0;
    QString FReason;

    void Ungrab(int id); // 0: every key
};
