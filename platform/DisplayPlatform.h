#pragma once

#include <QString>
#include <QStringView>
#include <functional>

// What the session tells about its displays, as the environment holds it.
struct TDisplayEnvironment {
    QString QtPlatform;     // QT_QPA_PLATFORM: the user's own choice
    QString SessionType;    // XDG_SESSION_TYPE: "wayland", "x11", ...
    QString WaylandDisplay; // WAYLAND_DISPLAY
    QString Display;        // DISPLAY: an X display, Xwayland's in a Wayland session

    static TDisplayEnvironment Current();
};

// The Qt platform to start on, or empty to leave the choice to Qt. A
// Wayland session with an X display runs the program on that X display:
// there windows open at their stored places and move as the user left
// them, where the Wayland platform lets the compositor place every window.
// The Wayland platform stays the fallback should that display fail. A
// platform the user set is never overridden.
QString ChosenDisplayPlatform(const TDisplayEnvironment &environment);

// While it lives, the application object made meanwhile starts on the
// chosen platform, and on X11 paints without shared memory. The choice is
// for this process alone: programs it starts later (a browser, the
// restarter) see the environment as it was.
class TChosenDisplayPlatform {
public:
    TChosenDisplayPlatform();
    ~TChosenDisplayPlatform();
    TChosenDisplayPlatform(const TChosenDisplayPlatform &) = delete;
    TChosenDisplayPlatform &operator=(const TChosenDisplayPlatform &) = delete;

private:
    bool FSet = false;
    bool FNoSharedMemorySet = false;
};

// Whether a program on this Qt platform learns where its windows stand. On
// Wayland it does not: Qt reports (0, 0) or the place it asked for, never
// the one the compositor chose.
bool PlacesKnownOn(QStringView platformName);

// For the running application: places a window reports may be stored only
// when this holds, so a run on Wayland leaves every stored place as it was.
bool WindowPlacesKnown();
// Tests stand in for the platform; an empty function asks the platform again.
void SetWindowPlacesKnownFunction(std::function<bool()> function);
