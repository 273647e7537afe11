#include "settings/SettingsCodec.h"

#include "base/LocaleFormats.h"

#include <QLocale>

namespace SettingsCodec {

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
    if (text.isEmpty())
        return std::nullopt;
    for (QChar c : text)
        if (c.unicode() > 127) // toULongLong would take other scripts' digits
            return std::nullopt;
    bool ok = false;
    const qulonglong magnitude = text.toULongLong(&ok, base);
    if (!ok)
        return std::nullopt;
    if (base == 16) {
        // Hexadecimal names the 32 bits: $FFFFFFFF is -1.
        if (magnitude > 0xFFFFFFFFull)
            return std::nullopt;
        const auto bits = static_cast<qint32>(static_cast<quint32>(magnitude));
        return negative ? static_cast<qint32>(0u - static_cast<quint32>(bits)) : bits;
    }
    const qint64 value = negative ? -qint64(magnitude) : qint64(magnitude);
    if (magnitude > 0x80000000ull || value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<qint32>(value);
}

QString FormatInteger(qint32 value) { return QString::number(value); }

QString DateFormat()
{
    QString format = TLocaleFormats::ShortDateFormat();
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString TimeFormat()
{
    QString format = TLocaleFormats::ShortTimeFormat();
    if (format.contains(u's'))
        return format;
    const qsizetype lastMinute = format.lastIndexOf(u'm');
    if (lastMinute < 0)
        return format;
    format.insert(lastMinute + 1, QString(TLocaleFormats::TimeSeparator()) + QLatin1String("ss"));
    return format;
}

QString FormatTime(TDateTime timeOfDay)
{
    return QLocale().toString(DateTimeToQTime(timeOfDay), TimeFormat());
}

std::optional<TDateTime> ParseTime(const QString &input)
{
    const QString text = input.trimmed();
    const QTime exact = QLocale().toTime(text, TimeFormat());
    if (exact.isValid())
        return TimeToDateTime(exact);
    // Hand-written forms such as "9:30" or "14".
    return TLocaleFormats::StrToTime(text);
}

QString FormatDateTime(TDateTime value)
{
    const QDateTime moment = DateTimeToQDateTime(value);
    QString text = QLocale().toString(moment.date(), DateFormat());
    if (moment.time().msecsSinceStartOfDay() != 0)
        text += u' ' + QLocale().toString(moment.time(), TimeFormat());
    return text;
}

std::optional<TDateTime> ParseDateTime(const QString &input)
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const QLocale locale;
    const QDateTime exact = locale.toDateTime(text, DateFormat() + u' ' + TimeFormat());
    if (exact.isValid())
        return QDateTimeToDateTime(exact);
    const QDate dateOnly = locale.toDate(text, DateFormat());
    if (dateOnly.isValid())
        return DateToDateTime(dateOnly);
    // A date followed by a hand-written time; the date itself may hold blanks.
    for (qsizetype blank = text.lastIndexOf(u' '); blank > 0; blank = text.lastIndexOf(u' ', blank - 1)) {
        const QDate date = locale.toDate(text.left(blank).trimmed(), DateFormat());
        if (!date.isValid())
            continue;
        if (auto time = TLocaleFormats::StrToTime(text.mid(blank + 1)))
            return DateToDateTime(date) + *time;
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace SettingsCodec
