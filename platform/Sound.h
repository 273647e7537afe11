#pragma once

#include <QString>

// Starts playing a WAV file and returns at once; a sound still playing is
// cut off. A missing or unreadable file, or no audio device, is silent.
void PlaySoundAsync(const QString &fileName);
