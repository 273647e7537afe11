#pragma once

#include <QColor>

// Colours in the data and settings files are 0x00BBGGRR: red in the low byte.
inline QColor ColorRefToQColor(qint32 color)
{
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

inline qint32 QColorToColorRef(const QColor &color)
{
    return qint32(color.red() | (color.green() << 8) | (color.blue() << 16));
}
