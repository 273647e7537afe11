#pragma once

// The frame the picture-writing tools share: an offscreen application (they
// draw, they need no display), one argument naming the output folder, and
// an exit code of 2 with the tool's name before any error.

#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <functional>

// `write` draws into the folder and returns an error, empty on success.
inline int RunPictureTool(int argc, char **argv, const char *name,
                          const std::function<QString(const QString &folder)> &write)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", name);
        return 2;
    }
    const QString error = write(args[1]);
    if (error.isEmpty())
        return 0;
    std::fprintf(stderr, "%s: %s\n", name, qPrintable(error));
    return 2;
}
