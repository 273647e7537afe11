#pragma once

#include <QString>
#include <functional>

// Starts playing a WAV file and returns at once; a sound still playing is
// cut off. A missing or unreadable file, or no audio device, is silent.
void PlaySoundAsync(const QString &fileName);

// Replaces the player (tests count the sounds); an empty function restores
// the real one.
void SetSoundPlayer(std::function<void(const QString &fileName)> player);
