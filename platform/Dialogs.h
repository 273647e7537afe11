#pragma once

#include <QString>

// Every message box of the program goes through this interface, so tests
// can script the answers and read what the user would have been told.
class TDialogs {
public:
    virtual ~TDialogs() = default;

    // The application's error box: the message, titled "Jotterbox". It does
    // not hold up the caller; the program goes on running.
    virtual void ErrorBox(const QString &message) = 0;
    // The same box, returning only when the user closed it: for the last
    // words of a program that is about to end.
    virtual void ErrorBoxAndWait(const QString &message) = 0;
    // A Yes/No question; true for Yes.
    virtual bool YesNo(const QString &caption, const QString &text) = 0;
};

// The dialogs in use: the real Qt ones unless a test installed others.
TDialogs &Dialogs();
// Installs `dialogs` (not owned) in place of the real ones; null restores them.
void SetDialogs(TDialogs *dialogs);
