#pragma once

#include "support/XServer.h"

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QProcessEnvironment>
#include <QRect>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class TProgram;
class TTaskList;

// What every end-to-end test of the installed program stands on: a private
// X display with a window manager and a tray host, and for each test case a
// fresh program folder laid out as a user would have it.
class TE2eTest : public QObject {
    Q_OBJECT

private slots:
    // Every case of a test program runs on the one display; without one
    // they all skip.
    void initTestCase();
    void cleanup();

protected:
    // Whether the display has a tray host; a test of a session without one
    // clears it in its constructor.
    bool FTrayHost = true;
    TXServer FX;
    std::unique_ptr<QTemporaryDir> FDir;
    QString FFolder;  // the program folder of this test case
    QString FRuntime; // its per-user runtime folder (the lock lives there)

    // Starts the display; empty, or why it could not (the tests then skip).
    // A test on another kind of desktop starts its own.
    virtual QString StartDisplay();
    // The environment that points programs at the display.
    virtual QProcessEnvironment DisplayEnvironment() const { return FX.Environment(); }
    // A fresh folder with the program installed; empty, or what failed.
    QString InstallFresh();

    QString Path(const QString &name) const { return FFolder + u'/' + name; }
    // The settings file with these lines (CR LF ends) in its one section;
    // empty, or what failed.
    QString WriteSettings(const QString &userInterfaceLines);
    // The display, the runtime folder, and the program's event lines on.
    QProcessEnvironment Environment() const;
    // A data file beside the program, written by a list of its own.
    void WriteDataFile(const std::function<void(TTaskList &)> &fill);
    // The data file as the program left it, handed to the check while the
    // list lives.
    void ReadDataFile(const std::function<void(const TTaskList &)> &check) const;
    // A tool run on the test display; what it printed on stdout.
    QByteArray RunOnDisplay(const QString &program, const QStringList &arguments) const;

    // --- the user's side of the display ---
    QString XDo(const QStringList &arguments) const; // xdotool; what it printed
    void PointerTo(QPoint at) const;
    // The window's place on the root window and its size; empty when it is
    // not on screen.
    QRect Geometry(const QString &id) const;
    QImage Screenshot() const;
    // The screen kept as `name` in the build's artefacts folder for a look
    // after the run; its path, or empty if it could not be written.
    QString SaveScreenshot(const QString &name) const;
    static QString At(QPoint p);
    // Drags the window `id` with the left button from `press` by `shift`, as
    // a hand does: the program hands the drag to the window manager on the
    // first motion, and the manager moves or sizes from where the pointer is
    // when it takes over. Only once it follows does the pointer go on, so
    // the window ends `shift` (give or take the few pixels of that start)
    // from where it was. Why not, or empty.
    QString DragBy(const QString &id, QPoint press, QPoint shift) const;

    // The program's windows on screen titled like its own (notes and the
    // list), less the tray icon and other small helper windows.
    QStringList ProgramWindows(TProgram &program) const;
    // The program's visible window of exactly this size; empty if none.
    QString WindowSized(TProgram &program, QSize size) const;
    // The floating toolbar, told from the other windows by its size.
    QString ToolBarWindow(TProgram &program) const { return WindowSized(program, QSize(67, 26)); }
    // Waits for exactly one such window and until it has stood still for a
    // second: the program settles the place a moment after the show, and
    // only moves after that are the user's. Empty, with the reason in *why,
    // if not.
    QString SettledWindow(TProgram &program, QString *why = nullptr) const;
    // Starts the program and waits for its one window as above.
    QString Started(TProgram &program, QString *why) const;

    // The program's icon inside the tray host's panel (among those of other
    // running programs, by its process); empty if not there.
    QString TrayIcon(TProgram &program) const;
    // A click on the program's tray icon (left, or right with `button` 3);
    // true once its menu is up.
    bool OpenTrayMenu(TProgram &program, int button = 1) const;

    // The manager's stacking order, bottom first, as decimal ids (xdotool's).
    QStringList Stacking() const;
    // Empty when `upper` stands above every one of `lower`; else what is wrong.
    QString Above(const QString &upper, const QStringList &lower) const;
    // The program's visible window titled `title` that is none of `known`.
    QString NewWindowTitled(TProgram &program, const QString &title, const QStringList &known) const;

    // Starts the program on a display of its own, waits for `line`, does
    // `meanwhile` (which returns why it failed, or empty), and pulls the
    // display from under it: Qt then ends the process with exit(). Empty
    // when it ended by that exit, not by a signal, and gave the lock back on
    // the way (a dead owner's lock would be taken over anyway, so only the
    // missing file tells); otherwise why not.
    QString LoseDisplayAfter(const QString &line, const std::function<QString(TProgram &)> &meanwhile = {});

    // Polls by the clock: the QTRY macros count their steps and not the time
    // the condition itself takes.
    static bool Eventually(const std::function<bool()> &condition, int timeoutMs = 10000);
};
