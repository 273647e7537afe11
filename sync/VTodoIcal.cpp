#include "sync/VTodoIcal.h"

#include "sync/VTodo.h"

#include <QCoreApplication>
#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace VTodoIcal {

namespace {
QString Tr(const char *text) { return QCoreApplication::translate("VTodo", text); }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// Calls visit(line) for every line of the text unfolded. A line ends at LF
// (a CR before it is dropped); a line that starts with a space or a tab
// continues the one before it. The text ends at its first NUL, as it does
// for libical.
template <typename TVisit> void ForEachLine(const QByteArray &text, TVisit visit)
{
    qsizetype end = text.indexOf('\0');
    if (end < 0)
        end = text.size();
    QByteArray line;
    bool have = false;
    qsizetype start = 0;
    while (start < end) {
        qsizetype feed = text.indexOf('\n', start);
        if (feed < 0 || feed > end)
            feed = end;
        qsizetype stop = feed;
        if (stop > start && text[stop - 1] == '\r')
            --stop;
        const char *data = text.constData() + start;
        const qsizetype size = stop - start;
        if (have && size > 0 && (data[0] == ' ' || data[0] == '\t')) {
            line.append(data + 1, size - 1);
        } else {
            if (have)
                visit(line);
            line = QByteArray(data, size);
            have = true;
        }
        start = feed + 1;
    }
    if (have)
        visit(line);
}

// What libical takes for the line's name: everything before the first ';'
// or ':', less the blanks at its end.
QByteArrayView LineName(QByteArrayView line)
{
    qsizetype end = 0;
    while (end < line.size() && line[end] != ':' && line[end] != ';')
        ++end;
    if (end == line.size())
        return {};
    while (end > 0 && IsBlank(line[end - 1]))
        --end;
    return line.first(end);
}

bool NameIs(QByteArrayView name, const char *word) { return name.compare(word, Qt::CaseInsensitive) == 0; }

// The component name a BEGIN or END line gives.
QByteArray ComponentName(const QByteArray &line)
{
    const qsizetype colon = line.indexOf(':');
    return colon < 0 ? QByteArray() : line.mid(colon + 1).trimmed().toUpper();
}

// libical writes a list of texts back with their escaped commas bare, so a
// category "a,b" would come back as two; such lines are kept as text.
bool IsListOfTexts(QByteArrayView name) { return NameIs(name, "CATEGORIES") || NameIs(name, "RESOURCES"); }

// Sets aside the lines of VCALENDAR and its VTODO that libical would drop
// or change (components it cannot name, properties it does not know, lists
// of texts) and returns the
// rest, unfolded, for libical to read.
QByteArray SetAside(const QByteArray &object, TKeptLines &kept)
{
    QByteArray rest;
    rest.reserve(object.size());
    QList<QByteArray> open; // names of the components open at this line
    qsizetype blockDepth = -1;
    QList<QByteArray> block;
    bool blockInTodo = false;
    ForEachLine(object, [&](const QByteArray &line) {
        const QByteArrayView name = LineName(line);
        const bool begin = NameIs(name, "BEGIN");
        const bool end = NameIs(name, "END");
        if (blockDepth >= 0) {
            block << line;
            if (begin)
                open << ComponentName(line);
            else if (end)
                open.removeLast();
            if (open.size() == blockDepth) {
                (blockInTodo ? kept.TodoComponents : kept.CalendarComponents) << block;
                block.clear();
                blockDepth = -1;
            }
            return;
        }
        const bool inCalendar = open.size() == 1 && open[0] == "VCALENDAR";
        const bool inTodo = open.size() == 2 && open[0] == "VCALENDAR" && open[1] == "VTODO";
        if (begin) {
            const QByteArray component = ComponentName(line);
            const icalcomponent_kind kind = icalcomponent_string_to_kind(component.constData());
            if ((inCalendar || inTodo) && (kind == ICAL_NO_COMPONENT || kind == ICAL_X_COMPONENT)) {
                blockDepth = open.size();
                blockInTodo = inTodo;
                block = {line};
                open << component;
                return;
            }
            open << component;
        } else if (end) {
            if (!open.isEmpty())
                open.removeLast();
        } else if ((inCalendar || inTodo) && !name.isEmpty() &&
                   ((!(name.size() >= 2 && qstrnicmp(name.data(), "X-", 2) == 0) &&
                     icalproperty_string_to_kind(name.toByteArray().constData()) == ICAL_NO_PROPERTY) ||
                    IsListOfTexts(name))) {
            (inTodo ? kept.TodoProperties : kept.CalendarProperties) << line;
            return;
        }
        rest += line;
        rest += "\r\n";
    });
    return rest;
}

void AppendFolded(QByteArray &out, const QList<QByteArray> &lines)
{
    for (const QByteArray &line : lines)
        out += FoldLine(line);
}

// Whether converting a time in this zone stays cheap: libical expands every
// rule of the zone up to the year asked for, so only yearly rules with a few
// occurrences a year, a few of them, are taken.
bool IsModestZone(icaltimezone *zone)
{
    icalcomponent *component = icaltimezone_get_component(zone);
    if (!component)
        return false;
    int rules = 0;
    for (icalcomponent *part : Components(component, ICAL_ANY_COMPONENT)) {
        for (icalproperty *property : Properties(part, ICAL_RRULE_PROPERTY)) {
            const icalrecurrencetype rule = icalproperty_get_rrule(property);
            const auto count = [](const short *list, int size) {
                int n = 0;
                while (n < size && list[n] != ICAL_RECURRENCE_ARRAY_MAX)
                    ++n;
                return n;
            };
            if (++rules > 8 || rule.freq != ICAL_YEARLY_RECURRENCE || rule.interval < 1 ||
                count(rule.by_second, ICAL_BY_SECOND_SIZE) || count(rule.by_minute, ICAL_BY_MINUTE_SIZE) ||
                count(rule.by_hour, ICAL_BY_HOUR_SIZE) || count(rule.by_year_day, ICAL_BY_YEARDAY_SIZE) ||
                count(rule.by_week_no, ICAL_BY_WEEKNO_SIZE) || count(rule.by_month, ICAL_BY_MONTH_SIZE) > 1 ||
                count(rule.by_day, ICAL_BY_DAY_SIZE) > 7 ||
                count(rule.by_month_day, ICAL_BY_MONTHDAY_SIZE) > 7 ||
                count(rule.by_set_pos, ICAL_BY_SETPOS_SIZE) > 1)
                return false;
        }
    }
    return true;
}
} // namespace

