#pragma once

#include <QPoint>
#include <optional>

class QWindow;

// Where a top-level window really stands on the screen, asked of the window
// system itself. Qt's own record can lag behind the window manager's first
// placement; none where the system cannot be asked (not X11, no window yet).
std::optional<QPoint> NativeWindowPlace(const QWindow *window);
