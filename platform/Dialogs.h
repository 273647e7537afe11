#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QPrinter;
class QWidget;

// A font with the colour it is drawn in: what the font chooser edits.
struct TFontChoice {
    QFont Font;
    QColor Color;
};

// Every message box and standard dialog of the program goes through this
// interface, so tests can script the answers and read what the user would
// have been told. Each opens above the window it was asked from (the modal
// dialog that is up, else the given parent, else the active window) and,
// while the program's windows stay on top, above all of them, with the focus.
class TDialogs {
public:
    virtual ~TDialogs() = default;

    // The application's error box: the message, titled "Jotterbox". It does
    // not hold up the caller; the program goes on running. Of the windows it
    // belongs only to a modal dialog that is up, so no closing note takes
    // it along unread.
    virtual void ErrorBox(const QString &message) = 0;
    // The error box for a problem nobody asked about (a save by the timer,
    // a sync round): it shows without taking the keyboard from the window
    // the user is typing in.
    virtual void ErrorBoxUnasked(const QString &message) { ErrorBox(message); }
    // The same box, returning only when the user closed it: for the last
    // words of a program that is about to end.
    virtual void ErrorBoxAndWait(const QString &message) = 0;
    // A Yes/No question; true for Yes.
    virtual bool YesNo(const QString &caption, const QString &text) = 0;

    // The save dialog: a path, or empty when cancelled. `filter` is in Qt's
    // form ("Text Files (*.txt)"); a name typed without extension gets
    // `defaultSuffix`. It does not ask about overwriting: callers do. An
    // empty title keeps the dialog's own. A bare name is proposed in the
    // folder of the last save, at first in the user's documents folder.
    virtual QString SaveFileName(QWidget *parent, const QString &proposedName, const QString &filter,
                                 const QString &defaultSuffix, const QString &title = QString()) = 0;
    // The file-open dialog for an existing file: its full path, or empty
    // when cancelled. `proposedPath` presets the name (and the folder).
    virtual QString OpenFileName(QWidget *parent, const QString &proposedPath, const QString &filter) = 0;
    // The font chooser, with colour; false when cancelled.
    virtual bool ChooseFont(QWidget *parent, TFontChoice &choice) = 0;
    // The colour chooser; false when cancelled.
    virtual bool ChooseColor(QWidget *parent, QColor &color) = 0;
    // The print dialog on `printer` (copies, page range, printer); false
    // when cancelled.
    virtual bool SetUpPrinter(QWidget *parent, QPrinter &printer) = 0;
};

// The dialogs in use: the real Qt ones unless a test installed others.
TDialogs &Dialogs();
// Installs `dialogs` (not owned) in place of the real ones; null restores them.
void SetDialogs(TDialogs *dialogs);
