#pragma once

// The default skin's bitmaps in a program folder, so a task list window
// shown in a benchmark loads its frame as the installed program does
// instead of reporting missing files.

#include "tasklist/SkinArt.h"

#include <QDir>
#include <QImage>
#include <QString>

inline bool WriteSkin(const QString &programFolder)
{
    const QString skin = ShippedSkinNames().value(0);
    const QString dir = programFolder + QStringLiteral("/skins/") + skin + u'/';
    if (!QDir().mkpath(dir))
        return false;
    for (const QString &file : SkinFileNames()) {
        const QImage picture = DrawSkinPart(skin, file);
        if (!picture.isNull() && !picture.save(dir + file, "BMP"))
            return false;
    }
    return true;
}
