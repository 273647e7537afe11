#include "notes/NoteFrame.h"

#include <algorithm>

namespace {
constexpr TNoteZone MoveZone{true, {}, Qt::ArrowCursor};

TNoteZone Edge(Qt::Edges edges, Qt::CursorShape cursor) { return TNoteZone{false, edges, cursor}; }
} // namespace

TNoteZone NoteHitZone(TNotePart part, QPoint point, QSize size, bool rolledUp)
{
    const int x = point.x();
    const int y = point.y();
    const bool left = x < NoteGrip;
    const bool right = x > size.width() - NoteGrip;
    switch (part) {
    case TNotePart::Title:
        if (rolledUp)
            return MoveZone;
        if (y < NoteGrip) {
            if (left)
                return Edge(Qt::TopEdge | Qt::LeftEdge, Qt::SizeFDiagCursor);
            if (right)
                return Edge(Qt::TopEdge | Qt::RightEdge, Qt::SizeBDiagCursor);
            return Edge(Qt::TopEdge, Qt::SizeVerCursor);
        }
        if (left)
            return Edge(Qt::LeftEdge, Qt::SizeHorCursor);
        if (right)
            return Edge(Qt::RightEdge, Qt::SizeHorCursor);
        return MoveZone;
    case TNotePart::TitleLabel:
        if (rolledUp || y >= 2)
            return MoveZone;
        return Edge(Qt::TopEdge, Qt::SizeVerCursor);
    case TNotePart::Client:
        if (y > size.height() - NoteGrip) {
            if (left)
                return Edge(Qt::BottomEdge | Qt::LeftEdge, Qt::SizeBDiagCursor);
            if (right)
                return Edge(Qt::BottomEdge | Qt::RightEdge, Qt::SizeFDiagCursor);
            return Edge(Qt::BottomEdge, Qt::SizeVerCursor);
        }
        if (left)
            return Edge(Qt::LeftEdge, Qt::SizeHorCursor);
        if (right)
            return Edge(Qt::RightEdge, Qt::SizeHorCursor);
        return {};
    }
    return {};
}

qint32 TitleColorOf(qint32 noteColor)
{
    qint32 title = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        title |= (((noteColor >> shift) & 0xFF) / 5 * 4) << shift;
    return title;
}

namespace {
constexpr int RolledUpPictures = 75; // the title's pictures and margins beside the subject
} // namespace

int RolledUpWidth(int labelWidth) { return std::max(NoteMinWidth, labelWidth + RolledUpPictures); }

int RolledUpWidth(int labelWidth, int widest)
{
    return std::min(RolledUpWidth(labelWidth), std::max(NoteMinWidth, widest));
}

int RolledUpLabelRoom(int width) { return std::max(0, width - RolledUpPictures); }

QPoint NotePlaceOnScreen(const QRect &stored, const QList<QRect> &screens, const QRect &primaryAvailable)
{
    for (const QRect &screen : screens)
        if (screen.intersects(stored))
            return stored.topLeft();
    // Some way in from the corner, as a new note would stand, and whole when
    // it fits.
    const int left =
        std::max(primaryAvailable.left(),
                 std::min(primaryAvailable.left() + 120, primaryAvailable.right() + 1 - stored.width()));
    const int top =
        std::max(primaryAvailable.top(),
                 std::min(primaryAvailable.top() + 120, primaryAvailable.bottom() + 1 - stored.height()));
    return {left, top};
}
