#pragma once

#include "base/DateTime.h"

#include <QString>
#include <optional>

// How values are spelled in the settings file.
namespace SettingsCodec {

// Decimal, or hexadecimal after "0x", "0X" or "$", with an optional sign.
// Anything else, the empty text included, or a number outside 32 bits: empty.
std::optional<qint32> ParseInteger(const QString &text);
QString FormatInteger(qint32 value);

// The locale's short date with a four-digit year (a two-digit year would
// read back a century early).
QString DateFormat();

// Times and moments are written in the locale's way, with seconds, and with
// milliseconds when there are any, so that the same installation reads back
// exactly the value it wrote; a time of day in whole minutes has the
// locale's short form, hours and minutes alone. Where a locale's form does not read back, the
// ISO form is written instead. Hand-written forms such as "9:30" are read.
QString FormatTime(TDateTime timeOfDay);
std::optional<TDateTime> ParseTime(const QString &text);

// One form in every locale, ISO 8601 with milliseconds
// ("2026-12-07T14:03:27.125"); the locale's forms of earlier versions and
// of hand-written files are read too.
QString FormatDateTime(TDateTime value);
std::optional<TDateTime> ParseDateTime(const QString &text);

} // namespace SettingsCodec
