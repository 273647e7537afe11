#pragma once

#include <QObject>

// What note windows tell the rest of the program. Notes come and go; the
// receivers (the list, the main window) connect here once.
class TNoteEvents : public QObject {
    Q_OBJECT

public:
    static TNoteEvents &Instance();

signals:
    // A note changed its task: the list should rebuild once the changes
    // pause.
    void ListUpdateRequested();
    // A note discarded its task: the list should rebuild at once.
    void ListRebuildNow();
    // An alerting note was closed with its task kept: the alert goes back
    // to the tray and sounds again.
    void AlertLeftUnseen();
    // The session is ending: every note keeps its open state.
    void SessionEnding();
    // The end of the session was refused (the save failed): notes close as
    // usual again.
    void SessionResumed();
};
