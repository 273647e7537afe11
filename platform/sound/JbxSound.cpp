// The sound player, loaded only when the first sound plays: the audio
// libraries would otherwise cost every start of the program time and
// memory for a sound that may never come.

#include <QSoundEffect>
#include <QString>
#include <QUrl>

extern "C" Q_DECL_EXPORT void JbxPlaySound(const QString &fileName)
{
    // Lives until the program ends.
    static QSoundEffect *effect = new QSoundEffect;
    const QUrl source = QUrl::fromLocalFile(fileName);
    effect->stop();
    if (effect->source() != source)
        effect->setSource(source);
    // Plays as soon as the file is loaded; never waited for, since with no
    // audio device the end of the sound is never reported.
    effect->play();
}
