#include "base/DateTime.h"

#include <cmath>

namespace {
const QDate Epoch(1899, 12, 30);

qint64 TimeFractionToMSecs(double fraction)
{
    // Round to the millisecond so that a value made from milliseconds
    // converts back to exactly the same milliseconds.
    return std::llround(std::fabs(fraction) * MSecsPerDay);
}
} // namespace

TDateTime DateToDateTime(const QDate &date) { return double(Epoch.daysTo(date)); }

TDateTime TimeToDateTime(const QTime &time)
{
    return double(time.msecsSinceStartOfDay()) / double(MSecsPerDay);
}

TDateTime CombineDateTime(const QDate &date, const QTime &time)
{
    // Before 30 December 1899 the days count below zero while the time of
    // day still counts forward (-1.25 is 29 December, 6:00), so there the
    // time is taken away rather than added.
    const TDateTime day = DateToDateTime(date);
    return day < 0 ? day - TimeToDateTime(time) : day + TimeToDateTime(time);
}

TDateTime QDateTimeToDateTime(const QDateTime &moment)
{
    return CombineDateTime(moment.date(), moment.time());
}

QDate DateTimeToQDate(TDateTime value)
{
    qint64 days = qint64(std::trunc(value));
    qint64 msecs = TimeFractionToMSecs(value - std::trunc(value));
    if (msecs >= MSecsPerDay)
        ++days; // a fraction that rounds up to a whole day belongs to the next
    return Epoch.addDays(days);
}

QTime DateTimeToQTime(TDateTime value)
{
    qint64 msecs = TimeFractionToMSecs(value - std::trunc(value));
    if (msecs >= MSecsPerDay)
        msecs = 0;
    return QTime::fromMSecsSinceStartOfDay(int(msecs));
}

QDateTime DateTimeToQDateTime(TDateTime value)
{
    return QDateTime(DateTimeToQDate(value), DateTimeToQTime(value));
}

TDateTime EncodeDate(int year, int month, int day) { return DateToDateTime(QDate(year, month, day)); }

TDateTime EncodeTime(int hour, int minute, int second, int msec)
{
    return TimeToDateTime(QTime(hour, minute, second, msec));
}

TDateTime DateOf(TDateTime value) { return std::trunc(value); }

TDateTime TimeOf(TDateTime value) { return std::fabs(value - std::trunc(value)); }

int DayOfTheWeek(TDateTime value) { return DateTimeToQDate(value).dayOfWeek(); }
