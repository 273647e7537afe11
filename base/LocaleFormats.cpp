#include "base/LocaleFormats.h"

#include "base/JbxError.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>

namespace {
bool ShortTimeInUse = false;

// The decimal digit (any script, also beyond the 16-bit range: Chakma,
// Adlam) at `at`, and the code units it takes; -1 when there is none.
int DigitAt(const QString &text, qsizetype at, qsizetype &units)
{
    units = 1;
    if (at >= text.size())
        return -1;
    char32_t c = text[at].unicode();
    if (text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
        c = QChar::surrogateToUcs4(text[at], text[at + 1]);
        units = 2;
    }
    return QChar::isDigit(c) ? QChar::digitValue(c) : -1;
}

// Up to `most` digits from `at` on; -1 when there is none.
int NumberAt(const QString &text, qsizetype &at, int most)
{
    int value = -1;
    qsizetype units = 1;
    for (int digit, taken = 0; taken < most && (digit = DigitAt(text, at, units)) >= 0; ++taken, at += units)
        value = std::max(value, 0) * 10 + digit;
    return value;
}

// Parses a run of decimal digits (any script); -1 when empty or not digits.
int ParseNumber(const QString &text)
{
    qsizetype at = 0;
    const int value = NumberAt(text, at, 4);
    return at == text.size() ? value : -1;
}

// Strips an AM/PM marker at the start or the end; returns 0 none, 1 AM, 2 PM.
int TakeMarker(QString &text)
{
    const QLocale locale;
    const QString markers[4] = {locale.amText(), locale.pmText(), QStringLiteral("AM"), QStringLiteral("PM")};
    for (int i = 0; i < 4; ++i) {
        const QString &marker = markers[i];
        if (marker.isEmpty())
            continue;
        int kind = (i % 2 == 0) ? 1 : 2;
        if (text.startsWith(marker, Qt::CaseInsensitive)) {
            text = text.mid(marker.size()).trimmed();
            return kind;
        }
        if (text.endsWith(marker, Qt::CaseInsensitive)) {
            text.chop(marker.size());
            text = text.trimmed();
            return kind;
        }
    }
    return 0;
}

// The AM/PM text at the start of `text` from `at` on: 1 AM, 2 PM, 0 none.
// The locale's own texts and the English ones, the longest that fits.
int MarkerAt(const QString &text, qsizetype &at)
{
    const QLocale locale;
    const QString markers[4] = {locale.amText(), locale.pmText(), QStringLiteral("AM"), QStringLiteral("PM")};
    int kind = 0;
    qsizetype length = 0;
    for (int i = 0; i < 4; ++i) {
        const QString &marker = markers[i];
        if (marker.size() > length && QStringView(text).mid(at).startsWith(marker, Qt::CaseInsensitive)) {
            kind = (i % 2 == 0) ? 1 : 2;
            length = marker.size();
        }
    }
    at += length;
    return kind;
}

void SkipBlanks(const QString &text, qsizetype &at)
{
    while (at < text.size() && text[at].isSpace())
        ++at;
}

// Reads a time written with `format` (a time format of QLocale's kind: h,
// H, m, s, z, AP, ap, A, a and literal text), blanks aside. QLocale's own
// parser is not used: Qt 6.4's reads past the end of its buffer on some
// locales' AM/PM texts.
std::optional<TDateTime> MatchFormat(const QString &text, const QString &format)
{
    int hour = -1;
    int minute = 0;
    int second = 0;
    int msec = 0;
    int marker = 0;
    bool twelveHours = false;
    qsizetype at = 0;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        SkipBlanks(text, at);
        if (c == u'\'') {
            // Quoted literal text; two quotes stand for one.
            qsizetype end = i + 1;
            QString literal;
            while (end < format.size()) {
                if (format[end] == u'\'' && end + 1 < format.size() && format[end + 1] == u'\'') {
                    literal += u'\'';
                    end += 2;
                } else if (format[end] == u'\'') {
                    break;
                } else {
                    literal += format[end++];
                }
            }
            if (end == i + 1 && end < format.size())
                literal = QStringLiteral("'");
            for (QChar wanted : std::as_const(literal)) {
                if (wanted.isSpace())
                    continue;
                SkipBlanks(text, at);
                if (at >= text.size() || text[at].toCaseFolded() != wanted.toCaseFolded())
                    return std::nullopt;
                ++at;
            }
            i = end + 1;
            continue;
        }
        if (c == u'h' || c == u'H') {
            hour = NumberAt(text, at, 2);
            twelveHours = c == u'h';
        } else if (c == u'm') {
            minute = NumberAt(text, at, 2);
        } else if (c == u's') {
            second = NumberAt(text, at, 2);
        } else if (c == u'z') {
            msec = NumberAt(text, at, 3);
        } else if (c == u'a' || c == u'A') {
            if (i + run < format.size() && format[i + run].toLower() == u'p')
                ++run;
            marker = MarkerAt(text, at);
            if (marker == 0)
                return std::nullopt;
        } else if (!c.isSpace()) {
            if (at >= text.size() || text[at].toCaseFolded() != c.toCaseFolded())
                return std::nullopt;
            at += 1;
            i += 1; // each literal character on its own
            continue;
        }
        if (minute < 0 || second < 0 || msec < 0)
            return std::nullopt;
        i += run;
    }
    SkipBlanks(text, at);
    if (at != text.size() || hour < 0)
        return std::nullopt;
    if (marker != 0 && twelveHours) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour = hour % 12 + (marker == 2 ? 12 : 0);
    }
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return EncodeTime(hour, minute, second, msec);
}