void InitLibical()
{
    static const bool done = [] {
        icalerror_set_errors_are_fatal(0);
        // Parameters libical does not know (a client's own) are kept rather
        // than dropped.
        ical_set_unknown_token_handling_setting(ICAL_ASSUME_IANA_TOKEN);
        return true;
    }();
    Q_UNUSED(done);
}

int NestingDepth(const QByteArray &object)
{
    // A BEGIN counts however it is spaced, an END only in its plain form:
    // the count is never below libical's.
    int depth = 0;
    int deepest = 0;
    ForEachLine(object, [&](const QByteArray &line) {
        qsizetype first = 0;
        while (first < line.size() && IsBlank(line[first]))
            ++first;
        if (NameIs(LineName(QByteArrayView(line).sliced(first)), "BEGIN")) {
            deepest = std::max(deepest, ++depth);
        } else if (line.size() > 3 && (line[3] == ':' || line[3] == ';') &&
                   NameIs(QByteArrayView(line).first(3), "END")) {
            depth = std::max(0, depth - 1);
        }
    });
    return deepest;
}

QString ParseCalendarObject(const QByteArray &object, TParsedObject &parsed, bool keepUnknown)
{
    parsed = TParsedObject();
    if (object.size() > MaxCalendarObjectBytes)
        return Tr("The calendar object is larger than %1 bytes.").arg(MaxCalendarObjectBytes);
    if (NestingDepth(object) > MaxCalendarNesting)
        return Tr("The calendar object nests components more than %1 deep.").arg(MaxCalendarNesting);
    InitLibical();
    TKeptLines kept;
    // An owned copy: libical reads up to a NUL, which raw data need not have.
    const QByteArray text =
        keepUnknown ? SetAside(object, kept) : QByteArray(object.constData(), object.size());
    TComponentPtr root(icalparser_parse_string(text.constData()));
    icalerror_clear_errno();
    if (!root)
        return Tr("The item is not an iCalendar object.");
    if (icalcomponent_isa(root.get()) != ICAL_VCALENDAR_COMPONENT)
        return Tr("The item is not one iCalendar object (VCALENDAR).");
    const QList<icalcomponent *> todos = Components(root.get(), ICAL_VTODO_COMPONENT);
    if (todos.isEmpty())
        return Tr("The calendar object holds no task (VTODO).");
    if (todos.size() > 1)
        return Tr("The calendar object holds more than one task (VTODO).");
    parsed.Todo = todos.first();
    parsed.Calendar = std::move(root);
    parsed.Kept = std::move(kept);
    return QString();
}

