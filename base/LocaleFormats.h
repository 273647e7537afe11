#pragma once

#include "base/DateTime.h"

#include <QString>
#include <optional>

// Date and time text in the user's locale (the default QLocale), and the
// program-wide long time format: hours, minutes and seconds in the locale's
// way until the first editable time label switches it to the locale's short
// time format; from then on every time shown or logged has no seconds.
class TLocaleFormats {
public:
    static QString ShortDateFormat();
    // Hours and minutes, never seconds.
    static QString ShortTimeFormat();
    // The short time format with seconds after the minutes. Qt's own long
    // formats carry a zone name, which changes with the season and which no
    // time parser reads back.
    static QString SecondsTimeFormat();
    static QString LongTimeFormat();
    static QChar TimeSeparator();

    static void UseShortTimeFormat();
    // Back to the start-up state; for tests.
    static void ResetTimeFormat();

    static QString TimeToStr(TDateTime value);
    static QString DateToStr(TDateTime value);
    // Short date, then the long time unless the value is exactly midnight.
    static QString DateTimeToStr(TDateTime value);

    // The time-of-day parser of the editable time label: an hour, optionally
    // the separator and minutes, optionally the separator and seconds, with
    // an optional AM/PM marker before or after. Empty when invalid. With
    // allowMilliseconds, the seconds may carry "." and up to three digits.
    static std::optional<TDateTime> StrToTime(const QString &text, bool allowMilliseconds = false);
    // As StrToTime, but failing with "'%s' is not a valid time".
    static TDateTime StrToTimeOrThrow(const QString &text);
};
