#pragma once

#include <QString>

// Maps the Windows font names that notes and settings carry onto the fonts
// installed here. Call once, after the QApplication exists and before the
// first window is built.
void InstallFontSubstitutions();

// The family a font of this name is drawn in: the name itself when it is
// installed, else the first installed family standing in for it, else the
// name unchanged (fontconfig then picks). What Qt itself arrives at, asked
// for directly: Qt searches fontconfig's fallbacks for a name that is not
// installed before it tries the stand-ins, milliseconds a font at start.
QString InstalledFamily(const QString &family);
