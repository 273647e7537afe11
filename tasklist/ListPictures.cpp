#include "tasklist/ListPictures.h"

#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <array>

namespace {
const QColor Grey(120, 120, 120);
const QColor Black(0, 0, 0);

// A transparent picture and a painter on it, scaled so the drawing can be
// written in a 16-unit design whatever the size.
struct TCanvas {
    QPixmap Picture;
    QPainter Painter;

    explicit TCanvas(int size, double design = 16) : Picture(Blank(size)), Painter(&Picture)
    {
        Painter.setRenderHint(QPainter::Antialiasing);
        Painter.scale(size / design, size / design);
    }

    static QPixmap Blank(int size)
    {
        QPixmap picture(size, size);
        picture.fill(Qt::transparent);
        return picture;
    }
};

QPixmap Box(QColor ink, bool ticked)
{
    TCanvas canvas(16);
    QPainter &p = canvas.Painter;
    p.setPen(QPen(ink, 1.0));
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(QRectF(2.5, 2.5, 11, 11));
    if (ticked) {
        p.setPen(QPen(ink, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        QPainterPath tick;
        tick.moveTo(5, 8);
        tick.lineTo(7.2, 10.4);
        tick.lineTo(11.2, 5.2);
        p.drawPath(tick);
    }
    p.end();
    return canvas.Picture;
}

QPixmap Bell(QColor ink)
{
    TCanvas canvas(16);
    QPainter &p = canvas.Painter;
    QPainterPath bell;
    bell.moveTo(2.5, 12);
    bell.cubicTo(4.2, 10.5, 4.2, 8.5, 4.4, 6.8);
    bell.cubicTo(4.7, 4.3, 6.2, 3.2, 8, 3.2);
    bell.cubicTo(9.8, 3.2, 11.3, 4.3, 11.6, 6.8);
    bell.cubicTo(11.8, 8.5, 11.8, 10.5, 13.5, 12);
    bell.closeSubpath();
    p.setPen(QPen(ink, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(bell);
    p.drawLine(QPointF(8, 1.4), QPointF(8, 3.2)); // the hanger
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QPointF(8, 13.6), 1.5, 1.3); // the clapper
    p.end();
    return canvas.Picture;
}

QPixmap Exclamation(QColor ink)
{
    TCanvas canvas(16);
    QPainter &p = canvas.Painter;
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    QPainterPath bar; // wider at the top, like a printed mark
    bar.moveTo(6.2, 2);
    bar.lineTo(9.8, 2);
    bar.lineTo(8.9, 10);
    bar.lineTo(7.1, 10);
    bar.closeSubpath();
    p.drawPath(bar);
    p.drawEllipse(QPointF(8, 12.8), 1.6, 1.6);
    p.end();
    return canvas.Picture;
}

QPixmap DownArrow(QColor ink)
{
    TCanvas canvas(16);
    QPainter &p = canvas.Painter;
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    QPainterPath arrow;
    arrow.moveTo(6.4, 2);
    arrow.lineTo(9.6, 2);
    arrow.lineTo(9.6, 8);
    arrow.lineTo(13, 8);
    arrow.lineTo(8, 14);
    arrow.lineTo(3, 8);
    arrow.lineTo(6.4, 8);
    arrow.closeSubpath();
    p.drawPath(arrow);
    p.end();
    return canvas.Picture;
}

// A yellow note turned a little to the left, in a 32-unit design; the small
// one gets fewer, bolder lines so they still read.
QPixmap TiltedNote(int size)
{
    const bool small = size < 24;
    TCanvas canvas(size, 32);
    QPainter &p = canvas.Painter;
    p.translate(16, 16);
    p.rotate(-12);
    const QRectF sheet(-11, -11, 22, 22);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60)); // a soft shadow below and right
    p.drawRect(sheet.translated(1.5, 1.5));
    p.setPen(QPen(QColor(150, 120, 30), small ? 1.6 : 1.0));
    p.setBrush(QColor(255, 236, 110));
    p.drawRect(sheet);
    p.setPen(QPen(small ? QColor(40, 80, 200) : QColor(70, 80, 120), small ? 2.6 : 1.4));
    const QList<double> lengths = small ? QList<double>{16, 16, 9} : QList<double>{16, 14, 16, 9};
    const double spacing = small ? 6 : 4.5;
    for (int i = 0; i < lengths.size(); ++i)
        p.drawLine(QPointF(-8, -6 + i * spacing), QPointF(-8 + lengths[i], -6 + i * spacing));
    p.end();
    return canvas.Picture;
}

QPixmap HelpButton()
{
    TCanvas canvas(19, 19);
    QPainter &p = canvas.Painter;
    QLinearGradient face(0, 0, 0, 19);
    face.setColorAt(0, QColor(196, 208, 226));
    face.setColorAt(1, QColor(132, 152, 184));
    p.setPen(QPen(QColor(70, 88, 120), 1.0));
    p.setBrush(face);
    p.drawRoundedRect(QRectF(0.5, 0.5, 18, 18), 3, 3);
    QPainterPath mark;
    mark.moveTo(6.6, 7.2);
    mark.arcTo(QRectF(6.6, 3.8, 5.8, 5.8), 180, -250);
    mark.quadTo(QPointF(9.5, 10), QPointF(9.5, 12));
    p.setPen(QPen(QColor(255, 255, 255), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(mark);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(QPointF(9.5, 15), 1.3, 1.3);
    p.end();
    return canvas.Picture;
}

QPixmap Draw(TListPicture which)
{
    switch (which) {
    case TListPicture::Checked: return Box(Grey, true);
    case TListPicture::Unchecked: return Box(Grey, false);
    case TListPicture::Ring: return Bell(Grey);
    case TListPicture::HighPriority: return Exclamation(QColor(220, 20, 20));
    case TListPicture::LowPriority: return DownArrow(QColor(30, 90, 220));
    case TListPicture::CheckedBlack: return Box(Black, true);
    case TListPicture::RingBlack: return Bell(Black);
    case TListPicture::Priority: return Exclamation(Black);
    }
    return TCanvas::Blank(16);
}
} // namespace

QPixmap ListPicture(TListPicture which)
{
    // Drawn for every row on every paint, so drawn once.
    static const std::array<QPixmap, 8> pictures = [] {
        std::array<QPixmap, 8> all;
        for (size_t i = 0; i < all.size(); ++i)
            all[i] = Draw(TListPicture(i));
        return all;
    }();
    return pictures[size_t(which)];
}

QPixmap LargeNoteIcon()
{
    static const QPixmap picture = TiltedNote(32);
    return picture;
}

QPixmap ListIconPicture()
{
    static const QPixmap picture = TiltedNote(16);
    return picture;
}

QPixmap HelpButtonPicture()
{
    static const QPixmap picture = HelpButton();
    return picture;
}
