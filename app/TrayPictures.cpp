#include "app/TrayPictures.h"

#include "controls/NotePictures.h"

#include <functional>

namespace {

QIcon Picture(const std::function<QPixmap(int)> &draw)
{
    QIcon icon;
    for (int size : {16, 22, 32, 48})
        icon.addPixmap(draw(size));
    return icon;
}

} // namespace

QList<QIcon> TrayPictures()
{
    return {Picture(ProgramPicture), Picture([](int size) {
                return DrawNotePicture(size, QColor(255, 120, 60), QColor(255, 255, 255), true);
            })};
}
