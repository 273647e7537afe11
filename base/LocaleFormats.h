#pragma once

#include "base/DateTime.h"

#include <QString>
#include <optional>

// Date and time text in the user's locale (the default QLocale), and the
// program-wide long time format: the locale's long time format (without a
// time zone name) until the first editable time label switches it to the
// locale's short time format; from then on every time shown or logged has
// no seconds.
class TLocaleFormats {
public:
    static QString ShortDateFormat();
    static QString ShortTimeFormat();
    static QString LongTimeFormat();
    static QChar TimeSeparator();

    static void UseShortTimeFormat();
    static bool UsesShortTimeFormat();
    // Back to the start-up state; for tests.
    static void ResetTimeFormat();

    static QString TimeToStr(TDateTime value);
    static QString DateToStr(TDateTime value);
    // Short date, then the long time unless the value is exactly midnight.
    static QString DateTimeToStr(TDateTime value);

    // The time-of-day parser of the editable time label: an hour, optionally
    // the separator and minutes, optionally the separator and seconds, with
    // an optional AM/PM marker before or after. Empty when invalid.
    static std::optional<TDateTime> StrToTime(const QString &text);
    // As StrToTime, but failing with "'%s' is not a valid time".
    static TDateTime StrToTimeOrThrow(const QString &text);
};

// Removes the letters of one format token (outside quotes) and tidies the
// blanks that surrounded it.
QString RemoveFormatToken(const QString &format, QChar token);
