#pragma once

#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QTime>

// The toolbar's little clock: where its hands end on the 20 x 20 face, whose
// centre is (10, 10), and the hint that tells the time in words.

// The minute hand, ten pixels long, for minute 0 to 59.
QPoint MinuteHandEnd(int minute);
// The hour hand, 10 / 1.3 pixels long, for hour 0 to 23; it moves on
// between the hours with the minutes.
QPoint HourHandEnd(int hour, int minute);
// "9:05 - Jotterbox": hours without a leading zero, 24-hour.
QString ClockHint(QTime time);
// A copy of the clean face with both hands drawn on it in pure blue.
QPixmap ClockWithHands(const QPixmap &face, QTime time);
