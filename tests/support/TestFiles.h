#pragma once

#include <QDir>
#include <QDirIterator>
#include <QSet>
#include <QString>

// Every file below `root`, hidden ones too, as paths relative to it: what a
// step wrote outside the program's folder shows as a difference of two sets.
inline QSet<QString> FilesBelow(const QString &root)
{
    QSet<QString> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    return files;
}
