// make_icons: writes the program picture as the icons a desktop menu shows,
// PNG files of every usual size from the drawing the tray and the about box
// use, and the same drawing as SVG. Its output is committed as
// assets/icons/:
//   make_icons assets/icons

#include "controls/NotePictures.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

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

int Fail(const QString &message)
{
    std::fprintf(stderr, "make_icons: %s\n", qPrintable(message));
    return 2;
}
} // namespace

int main(int argc, char **argv)
{
    // Pictures only: no display needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fputs("usage: make_icons OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const QString out = args[1];
    for (const int size : KSizes) {
        const QString folder = QStringLiteral("%1/%2x%2").arg(out).arg(size);
        const QString path = folder + QStringLiteral("/Jotterbox.png");
        if (!QDir().mkpath(folder) || !ProgramPicture(size).save(path, "PNG"))
            return Fail(QStringLiteral("cannot write %1").arg(path));
    }
    const QString folder = out + QStringLiteral("/scalable");
    QFile svg(folder + QStringLiteral("/Jotterbox.svg"));
    if (!QDir().mkpath(folder) || !svg.open(QIODevice::WriteOnly) || svg.write(KSvg) < 0)
        return Fail(QStringLiteral("cannot write %1").arg(svg.fileName()));
    return 0;
}
