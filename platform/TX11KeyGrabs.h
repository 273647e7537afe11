#pragma once

#include <QByteArray>
#include <QString>
#include <Qt>
#include <vector>

// Keys grabbed on the X11 root window, with every CapsLock/NumLock variant,
// so their presses reach this program whichever window has the focus. Built
// from the xcb file where xcb is found, else from the file that grabs
// nothing: the build picks the file, and no code tests for xcb.
class TX11KeyGrabs {
public:
    TX11KeyGrabs() = default;
    TX11KeyGrabs(const TX11KeyGrabs &) = delete;
    TX11KeyGrabs &operator=(const TX11KeyGrabs &) = delete;

    // Takes the application's X connection; false, with why, when this
    // session has none.
    bool Open(QString *reason);
    bool Opened() const { return FConnection != nullptr; }

    // Grabs modifiers+key under id (> 0), dropping what id held before;
    // false with nothing left grabbed when the key cannot be had.
    bool Grab(int id, Qt::Key key, Qt::KeyboardModifiers modifiers);
    void Ungrab(int id); // 0: every key
    // The id whose key a native event presses, or 0.
    int PressedId(const QByteArray &eventType, void *message) const;

private:
    struct TGrab {
        int Id;
        quint32 KeyCode;
        quint16 Modifiers;
    };
    std::vector<TGrab> FGrabs;
    void *FConnection = nullptr; // xcb_connection_t
    quint32 FRoot = 0;
};
