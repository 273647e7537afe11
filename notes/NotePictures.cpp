#include "notes/NotePictures.h"

#include <QPainter>

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

QPixmap NotePicture()
{
    QPixmap picture = Blank();
    QPainter painter(&picture);
    painter.setPen(QColor(90, 80, 40));
    painter.setBrush(QColor(255, 240, 140));
    // A sheet with its lower right corner folded over.
    const QPointF sheet[] = {{2.5, 1.5}, {13.5, 1.5}, {13.5, 10.5}, {9.5, 14.5}, {2.5, 14.5}};
    painter.drawPolygon(sheet, 5);
    painter.setBrush(QColor(220, 200, 100));
    const QPointF fold[] = {{13.5, 10.5}, {9.5, 10.5}, {9.5, 14.5}};
    painter.drawPolygon(fold, 3);
    painter.setPen(QColor(150, 130, 70));
    for (int y = 5; y <= 9; y += 2)
        painter.drawLine(5, y, 11, y);
    return picture;
}
