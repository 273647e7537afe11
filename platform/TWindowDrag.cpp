#include "platform/TWindowDrag.h"

#include "platform/NativePlace.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

TWindowDrag::TWindowDrag(QWidget *window) : QObject(window), FWindow(window) {}

void TWindowDrag::AddPart(QWidget *part, TDragZoneFunction zone)
{
    part->setMouseTracking(true);
    part->installEventFilter(this);
    FParts.append({part, std::move(zone)});
}

bool TWindowDrag::eventFilter(QObject *watched, QEvent *event)
{
    for (const TPart &part : FParts) {
        if (part.Widget != watched)
            continue;
        switch (event->type()) {
        case QEvent::MouseButtonPress: return Press(part, static_cast<QMouseEvent *>(event));
        case QEvent::MouseMove: return Motion(part, static_cast<QMouseEvent *>(event));
        case QEvent::MouseButtonRelease: FPending = FManual = false; return false;
        default: return false;
        }
    }
    return false;
}

bool TWindowDrag::Press(const TPart &part, QMouseEvent *event)
{
    const TDragZone zone = part.Zone(event->position().toPoint(), part.Widget->size());
    if (event->button() != Qt::LeftButton && !zone.AnyButton)
        return false;
    FZone = zone;
    FButton = event->button();
    FPending = FZone.Move || FZone.Edges;
    FManual = false;
    return FPending;
}

bool TWindowDrag::Motion(const TPart &part, QMouseEvent *event)
{
    const QPoint globalPos = event->globalPosition().toPoint();
    if (!(event->buttons() & FButton)) {
        FPending = FManual = false;
        const TDragZone zone = part.Zone(event->position().toPoint(), part.Widget->size());
        if (!zone.KeepCursor)
            part.Widget->setCursor(zone.Cursor);
        return false;
    }
    if (FPending) {
        FPending = false;
        // The window manager is told where the drag starts from Qt's record
        // of the window's place; the pointer knows where the window is.
        PinWindowPlace(FWindow, globalPos - part.Widget->mapTo(FWindow, event->position().toPoint()));
        Start(globalPos);
    }
    if (FManual)
        FollowPointer(globalPos);
    return FManual;
}

void TWindowDrag::Start(QPoint globalPos)
{
    emit Starting();
    // The window manager's drags end on the release of the left button
    // only: with another button held the window follows by hand.
    QWindow *window = FWindow->windowHandle();
    const bool started = window && FButton == Qt::LeftButton &&
                         (FZone.Move ? window->startSystemMove() : window->startSystemResize(FZone.Edges));
    FManual = !started;
    FStart = globalPos;
    FStartGeometry = FWindow->geometry();
}

void TWindowDrag::FollowPointer(QPoint globalPos)
{
    const QPoint delta = globalPos - FStart;
    const QRect from = FStartGeometry;
    QRect target = from;
    if (FZone.Move)
        target.moveTopLeft(from.topLeft() + delta);
    // A dragged left or top edge stops where the window reaches its minimum.
    if (FZone.Edges & Qt::LeftEdge)
        target.setLeft(std::min(from.left() + delta.x(), from.right() + 1 - FWindow->minimumWidth()));
    if (FZone.Edges & Qt::RightEdge)
        target.setRight(from.right() + delta.x());
    if (FZone.Edges & Qt::TopEdge)
        target.setTop(std::min(from.top() + delta.y(), from.bottom() + 1 - FWindow->minimumHeight()));
    if (FZone.Edges & Qt::BottomEdge)
        target.setBottom(from.bottom() + delta.y());
    FWindow->setGeometry(target);
}
