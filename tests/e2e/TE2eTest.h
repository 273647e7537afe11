#pragma once

#include "support/XServer.h"

#include <QObject>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class TTaskList;

// What every end-to-end test of the installed program stands on: a private
// X display with a window manager and a tray host, and for each test case a
// fresh program folder laid out as a user would have it.
class TE2eTest : public QObject {
protected:
    TXServer FX;
    std::unique_ptr<QTemporaryDir> FDir;
    QString FFolder;  // the program folder of this test case
    QString FRuntime; // its per-user runtime folder (the lock lives there)

    // Starts the display; empty, or why it could not (the tests then skip).
    QString StartDisplay();
    // A fresh folder with the program installed; empty, or what failed.
    QString InstallFresh();

    QString Path(const QString &name) const { return FFolder + u'/' + name; }
    // The display, the runtime folder, and the program's event lines on.
    QProcessEnvironment Environment() const;
    // A data file beside the program, written by a list of its own.
    void WriteDataFile(const std::function<void(TTaskList &)> &fill);
    // The data file as the program left it, handed to the check while the
    // list lives.
    void ReadDataFile(const std::function<void(const TTaskList &)> &check) const;
    // A tool run on the test display; what it printed on stdout.
    QByteArray RunOnDisplay(const QString &program, const QStringList &arguments) const;
};
