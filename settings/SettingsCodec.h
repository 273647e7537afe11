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

// The locale's short date with a four-digit year, and the locale's short
// time with seconds: forms that the same installation reads back exactly
// (a two-digit year would read back a century early).
QString DateFormat();
QString TimeFormat();

QString FormatTime(TDateTime timeOfDay);
std::optional<TDateTime> ParseTime(const QString &text);

// Date, then the time unless it is exactly midnight.
QString FormatDateTime(TDateTime value);
std::optional<TDateTime> ParseDateTime(const QString &text);

} // namespace SettingsCodec
