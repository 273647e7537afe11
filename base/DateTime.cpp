#include "base/DateTime.h"

#include <algorithm>
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

namespace {
// The local wall clock at an instant, counted in milliseconds as if it were
// UTC, so that wall readings compare as numbers.
qint64 WallAt(qint64 instant)
{
    return instant + qint64(QDateTime::fromMSecsSinceEpoch(instant).offsetFromUtc()) * 1000;
}

// The instant at which the wall clock would read `wall` with the offset the
// zone has at the instant `probe`.
qint64 WithOffsetAt(qint64 wall, qint64 probe)
{
    return wall - qint64(QDateTime::fromMSecsSinceEpoch(probe).offsetFromUtc()) * 1000;
}
} // namespace

QDateTime DateTimeToQDateTime(TDateTime value)
{
    const QDateTime plain(DateTimeToQDate(value), DateTimeToQTime(value));
    const QDateTime wall(plain.date(), plain.time(), Qt::UTC);
    if (!wall.isValid())
        return {};
    const qint64 target = wall.toMSecsSinceEpoch();
    // The offset a day before tells of a clock change since: set back, the
    // wall time shows twice and Qt takes the later showing; set forward,
    // the time may never show and Qt makes no moment of it.
    const qint64 before = WithOffsetAt(target, target - MSecsPerDay);
    if (plain.isValid()) {
        if (before < plain.toMSecsSinceEpoch() && WallAt(before) == target)
            return QDateTime::fromMSecsSinceEpoch(before);
        return plain;
    }
    // Skipped: between the instants the offsets before and after give, the
    // clock jumps over it once; the first moment it reads later is the jump.
    const qint64 after = WithOffsetAt(target, target + MSecsPerDay);
    qint64 low = std::min(before, after);
    qint64 high = std::max(before, after);
    if (WallAt(low) >= target || WallAt(high) < target)
        return plain;
    while (high - low > 1) {
        const qint64 middle = low + (high - low) / 2;
        if (WallAt(middle) >= target)
            high = middle;
        else
            low = middle;
    }
    return QDateTime::fromMSecsSinceEpoch(high);
}

TDateTime EncodeDate(int year, int month, int day) { return DateToDateTime(QDate(year, month, day)); }

TDateTime EncodeTime(int hour, int minute, int second, int msec)
{
    return TimeToDateTime(QTime(hour, minute, second, msec));
}

TDateTime DateOf(TDateTime value) { return std::trunc(value); }

TDateTime TimeOf(TDateTime value) { return std::fabs(value - std::trunc(value)); }

int DayOfTheWeek(TDateTime value) { return DateTimeToQDate(value).dayOfWeek(); }
