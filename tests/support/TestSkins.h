#pragma once

// The default skin shipped with the program, copied where the windows look
// for it (appDir + "skins/1/"). Needs JBX_SOURCE_DIR from the build.

#include <QDir>
#include <QFile>
#include <QString>

inline void InstallShippedSkin(const QString &appDir)
{
    const QString from = QStringLiteral(JBX_SOURCE_DIR "/assets/skins/1");
    const QString to = QDir(appDir).filePath(QStringLiteral("skins/1"));
    QDir().mkpath(to);
    for (const QString &name : QDir(from).entryList(QDir::Files))
        QFile::copy(from + u'/' + name, to + u'/' + name);
}
