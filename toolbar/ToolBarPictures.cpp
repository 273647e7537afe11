#include "toolbar/ToolBarPictures.h"

#include "controls/NotePictures.h"

#include <QLinearGradient>
#include <QPainter>

namespace {
constexpr int ButtonSize = 20;

QPixmap Blank(int width, int height)
{
    QPixmap picture(width, height);
    picture.fill(Qt::transparent);
    return picture;
}
} // namespace

QPixmap ToolBarBackgroundPicture()
{
    QPixmap picture(67, 26);
    QPainter painter(&picture);
    QLinearGradient shade(0, 0, 0, 26);
    shade.setColorAt(0, QColor(242, 245, 250));
    shade.setColorAt(1, QColor(204, 213, 228));
    painter.fillRect(picture.rect(), shade);
    painter.setPen(QColor(255, 255, 255));
    painter.drawLine(1, 1, 65, 1);
    painter.drawLine(1, 1, 1, 24);
    painter.setPen(QColor(112, 124, 148));
    painter.drawRect(0, 0, 66, 25);
    return picture;
}

QPixmap ClockFacePicture()
{
    QPixmap picture = Blank(ButtonSize, ButtonSize);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(80, 84, 96), 1.2));
    painter.setBrush(QColor(255, 255, 255));
    painter.drawEllipse(QPointF(10, 10), 9, 9);
    // The quarters, short strokes in from the rim.
    painter.setPen(QPen(QColor(110, 110, 110), 1.2));
    painter.drawLine(QPointF(10, 2), QPointF(10, 4));
    painter.drawLine(QPointF(18, 10), QPointF(16, 10));
    painter.drawLine(QPointF(10, 18), QPointF(10, 16));
    painter.drawLine(QPointF(2, 10), QPointF(4, 10));
    return picture;
}

QPixmap NewNoteButtonPicture()
{
    QPixmap picture = Blank(ButtonSize, ButtonSize);
    QPainter painter(&picture);
    painter.drawPixmap(2, 2, DrawNotePicture(16, QColor(255, 236, 140), QColor(120, 100, 60), false));
    // A small green plus: this one makes a note.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(20, 130, 40), 2.0, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(15.5, 11), QPointF(15.5, 18));
    painter.drawLine(QPointF(12, 14.5), QPointF(19, 14.5));
    return picture;
}

QPixmap ListButtonPicture()
{
    QPixmap picture = Blank(ButtonSize, ButtonSize);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF window(2.5, 3.5, 15, 13);
    painter.setPen(QPen(QColor(60, 80, 120), 1.0));
    painter.setBrush(QColor(255, 255, 255));
    painter.drawRect(window);
    painter.fillRect(QRectF(3, 4, 14, 3), QColor(70, 110, 170));
    // Three rows: a box and a line of text each.
    for (int row = 0; row < 3; ++row) {
        const double y = 8.5 + 2.6 * row;
        painter.setPen(QPen(QColor(120, 120, 120), 0.8));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(4.5, y, 1.8, 1.8));
        painter.setPen(QPen(QColor(90, 90, 90), 1.0));
        painter.drawLine(QPointF(8, y + 0.9), QPointF(15.5, y + 0.9));
    }
    return picture;
}

QPixmap AlertButtonPicture()
{
    // The list picture lit up in amber, as a bell would be.
    QPixmap picture = Blank(ButtonSize, ButtonSize);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(150, 80, 0), 1.0));
    painter.setBrush(QColor(255, 176, 32));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 19, 19), 3, 3);
    painter.drawPixmap(0, 0, ListButtonPicture());
    return picture;
}
