#include "toolbar/ToolBarPlace.h"

#include "settings/TUserInfo.h"

QPoint ToolBarPlaceOnScreen(QPoint stored, QSize size, const QList<QRect> &screens, QSize primaryScreen)
{
    if (screens.isEmpty())
        return stored;
    const QRect bar(stored, size);
    for (const QRect &screen : screens)
        if (screen.intersects(bar))
            return stored;
    return TUserInfo::DefaultToolBarPlace(primaryScreen);
}
