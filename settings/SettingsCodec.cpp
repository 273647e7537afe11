#include "settings/SettingsCodec.h"

#include "base/LocaleFormats.h"

#include <QLocale>

namespace SettingsCodec {

namespace {
bool IsDigitOf(QChar c, int base)
{
    if (c >= u'0' && c <= u'9')
        return true;
    return base == 16 && ((c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'));
}

// The seconds format with milliseconds after the seconds.
QString MillisecondsTimeFormat()
{
    QString format = TLocaleFormats::SecondsTimeFormat();
    const qsizetype lastSecond = format.lastIndexOf(u's');
    if (lastSecond >= 0)
        format.insert(lastSecond + 1, QLatin1String(".zzz"));
    return format;
}

QString LocaleTimeText(const QTime &time)
{
    return QLocale().toString(time,
                              time.msec() ? MillisecondsTimeFormat() : TLocaleFormats::SecondsTimeFormat());
}

// Our own parser, not QLocale::toTime: Qt 6.4's reads past the end of its
// buffer on some locales' AM/PM texts (seen with ee_GH under AddressSanitizer).
std::optional<QTime> ParseLocaleTime(const QString &text)
{
    if (auto time = TLocaleFormats::StrToTime(text, true))
        return DateTimeToQTime(*time);
    const QTime iso = QTime::fromString(text, Qt::ISODateWithMs);
    if (iso.isValid())
        return iso;
    return std::nullopt;
}

QString IsoTimeText(const QTime &time) { return time.toString(QStringLiteral("HH:mm:ss.zzz")); }
} // namespace

std::optional<qint32> ParseInteger(const QString &input)
{
    QString text = input.trimmed();
    bool negative = false;
    if (text.startsWith(u'-') || text.startsWith(u'+')) {
        negative = text.front() == u'-';
        text.remove(0, 1);
    }
    int base = 10;
    if (text.startsWith(u'$')) {
        base = 16;
        text.remove(0, 1);
    } else if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        text.remove(0, 2);
    }
    if (text.isEmpty() || text.size() > 20)
        return std::nullopt;
    for (QChar c : text)
        if (!IsDigitOf(c, base))
            return std::nullopt;
    bool ok = false;
    const qulonglong magnitude = text.toULongLong(&ok, base);
    if (!ok)
        return std::nullopt;
    if (base == 16) {
        // Hexadecimal names the 32 bits: $FFFFFFFF is -1.
        if (magnitude > 0xFFFFFFFFull)
            return std::nullopt;
        const auto bits = static_cast<quint32>(magnitude);
        return static_cast<qint32>(negative ? 0u - bits : bits);
    }
    if (magnitude > (negative ? 0x80000000ull : 0x7FFFFFFFull))
        return std::nullopt;
    return static_cast<qint32>(negative ? -qint64(magnitude) : qint64(magnitude));
}

QString FormatInteger(qint32 value) { return QString::number(value); }

QString DateFormat()
{
    QString format = TLocaleFormats::ShortDateFormat();
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString FormatTime(TDateTime timeOfDay)
{
    const QTime time = DateTimeToQTime(timeOfDay);
    const TDateTime value = TimeToDateTime(time);
    // Whole minutes read as the user sees them everywhere else.
    if (time.second() == 0 && time.msec() == 0) {
        const QString minutes = QLocale().toString(time, TLocaleFormats::ShortTimeFormat());
        if (ParseTime(minutes) == value)
            return minutes;
    }
    const QString text = LocaleTimeText(time);
    return ParseTime(text) == value ? text : IsoTimeText(time);
}

std::optional<TDateTime> ParseTime(const QString &text)
{
    if (auto time = ParseLocaleTime(text.trimmed()))
        return TimeToDateTime(*time);
    return std::nullopt;
}

QString FormatDateTime(TDateTime value)
{
    // Date and time apart: a moment in the hour skipped by a clock change
    // has no local QDateTime, but it is still a moment to write. One form
    // for every locale: a date in the locale's form can read back as another
    // day under the next one ("05/01/2027" is 5 January in Britain, 1 May in
    // the US).
    const QDate date = DateTimeToQDate(value);
    const QTime time = DateTimeToQTime(value);
    return date.toString(Qt::ISODate) + u'T' + IsoTimeText(time);
}

std::optional<TDateTime> ParseDateTime(const QString &input)
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    if (text.size() >= 10 && (text.size() == 10 || text[10] == u'T')) {
        const QDate iso = QDate::fromString(text.left(10), Qt::ISODate);
        if (iso.isValid()) {
            if (text.size() == 10)
                return DateToDateTime(iso);
            const QTime time = QTime::fromString(text.mid(11), Qt::ISODateWithMs);
            return time.isValid() ? std::optional(CombineDateTime(iso, time)) : std::nullopt;
        }
    }
    const QLocale locale;
    const QDate dateOnly = locale.toDate(text, DateFormat());
    if (dateOnly.isValid())
        return DateToDateTime(dateOnly);
    // A date, a blank and a time; the date itself may hold blanks.
    for (qsizetype blank = text.lastIndexOf(u' '); blank > 0; blank = text.lastIndexOf(u' ', blank - 1)) {
        const QDate date = locale.toDate(text.left(blank).trimmed(), DateFormat());
        if (!date.isValid())
            continue;
        if (auto time = ParseLocaleTime(text.mid(blank + 1).trimmed()))
            return CombineDateTime(date, *time);
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace SettingsCodec
