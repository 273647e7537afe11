#pragma once

// Maps the Windows font names that notes and settings carry onto the fonts
// installed here. Call once, after the QApplication exists and before the
// first window is built.
void InstallFontSubstitutions();
