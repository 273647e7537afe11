#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <functional>

class QMouseEvent;
class QWidget;

// What a press on a part of a frameless window's frame does, and the cursor
// shown over that place beforehand.
struct TDragZone {
    bool Move = false;
    Qt::Edges Edges; // the edges a press drags; none and not Move: nothing
    Qt::CursorShape Cursor = Qt::ArrowCursor;
    bool AnyButton = false;  // any mouse button starts it, not only the left
    bool KeepCursor = false; // the part's own cursor stays

    bool operator==(const TDragZone &) const = default;
};

// The zone at a point of a part of the given size.
using TDragZoneFunction = std::function<TDragZone(QPoint point, QSize size)>;

// Moves and sizes a frameless window from presses on the parts of its
// frame: the zone under the press decides, the cursor shows it beforehand.
// The window manager does the drag, started on the first motion with the
// button held (started on the press, a quick click could leave the window
// glued to the pointer); with no window manager the window follows the
// pointer by hand.
class TWindowDrag : public QObject {
    Q_OBJECT

public:
    explicit TWindowDrag(QWidget *window);

    // Watches the mouse on a part of the frame.
    void AddPart(QWidget *part, TDragZoneFunction zone);

signals:
    // A drag or a size is about to start: the window's place is the user's
    // from here on, even if the window is still waiting to settle it.
    void Starting();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct TPart {
        QWidget *Widget;
        TDragZoneFunction Zone;
    };
    bool Press(const TPart &part, QMouseEvent *event);
    bool Motion(const TPart &part, QMouseEvent *event);
    void Start(QPoint globalPos);
    void FollowPointer(QPoint globalPos);

    QWidget *FWindow;
    QList<TPart> FParts;
    TDragZone FZone;
    Qt::MouseButton FButton = Qt::NoButton;
    bool FPending = false; // pressed, waiting for the first motion
    bool FManual = false;  // no window manager: moving by hand
    QPoint FStart;
    QRect FStartGeometry;
};