// A time format without its seconds and the separator before them; quoted
// text stays as it is.
QString WithoutSeconds(const QString &format)
{
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u's') {
            result += c;
            continue;
        }
        while (i + 1 < format.size() && format[i + 1] == u's')
            ++i;
        while (!result.isEmpty() && !result.back().isLetter() && result.back() != u'\'')
            result.chop(1);
    }
    return result;
}
} // namespace

QString TLocaleFormats::ShortDateFormat() { return QLocale().dateFormat(QLocale::ShortFormat); }

// Hours and minutes in the locale's way: a few locales (C among them) have
// seconds even in their short form, and those go.
QString TLocaleFormats::ShortTimeFormat()
{
    return WithoutSeconds(QLocale().timeFormat(QLocale::ShortFormat));
}

QString TLocaleFormats::SecondsTimeFormat()
{
    QString format = ShortTimeFormat();
    if (format.contains(u's'))
        return format;
    const qsizetype lastMinute = format.lastIndexOf(u'm');
    if (lastMinute >= 0)
        format.insert(lastMinute + 1, QString(TimeSeparator()) + QLatin1String("ss"));
    return format;
}

QString TLocaleFormats::LongTimeFormat() { return ShortTimeInUse ? ShortTimeFormat() : SecondsTimeFormat(); }

QChar TLocaleFormats::TimeSeparator()
{
    const QString format = ShortTimeFormat();
    bool seenHour = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        QChar c = format[i];
        if (c == u'h' || c == u'H') {
            seenHour = true;
            continue;
        }
        if (!seenHour)
            continue;
        if (c == u'\'' && i + 1 < format.size())
            return format[i + 1];
        return c;
    }
    return u':';
}

void TLocaleFormats::UseShortTimeFormat() { ShortTimeInUse = true; }

void TLocaleFormats::ResetTimeFormat() { ShortTimeInUse = false; }

QString TLocaleFormats::TimeToStr(TDateTime value)
{
    return QLocale().toString(DateTimeToQTime(value), LongTimeFormat());
}

QString TLocaleFormats::DateToStr(TDateTime value)
{
    return QLocale().toString(DateTimeToQDate(value), ShortDateFormat());
}

QString TLocaleFormats::DateTimeToStr(TDateTime value)
{
    QString text = DateToStr(value);
    if (DateTimeToQTime(value).msecsSinceStartOfDay() != 0)
        text += u' ' + TimeToStr(value);
    return text;
}

std::optional<TDateTime> TLocaleFormats::StrToTime(const QString &input, bool allowMilliseconds)
{
    // What the program writes itself reads back by the same format, in
    // every locale; then the shorter forms a user types.
    QStringList formats = {LongTimeFormat(), ShortTimeFormat(), SecondsTimeFormat()};
    if (allowMilliseconds) {
        QString withMilliseconds = SecondsTimeFormat();
        if (const qsizetype lastSecond = withMilliseconds.lastIndexOf(u's'); lastSecond >= 0)
            formats << withMilliseconds.insert(lastSecond + 1, QLatin1String(".zzz"));
    }
    for (const QString &format : std::as_const(formats))
        if (const std::optional<TDateTime> time = MatchFormat(input, format))
            return time;
    QString text = input.trimmed();
    const int marker = TakeMarker(text);
    int msec = 0;
    const qsizetype dot = allowMilliseconds ? text.lastIndexOf(u'.') : -1;
    if (dot >= 0 && TimeSeparator() != u'.') {
        const QString fraction = text.mid(dot + 1);
        msec = ParseNumber(fraction);
        if (msec < 0 || fraction.size() > 3)
            return std::nullopt;
        for (qsizetype i = fraction.size(); i < 3; ++i)
            msec *= 10;
        text.truncate(dot);
    }
    const QStringList parts = text.split(TimeSeparator());
    if (parts.isEmpty() || parts.size() > 3)
        return std::nullopt;
    int values[3] = {0, 0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        values[i] = ParseNumber(parts[i].trimmed());
        if (values[i] < 0)
            return std::nullopt;
    }
    int hour = values[0];
    if (marker != 0) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour %= 12; // 12 AM is midnight, 12 PM is noon
        if (marker == 2)
            hour += 12;
    } else if (hour > 23) {
        return std::nullopt;
    }
    if (values[1] > 59 || values[2] > 59 || (msec > 0 && parts.size() < 3))
        return std::nullopt;
    return EncodeTime(hour, values[1], values[2], msec);
}

TDateTime TLocaleFormats::StrToTimeOrThrow(const QString &text)
{
    if (auto value = StrToTime(text))
        return *value;
    throw EJbxError(JbxMessages::InvalidTime(text));
}
