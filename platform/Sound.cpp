#include "platform/Sound.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

void PlaySoundAsync(const QString &fileName)
{
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
