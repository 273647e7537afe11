#include "platform/Sound.h"

#include "platform/AbruptEnd.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QtEndian>
#include <cstdio>

namespace {
std::function<void(const QString &)> &Player()
{
    static std::function<void(const QString &)> player;
    return player;
}
} // namespace

bool IsPlayableWave(const QString &fileName)
{
    // Not a plain file (a folder, a pipe, a device): nothing to play, and a
    // pipe would not even open without a writer.
    if (!QFileInfo(fileName).isFile())
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    const QByteArray riff = file.read(12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE")
        return false;
    int frameBytes = 0;
    // A real file has a handful of chunks; thousands of empty ones are no
    // sound worth a read each.
    int chunks = 0;
    for (qint64 at = 12; at + 8 <= size && ++chunks <= MaxWaveChunks;) {
        if (!file.seek(at))
            return false;
        // Fixed buffers: the little-endian reads below never look past them.
        char header[8];
        if (file.read(header, sizeof header) < qint64(sizeof header))
            return false;
        const qint64 length = qFromLittleEndian<quint32>(header + 4);
        const qint64 body = at + 8;
        if (length > size - body)
            return false;
        const QByteArray id(header, 4);
        if (id == "fmt ") {
            char format[16];
            if (length < 16 || file.read(format, sizeof format) < qint64(sizeof format))
                return false;
            const auto word = [&format](int offset) { return qFromLittleEndian<quint16>(format + offset); };
            // Integer samples, float samples, or either behind the extensible header.
            const quint16 tag = word(0);
            if (tag != 1 && tag != 3 && tag != 0xFFFE)
                return false;
            const quint16 channels = word(2);
            const quint32 rate = qFromLittleEndian<quint32>(format + 4);
            const quint16 align = word(12);
            const quint16 bits = word(14);
            if (channels == 0 || rate == 0 || bits == 0 || bits % 8 != 0 || align != channels * (bits / 8))
                return false;
            frameBytes = align;
        } else if (id == "data") {
            // The player reads whole frames and waits for a partial last one.
            return frameBytes > 0 && length > 0 && length % frameBytes == 0 && length <= MaxWaveDataBytes;
        }
        at = body + length + (length & 1); // chunks keep to even offsets
    }
    return false; // no data, or no format before it
}

void SetSoundPlayer(std::function<void(const QString &fileName)> player) { Player() = std::move(player); }

void PlaySoundAsync(const QString &fileName)
{
    if (Player()) {
        Player()(fileName);
        return;
    }
    const QFileInfo file(fileName);
    if (fileName.isEmpty() || !IsPlayableWave(fileName))
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
