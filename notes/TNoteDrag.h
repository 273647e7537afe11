#pragma once

#include "notes/NoteFrame.h"

#include <QObject>
#include <QPoint>
#include <QRect>
#include <functional>

class QMouseEvent;
class QWidget;

// Moves and sizes a frameless note from presses on its frame: the zone under
// the press decides, the cursor shows it beforehand. The window manager
// does the drag, started on the first motion with the button held (started
// on the press, a quick click could leave the window glued to the pointer);
// with no window manager the window follows the pointer by hand.
class TNoteDrag : public QObject {
    Q_OBJECT

public:
    TNoteDrag(QWidget *window, std::function<bool()> rolledUp);

    // Watches the mouse on a part of the frame.
    void AddPart(QWidget *part, TNotePart kind);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool Press(QWidget *part, TNotePart kind, QMouseEvent *event);
    bool Motion(QWidget *part, TNotePart kind, QMouseEvent *event);
    void Start(QPoint globalPos);
    void FollowPointer(QPoint globalPos);

    QWidget *FWindow;
    std::function<bool()> FRolledUp;
    QList<QPair<QWidget *, TNotePart>> FParts;
    TNoteZone FZone;
    bool FPending = false; // pressed, waiting for the first motion
    bool FManual = false;  // no window manager: moving by hand
    QPoint FStart;
    QRect FStartGeometry;
};
