#pragma once

// A program folder of its own for each test case, with the settings and
// the other globals made in it, the locale pinned and the message boxes
// scripted.

#include "model/UnitGlobalData.h"
#include "support/ShellFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

class TDialogsWorld {
public:
    TDialogsWorld()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        CreateGlobals(Folder.path() + u'/');
    }
    ~TDialogsWorld()
    {
        DestroyGlobals();
        QLocale::setDefault(QLocale::c());
    }

    QString Path(const QString &name) const { return Folder.filePath(name); }
    void Write(const QString &name, const QByteArray &bytes) const
    {
        QDir().mkpath(QFileInfo(Path(name)).path());
        QFile file(Path(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }

    QTemporaryDir Folder;
    TScriptedDialogs Dialogs;
};
