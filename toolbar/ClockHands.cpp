#include "toolbar/ClockHands.h"

#include <QCoreApplication>
#include <QPainter>
#include <cmath>
#include <numbers>

namespace {
constexpr int Centre = 10;
constexpr double Length = 10;
constexpr double HourShortening = 1.3;

// Cuts toward zero. Values that are whole numbers in exact arithmetic come
// out of cos and sin a hair off (10 x sin 30 degrees is 4.999...), and
// cutting that would put the hand a pixel short: they count as whole.
int Cut(double value)
{
    const double whole = std::round(value);
    if (std::abs(value - whole) < 1e-9)
        return int(whole);
    return int(std::trunc(value));
}

// The end of a hand at `degrees` counter-clockwise from three o'clock.
QPoint HandEnd(double degrees, double length)
{
    const double radians = degrees * std::numbers::pi / 180;
    return {Centre + Cut(length * std::cos(radians)), Centre - Cut(length * std::sin(radians))};
}
} // namespace

QPoint MinuteHandEnd(int minute) { return HandEnd(90 - 6.0 * minute, Length); }

QPoint HourHandEnd(int hour, int minute)
{
    return HandEnd(90 - 30 * (hour % 12 + minute / 60.0), Length / HourShortening);
}

QString ClockHint(QTime time)
{
    return QCoreApplication::translate("ClockHands", "%1 - Jotterbox")
        .arg(time.toString(QStringLiteral("h:mm")));
}

QPixmap ClockWithHands(const QPixmap &face, QTime time)
{
    QPixmap picture = face;
    QPainter painter(&picture);
    painter.setPen(QPen(QColor(0, 0, 255), 2));
    const QPoint centre(Centre, Centre);
    painter.drawLine(centre, MinuteHandEnd(time.minute()));
    painter.drawLine(centre, HourHandEnd(time.hour(), time.minute()));
    return picture;
}