std::optional<QByteArray> TodoTextValue(const QByteArray &object, const char *name)
{
    std::optional<QByteArray> found;
    QList<QByteArray> open;
    ForEachLine(object, [&](const QByteArray &line) {
        const QByteArrayView lineName = LineName(line);
        if (found) {
            return;
        } else if (NameIs(lineName, "BEGIN")) {
            open << ComponentName(line);
            return;
        } else if (NameIs(lineName, "END")) {
            if (!open.isEmpty())
                open.removeLast();
            return;
        }
        if (open.size() != 2 || open[0] != "VCALENDAR" || open[1] != "VTODO" || !NameIs(lineName, name))
            return;
        bool quoted = false;
        qsizetype at = lineName.size();
        while (at < line.size() && (line[at] != ':' || quoted)) {
            if (line[at] == '"')
                quoted = !quoted;
            ++at;
        }
        if (at == line.size())
            return;
        QByteArray value;
        value.reserve(line.size() - at);
        for (qsizetype i = at + 1; i < line.size(); ++i) {
            const char c = line[i];
            const char next = i + 1 < line.size() ? line[i + 1] : '\0';
            if (c != '\\' || next == '\0') {
                value += c;
            } else {
                ++i;
                if (next == 'n' || next == 'N')
                    value += '\n';
                else if (next == '\\' || next == ',' || next == ';')
                    value += next;
                else
                    value.append(c).append(next);
            }
        }
        found = value;
    });
    return found;
}

QByteArray EscapeText(const QByteArray &text)
{
    QByteArray escaped;
    escaped.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        if (c == '\n')
            escaped += "\\n";
        else if (c == '\\' || c == ',' || c == ';')
            escaped.append('\\').append(c);
        else
            escaped += c;
    }
    return escaped;
}

QByteArray Serialise(icalcomponent *calendar, const TKeptLines &kept)
{
    char *text = icalcomponent_as_ical_string_r(calendar);
    QByteArray plain(text ? text : "");
    std::free(text);
    // Folded again here, so no line is split inside a character whatever
    // libical does. libical writes each BEGIN and END as a plain line in
    // capitals: kept properties go right after the BEGIN, kept components
    // right before the END.
    plain.replace("\r\n ", "").replace("\r\n\t", "");
    QByteArray out;
    out.reserve(plain.size() + plain.size() / 16 + 64);
    int depth = 0;
    bool inTodo = false;
    for (qsizetype start = 0, end = 0; start < plain.size(); start = end + 2) {
        end = plain.indexOf("\r\n", start);
        if (end < 0)
            end = plain.size();
        const QByteArrayView line = QByteArrayView(plain).sliced(start, end - start);
        if (line.isEmpty())
            continue;
        if (line.startsWith("END:")) {
            if (depth == 2 && inTodo) {
                AppendFolded(out, kept.TodoComponents);
                inTodo = false;
            } else if (depth == 1) {
                AppendFolded(out, kept.CalendarComponents);
            }
            --depth;
        }
        out += FoldLine(line.toByteArray());
        if (line.startsWith("BEGIN:")) {
            ++depth;
            if (depth == 1) {
                AppendFolded(out, kept.CalendarProperties);
            } else if (depth == 2 && line == QByteArrayView("BEGIN:VTODO")) {
                AppendFolded(out, kept.TodoProperties);
                inTodo = true;
            }
        }
    }
    return out;
}

