#include "tasklist/ListFrame.h"

namespace {
constexpr int Grip = 7;    // "top" is y <= 7, "left" x <= 7
constexpr int EndGrip = 8; // the right end and the bottom zones
constexpr TDragZone Nothing{};
constexpr TDragZone Move{true, {}, Qt::ArrowCursor};
constexpr TDragZone MoveAnyButton{true, {}, Qt::ArrowCursor, true, true};

TDragZone Size(Qt::Edges edges, Qt::CursorShape cursor) { return TDragZone{false, edges, cursor}; }

const TDragZone Left = Size(Qt::LeftEdge, Qt::SizeHorCursor);
const TDragZone Right = Size(Qt::RightEdge, Qt::SizeHorCursor);
const TDragZone Top = Size(Qt::TopEdge, Qt::SizeVerCursor);
const TDragZone Bottom = Size(Qt::BottomEdge, Qt::SizeVerCursor);
const TDragZone TopLeft = Size(Qt::TopEdge | Qt::LeftEdge, Qt::SizeFDiagCursor);
const TDragZone TopRight = Size(Qt::TopEdge | Qt::RightEdge, Qt::SizeBDiagCursor);
const TDragZone BottomLeft = Size(Qt::BottomEdge | Qt::LeftEdge, Qt::SizeBDiagCursor);
const TDragZone BottomRight = Size(Qt::BottomEdge | Qt::RightEdge, Qt::SizeFDiagCursor);
} // namespace

TDragZone ListHitZone(TListPart part, QPoint point, QSize size, bool expanded, int bottomHeight)
{
    const int x = point.x();
    const int y = point.y();
    const int w = size.width();
    const int h = size.height();
    const bool top = y <= Grip;
    const bool left = x <= Grip;
    switch (part) {
    case TListPart::TopLeft:
        if (!expanded)
            return Move;
        if (top)
            return left ? TopLeft : Top;
        return left ? Left : Move;
    case TListPart::TopRight:
        if (!expanded)
            return Move;
        if (top)
            return x < w - EndGrip ? Top : TopRight;
        return x < w - EndGrip ? Move : Right;
    case TListPart::TopMid:
        if (!top)
            return Move;
        return expanded ? Top : Nothing;
    case TListPart::TitleLabel:
    case TListPart::Search: return MoveAnyButton;
    case TListPart::LeftMid: return Left;
    case TListPart::RightMid: return Right;
    case TListPart::BottomMid: return y > h - EndGrip ? Bottom : Move;
    case TListPart::BottomLeft:
        if (y > h - EndGrip)
            return left ? BottomLeft : Bottom;
        return left ? Left : Move;
    case TListPart::BottomRight:
        if (y > bottomHeight - EndGrip)
            return x >= EndGrip ? BottomRight : Bottom;
        return x >= EndGrip ? Right : Move;
    case TListPart::Client: {
        const bool rightEdge = x > w - EndGrip;
        if (y > h - EndGrip)
            return left ? BottomLeft : (rightEdge ? BottomRight : Bottom);
        if (left)
            return Left;
        return rightEdge ? Right : Nothing;
    }
    }
    return Nothing;
}

TListLayout ListLayout(int w, int h)
{
    TListLayout layout;
    layout.ListPanel = QRect(7, 0, w - 15, h - 38);
    layout.RightTop = QPoint(w - 8, 0);
    layout.BottomLeft = QPoint(0, h - 39);
    layout.BottomRight = QPoint(w - 12, h - 39);
    layout.Search = QPoint(w - 190, h - 28);
    layout.SearchBox = QRect(w - 145, h - 30, 65, 21);
    layout.NewButton = QRect(w - 66, h - 27, 23, 15);
    layout.DelButton = QRect(w - 36, h - 27, 23, 15);
    layout.HelpButton = QRect(w - 66, 6, 19, 19);
    layout.ShrinkButton = QRect(w - 46, 6, 19, 19);
    layout.CloseButton = QRect(w - 26, 6, 19, 19);
    return layout;
}

QPoint PulledOnScreen(QPoint place, QSize size, QSize screen)
{
    if (screen.width() < place.x() + size.width())
        place.setX(screen.width() - size.width());
    if (screen.height() < place.y() + size.height())
        place.setY(screen.height() - size.height() - 30);
    return place;
}
