#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where a toolbar of `size` stored at `stored` should open: there when any
// part of it lies on one of the screens (their free areas), otherwise (a
// monitor was removed, the resolution shrank) at the default place, so it
// never opens out of sight. With no screens known the stored place stands.
QPoint ToolBarPlaceOnScreen(QPoint stored, QSize size, const QList<QRect> &screens, QSize primaryScreen);