QByteArray FoldLine(const QByteArray &line)
{
    QByteArray out;
    out.reserve(line.size() + line.size() / 24 + 8);
    qsizetype at = 0;
    bool first = true;
    for (;;) {
        const qsizetype room = first ? 75 : 74; // a continuation starts with a space
        if (!first)
            out += ' ';
        if (line.size() - at <= room) {
            out += QByteArrayView(line).sliced(at);
            out += "\r\n";
            return out;
        }
        qsizetype cut = at + room;
        while (cut > at && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut; // never between the bytes of one character
        if (cut == at)
            cut = at + room; // not UTF-8 at all
        out += QByteArrayView(line).sliced(at, cut - at);
        out += "\r\n";
        at = cut;
        first = false;
    }
}

void RemoveParserNotes(icalcomponent *component)
{
    RemoveProperties(component, ICAL_XLICERROR_PROPERTY);
    for (icalcomponent *child : Components(component, ICAL_ANY_COMPONENT))
        RemoveParserNotes(child);
}

icaltimetype UtcTime(TDateTime local)
{
    const QDateTime utc = DateTimeToQDateTime(local).toUTC();
    icaltimetype time = icaltime_null_time();
    time.year = utc.date().year();
    time.month = utc.date().month();
    time.day = utc.date().day();
    time.hour = utc.time().hour();
    time.minute = utc.time().minute();
    time.second = utc.time().second();
    time.zone = icaltimezone_get_utc_timezone();
    return time;
}

icaltimetype DateValue(TDateTime local)
{
    const QDate date = DateTimeToQDate(local);
    icaltimetype time = icaltime_null_date();
    time.year = date.year();
    time.month = date.month();
    time.day = date.day();
    return time;
}

std::optional<QDateTime> LocalMoment(icalproperty *property, icaltimetype value, icalcomponent *calendar)
{
    if (icaltime_is_null_time(value))
        return std::nullopt;
    const QDate date(value.year, value.month, value.day);
    if (!date.isValid())
        return std::nullopt;
    if (value.is_date)
        return QDateTime(date, QTime(0, 0));
    const QTime time(value.hour, value.minute, std::min(value.second, 59)); // a leap second ends its minute
    if (!time.isValid())
        return std::nullopt;
    if (icaltime_is_utc(value))
        return QDateTime(date, time, Qt::UTC).toLocalTime();
    icalparameter *parameter = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
    const char *tzid = parameter ? icalparameter_get_tzid(parameter) : nullptr;
    if (tzid && *tzid) {
        icaltimezone *zone = calendar ? icalcomponent_get_timezone(calendar, tzid) : nullptr;
        if (zone && value.year >= 1800 && value.year <= 2200 && IsModestZone(zone)) {
            icaltimetype wall = value;
            wall.zone = nullptr;
            int daylight = 0;
            const int offset = icaltimezone_get_utc_offset(zone, &wall, &daylight);
            return QDateTime(date, time, Qt::UTC).addSecs(-offset).toLocalTime();
        }
        // Only names the system knows: Qt keeps every zone it was asked for.
        const QByteArray name(tzid);
        const QTimeZone system = QTimeZone::isTimeZoneIdAvailable(name) ? QTimeZone(name) : QTimeZone();
        if (system.isValid())
            return QDateTime(date, time, system).toLocalTime();
    }
    return QDateTime(date, time); // floating: the same wall time everywhere
}

QList<icalproperty *> Properties(icalcomponent *component, icalproperty_kind kind)
{
    QList<icalproperty *> found;
    for (icalproperty *p = icalcomponent_get_first_property(component, kind); p;
         p = icalcomponent_get_next_property(component, kind))
        found << p;
    return found;
}

void RemoveProperties(icalcomponent *component, icalproperty_kind kind)
{
    for (icalproperty *property : Properties(component, kind)) {
        icalcomponent_remove_property(component, property);
        icalproperty_free(property);
    }
}

icalproperty *FindX(icalcomponent *component, const char *name)
{
    for (icalproperty *property : Properties(component, ICAL_X_PROPERTY)) {
        const char *own = icalproperty_get_x_name(property);
        if (own && qstricmp(own, name) == 0)
            return property;
    }
    return nullptr;
}

void RemoveX(icalcomponent *component, const char *name)
{
    while (icalproperty *property = FindX(component, name)) {
        icalcomponent_remove_property(component, property);
        icalproperty_free(property);
    }
}

void SetX(icalcomponent *component, const char *name, const QByteArray &value)
{
    RemoveX(component, name);
    icalproperty *property = icalproperty_new_x(value.constData());
    icalproperty_set_x_name(property, name);
    icalcomponent_add_property(component, property);
}

QByteArray XValue(icalproperty *property)
{
    const icalvalue *value = icalproperty_get_value(property);
    if (!value)
        return QByteArray();
    if (icalvalue_isa(value) == ICAL_X_VALUE) {
        const char *text = icalvalue_get_x(value);
        return QByteArray(text ? text : "");
    }
    char *text = icalvalue_as_ical_string_r(value);
    QByteArray result(text ? text : "");
    std::free(text);
    return result;
}

QList<icalcomponent *> Components(icalcomponent *component, icalcomponent_kind kind)
{
    QList<icalcomponent *> found;
    for (icalcomponent *c = icalcomponent_get_first_component(component, kind); c;
         c = icalcomponent_get_next_component(component, kind))
        found << c;
    return found;
}

} // namespace VTodoIcal
