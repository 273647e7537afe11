#include "notes/TNoteDrag.h"

#include "platform/NativePlace.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

TNoteDrag::TNoteDrag(QWidget *window, std::function<bool()> rolledUp)
    : QObject(window), FWindow(window), FRolledUp(std::move(rolledUp))
{
}

void TNoteDrag::AddPart(QWidget *part, TNotePart kind)
{
    part->setMouseTracking(true);
    part->installEventFilter(this);
    FParts.append({part, kind});
}

bool TNoteDrag::eventFilter(QObject *watched, QEvent *event)
{
    for (const auto &[part, kind] : FParts) {
        if (part != watched)
            continue;
        switch (event->type()) {
        case QEvent::MouseButtonPress: return Press(part, kind, static_cast<QMouseEvent *>(event));
        case QEvent::MouseMove: return Motion(part, kind, static_cast<QMouseEvent *>(event));
        case QEvent::MouseButtonRelease: FPending = FManual = false; return false;
        default: return false;
        }
    }
    return false;
}

bool TNoteDrag::Press(QWidget *part, TNotePart kind, QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return false;
    FZone = NoteHitZone(kind, event->position().toPoint(), part->size(), FRolledUp());
    FPending = FZone.Move || FZone.Edges;
    FManual = false;
    return FPending;
}

bool TNoteDrag::Motion(QWidget *part, TNotePart kind, QMouseEvent *event)
{
    const QPoint globalPos = event->globalPosition().toPoint();
    if (!(event->buttons() & Qt::LeftButton)) {
        FPending = FManual = false;
        part->setCursor(NoteHitZone(kind, event->position().toPoint(), part->size(), FRolledUp()).Cursor);
        return false;
    }
    if (FPending) {
        FPending = false;
        // The window manager is told where the drag starts from Qt's record
        // of the window's place; the pointer knows where the window is.
        PinWindowPlace(FWindow, globalPos - part->mapTo(FWindow, event->position().toPoint()));
        Start(globalPos);
    }
    if (FManual)
        FollowPointer(globalPos);
    return FManual;
}

void TNoteDrag::Start(QPoint globalPos)
{
    QWindow *window = FWindow->windowHandle();
    const bool started =
        window && (FZone.Move ? window->startSystemMove() : window->startSystemResize(FZone.Edges));
    FManual = !started;
    FStart = globalPos;
    FStartGeometry = FWindow->geometry();
}

void TNoteDrag::FollowPointer(QPoint globalPos)
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
