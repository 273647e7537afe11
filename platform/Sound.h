#pragma once

#include <QString>
#include <functional>

// Starts playing a WAV file and returns at once; a sound still playing is
// cut off. A missing or unreadable file, or no audio device, is silent.
void PlaySoundAsync(const QString &fileName);

// Whether `fileName` is a WAV file the player can read to its end: a RIFF
// WAVE file whose chunks (at most MaxWaveChunks before the data) all lie
// within the file, with an integer or float sample format before its data
// and data of whole frames, at most MaxWaveDataBytes. Only such
// files are handed to the player: one that promises more than it holds
// keeps the player waiting for the rest for good, and the next change of
// sound then waits for that load and holds up the whole program.
inline constexpr qint64 MaxWaveDataBytes = qint64(128) << 20;
inline constexpr int MaxWaveChunks = 64;
bool IsPlayableWave(const QString &fileName);

// Replaces the player (tests count the sounds); an empty function restores
// the real one.
void SetSoundPlayer(std::function<void(const QString &fileName)> player);
