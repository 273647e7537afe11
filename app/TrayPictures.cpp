#include "app/TrayPictures.h"

#include "notes/NotePictures.h"

namespace {

QIcon Picture(QColor paper, QColor ink, bool alert)
{
    QIcon icon;
    for (int size : {16, 22, 32, 48})
        icon.addPixmap(DrawNotePicture(size, paper, ink, alert));
    return icon;
}

} // namespace

QList<QIcon> TrayPictures()
{
    return {Picture(QColor(255, 236, 120), QColor(120, 110, 80), false),
            Picture(QColor(255, 120, 60), QColor(255, 255, 255), true)};
}
