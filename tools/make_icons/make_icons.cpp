// make_icons: writes the program picture as the icons a desktop menu shows,
// PNG files of every usual size from the drawing the tray and the about box
// use, and the same drawing as SVG. Its output is committed as
// assets/icons/:
//   make_icons assets/icons

#include "controls/NotePictures.h"
#include "tools/PictureTool.h"

#include <QDir>
#include <QFile>

namespace {
constexpr int KSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The program picture's drawing (DrawNotePicture with the program's paper
// and ink, on its 16-unit grid) in SVG: a note with a folded corner and
// three lines of writing.
const char KSvg[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 16 16">
  <path d="M1.5 1.5H14.5V10.5L10.5 14.5H1.5Z" fill="#ffec78" stroke="#5a4614" stroke-width="1" stroke-linejoin="bevel"/>
  <path d="M14.5 10.5H10.5V14.5Z" fill="#c4b55c" stroke="#5a4614" stroke-width="1" stroke-linejoin="bevel"/>
  <path d="M4 5H12M4 8H12M4 11H8.5" fill="none" stroke="#786e50" stroke-width="1" stroke-linecap="square"/>
</svg>
)";

} // namespace

int main(int argc, char **argv)
{
    return RunPictureTool(argc, argv, "make_icons", [](const QString &out) -> QString {
        for (const int size : KSizes) {
            const QString folder = QStringLiteral("%1/%2x%2").arg(out).arg(size);
            const QString path = folder + QStringLiteral("/Jotterbox.png");
            if (!QDir().mkpath(folder) || !ProgramPicture(size).save(path, "PNG"))
                return QStringLiteral("cannot write %1").arg(path);
        }
        const QString folder = out + QStringLiteral("/scalable");
        QFile svg(folder + QStringLiteral("/Jotterbox.svg"));
        if (!QDir().mkpath(folder) || !svg.open(QIODevice::WriteOnly) || svg.write(KSvg) < 0)
            return QStringLiteral("cannot write %1").arg(svg.fileName());
        return {};
    });
}
