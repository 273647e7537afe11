#include "toolbar/ToolBarPlace.h"

QPoint DefaultToolBarPlace(QSize primaryScreen) { return {primaryScreen.width() - 140, 10}; }

QPoint ToolBarPlaceOnScreen(QPoint stored, QSize size, const QList<QRect> &screens, QSize primaryScreen)
{
    if (screens.isEmpty())
        return stored;
    const QRect bar(stored, size);
    for (const QRect &screen : screens)
        if (screen.intersects(bar))
            return stored;
    return DefaultToolBarPlace(primaryScreen);
}
