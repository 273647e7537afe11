#pragma once

#include <QPoint>
#include <optional>

class QWidget;
class QWindow;

// Where a top-level window really stands on the screen, asked of the window
// system itself. Qt's own record can lag behind the window manager's first
// placement; none where the system cannot be asked (not X11, no window yet).
std::optional<QPoint> NativeWindowPlace(const QWindow *window);

// Puts a top-level window at `place`, and Qt's record of its native window
// with it. Right after the window manager placed a frameless window, that
// record can still hold the (0, 0) of before even where the widget's own
// position is right, and everything Qt computes from it goes astray: menus
// and popups opened from the window, the start point of a system move. Some
// managers also drop the first placement altogether.
void PinWindowPlace(QWidget *window, QPoint place);
