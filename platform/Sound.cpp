#include "platform/Sound.h"

#include "platform/AbruptEnd.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <cstdio>

namespace {
std::function<void(const QString &)> &Player()
{
    static std::function<void(const QString &)> player;
    return player;
}
} // namespace

void SetSoundPlayer(std::function<void(const QString &fileName)> player) { Player() = std::move(player); }

void PlaySoundAsync(const QString &fileName)
{
    if (Player()) {
        Player()(fileName);
        return;
    }
    const QFileInfo file(fileName);
    if (fileName.isEmpty() || !file.isFile() || !file.isReadable())
        return;
    using TPlay = void (*)(const QString &);
    static const TPlay play = [] {
        QLibrary library(QCoreApplication::applicationDirPath() + QStringLiteral("/jbxsound"));
        const auto function = reinterpret_cast<TPlay>(library.resolve("JbxPlaySound"));
        if (!function)
            std::fprintf(stderr, "Jotterbox: no sound: %s\n", qPrintable(library.errorString()));
        return function;
    }();
    // Without the player beside the program there is no sound, as with no
    // audio device.
    if (!play)
        return;
    play(file.absoluteFilePath());
    // The player's first sound set up its exit-time clean-up; an abrupt
    // end must come before it.
    static const bool armed = (ArmAbruptEnd(), true);
    Q_UNUSED(armed);
}
