#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

// A moment is a double counting days since 30 December 1899 in local wall
// time, the fraction being the time of day; 0 means "not set". This is the
// form the data file and the settings carry, so every conversion goes here.
using TDateTime = double;

inline constexpr qint64 MSecsPerDay = 86400000;

TDateTime QDateTimeToDateTime(const QDateTime &moment);
// The moment of that time on that day.
TDateTime CombineDateTime(const QDate &date, const QTime &time);
// The first moment the local wall clock reads the value or later: a time
// in an hour skipped by a clock change is the moment of the jump, a time
// in an hour shown twice its first showing. Invalid beyond what a
// QDateTime holds.
QDateTime DateTimeToQDateTime(TDateTime value);
QDate DateTimeToQDate(TDateTime value);
QTime DateTimeToQTime(TDateTime value);

TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second = 0, int msec = 0);
TDateTime DateToDateTime(const QDate &date);
TDateTime TimeToDateTime(const QTime &time);

// The whole-day part (midnight of that day).
TDateTime DateOf(TDateTime value);
// The time-of-day fraction.
TDateTime TimeOf(TDateTime value);
// Monday = 1 to Sunday = 7.
int DayOfTheWeek(TDateTime value);
