#include "controls/NotePictures.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int Size = 16;

QPixmap Blank()
{
    QPixmap picture(Size, Size);
    picture.fill(Qt::transparent);
    return picture;
}

QPixmap Clock(QColor face, QColor rim, QColor hands)
{
    QPixmap picture = Blank();
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(rim, 1.2));
    painter.setBrush(face);
    painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    painter.setPen(QPen(hands, 1.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(8, 8), QPointF(8, 4));    // minutes at twelve
    painter.drawLine(QPointF(8, 8), QPointF(11, 9.5)); // hours past four
    return picture;
}
} // namespace

QPixmap CloseCrossPicture()
{
    QPixmap picture = Blank();
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255), 2.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
    painter.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
    return picture;
}

QPixmap ClockPicture() { return Clock(QColor(255, 255, 255), QColor(70, 70, 70), QColor(30, 30, 30)); }

QPixmap ClockBlinkPicture() { return Clock(QColor(255, 60, 40), QColor(150, 0, 0), QColor(255, 255, 255)); }

QPixmap DrawNotePicture(int size, QColor paper, QColor ink, bool alert)
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

QPixmap NotePicture() { return DrawNotePicture(16, QColor(255, 240, 140), QColor(150, 130, 70), false); }

QPixmap ProgramPicture(int size)
{
    return DrawNotePicture(size, QColor(255, 236, 120), QColor(120, 110, 80), false);
}
