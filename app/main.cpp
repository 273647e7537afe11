#include "base/JbxError.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

// For now the program loads its settings and its data file, says what it
// found and ends; the windows come later.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    CreateGlobals(QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + u'/'));

    const QString dataFile = AppDir + QStringLiteral("Jotterbox.dat");
    int status = 0;
    if (QFile::exists(dataFile)) {
        try {
            TaskList().LoadFromFile(dataFile);
        } catch (const EJbxError &error) {
            std::fprintf(stderr, "Jotterbox: %s\n", qPrintable(error.Message()));
            status = 1;
        }
    }
    std::printf("Jotterbox: %d tasks in %s\n", TaskList().Count(), qPrintable(dataFile));
    DestroyGlobals();
    return status;
}
