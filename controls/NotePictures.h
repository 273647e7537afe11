#pragma once

#include <QColor>
#include <QPixmap>

// The 16 x 16 pictures of a note's title bar, drawn rather than shipped.
QPixmap CloseCrossPicture();
QPixmap ClockPicture();
// The clock's other blink phase: the same face, lit.
QPixmap ClockBlinkPicture();
QPixmap NotePicture();
// A sticky note with a folded corner and three lines of writing (or, when
// alerting, an exclamation mark), in a 16 x 16 design scaled to `size`.
QPixmap DrawNotePicture(int size, QColor paper, QColor ink, bool alert);
// The program's own picture (the tray at rest, the about box, the tip of
// the day) at `size` pixels.
QPixmap ProgramPicture(int size);
