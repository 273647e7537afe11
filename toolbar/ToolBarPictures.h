#pragma once

#include <QPixmap>

// The toolbar's pictures, drawn rather than shipped.

// 67 x 26: the toolbar's face.
QPixmap ToolBarBackgroundPicture();
// 20 x 20: the clock without hands, centred on (10, 10).
QPixmap ClockFacePicture();
// 20 x 20: a sticky note, for making a new one.
QPixmap NewNoteButtonPicture();
// 20 x 20: a small list window, for showing or hiding the list.
QPixmap ListButtonPicture();
// 20 x 20: the list picture on amber, the second picture of the alert's blink.
QPixmap AlertButtonPicture();
