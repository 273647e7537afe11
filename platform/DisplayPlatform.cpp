#include "platform/DisplayPlatform.h"

#include <QGuiApplication>

TDisplayEnvironment TDisplayEnvironment::Current()
{
    return {qEnvironmentVariable("QT_QPA_PLATFORM"), qEnvironmentVariable("XDG_SESSION_TYPE"),
            qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("DISPLAY")};
}

QString ChosenDisplayPlatform(const TDisplayEnvironment &environment)
{
    if (!environment.QtPlatform.trimmed().isEmpty() || environment.Display.trimmed().isEmpty())
        return {};
    const bool wayland = environment.SessionType.trimmed().compare(u"wayland", Qt::CaseInsensitive) == 0 ||
                         !environment.WaylandDisplay.trimmed().isEmpty();
    return wayland ? QStringLiteral("xcb;wayland") : QString();
}

TChosenDisplayPlatform::TChosenDisplayPlatform()
{
    const QString platform = ChosenDisplayPlatform(TDisplayEnvironment::Current());
    FSet = !platform.isEmpty();
    if (FSet)
        qputenv("QT_QPA_PLATFORM", platform.toLocal8Bit());
    // On X11 a repaint through shared memory waits for the server's word
    // that it has read the pixels: a reply, and a second wake-up each time
    // the toolbar's clock turns a minute. The windows are small, so their
    // pixels cost less down the socket than that wait does.
    FNoSharedMemorySet = !qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM");
    if (FNoSharedMemorySet)
        qputenv("QT_XCB_NO_MITSHM", "1");
}

TChosenDisplayPlatform::~TChosenDisplayPlatform()
{
    if (FSet)
        qunsetenv("QT_QPA_PLATFORM");
    if (FNoSharedMemorySet)
        qunsetenv("QT_XCB_NO_MITSHM");
}

bool PlacesKnownOn(QStringView platformName)
{
    return !platformName.startsWith(u"wayland", Qt::CaseInsensitive);
}

namespace {
std::function<bool()> &PlacesKnownFunction()
{
    static std::function<bool()> function;
    return function;
}
} // namespace

bool WindowPlacesKnown()
{
    if (const auto &function = PlacesKnownFunction())
        return function();
    return PlacesKnownOn(QGuiApplication::platformName());
}

void SetWindowPlacesKnownFunction(std::function<bool()> function)
{
    PlacesKnownFunction() = std::move(function);
}
