#include "platform/Sound.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

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
    // Made on first use: the audio stack costs start-up time nobody needs
    // until a reminder fires. It lives until the program ends.
    static QSoundEffect *effect = new QSoundEffect;
    const QUrl source = QUrl::fromLocalFile(file.absoluteFilePath());
    effect->stop();
    if (effect->source() != source)
        effect->setSource(source);
    // Plays as soon as the file is loaded; never waited for, since with no
    // audio device the end of the sound is never reported.
    effect->play();
}
