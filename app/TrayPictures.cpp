#include "app/TrayPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// A sticky note with a folded corner and three lines of writing, in a
// 16 x 16 design scaled to `size`.
QPixmap DrawNote(int size, QColor paper, QColor ink, bool alert)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);

    QPainterPath note;
    note.moveTo(1.5, 1.5);
    note.lineTo(14.5, 1.5);
    note.lineTo(14.5, 10.5);
    note.lineTo(10.5, 14.5);
    note.lineTo(1.5, 14.5);
    note.closeSubpath();
    painter.setPen(QPen(QColor(90, 70, 20), 1.0));
    painter.setBrush(paper);
    painter.drawPath(note);

    QPainterPath fold;
    fold.moveTo(14.5, 10.5);
    fold.lineTo(10.5, 10.5);
    fold.lineTo(10.5, 14.5);
    fold.closeSubpath();
    painter.setBrush(paper.darker(130));
    painter.drawPath(fold);

    if (alert) {
        // An exclamation mark: the note wants to be seen.
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawRoundedRect(QRectF(6.6, 3.0, 2.8, 6.5), 1.0, 1.0);
        painter.drawEllipse(QRectF(6.6, 10.3, 2.8, 2.8));
    } else {
        painter.setPen(QPen(ink, 1.0));
        painter.drawLine(QPointF(4, 5), QPointF(12, 5));
        painter.drawLine(QPointF(4, 8), QPointF(12, 8));
        painter.drawLine(QPointF(4, 11), QPointF(8.5, 11));
    }
    return pixmap;
}

QIcon Picture(QColor paper, QColor ink, bool alert)
{
    QIcon icon;
    for (int size : {16, 22, 32, 48})
        icon.addPixmap(DrawNote(size, paper, ink, alert));
    return icon;
}

} // namespace

QList<QIcon> TrayPictures()
{
    return {Picture(QColor(255, 236, 120), QColor(120, 110, 80), false),
            Picture(QColor(255, 120, 60), QColor(255, 255, 255), true)};
}
