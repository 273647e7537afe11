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
}

TChosenDisplayPlatform::~TChosenDisplayPlatform()
{
    if (FSet)
        qunsetenv("QT_QPA_PLATFORM");
}

bool PlacesKnownOn(QStringView platformName) { return !platformName.startsWith(u"wayland", Qt::CaseInsensitive); }

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

void SetWindowPlacesKnownFunction(std::function<bool()> function) { PlacesKnownFunction() = std::move(function); }
