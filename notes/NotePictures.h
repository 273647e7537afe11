#pragma once

#include <QPixmap>

// The 16 x 16 pictures of a note's title bar, drawn rather than shipped.
QPixmap CloseCrossPicture();
QPixmap ClockPicture();
// The clock's other blink phase: the same face, lit.
QPixmap ClockBlinkPicture();
QPixmap NotePicture();
