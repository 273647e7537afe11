#include "sync/VTodo.h"

#include "base/Clock.h"
#include "base/TextCodec.h"
#include "model/TTask.h"
#include "model/UnitGlobalProc.h"
#include "sync/VTodoIcal.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDataStream>
#include <QIODevice>
#include <cmath>

using namespace VTodoIcal;

namespace {
const char *const ProductId = "-//Jotterbox//Jotterbox//EN";
const char *const XKey = "X-JOTTERBOX-KEY";
// The exact moment behind LAST-MODIFIED (which holds whole seconds), and
// behind our alarm's trigger, so a task read back equals the one written.
const char *const XModified = "X-JOTTERBOX-MODIFIED";
const char *const XReminder = "X-JOTTERBOX-REMINDER";
const char *const XReminderTime = "X-JOTTERBOX-REMINDER-TIME";
const char *const XFontName = "X-JOTTERBOX-FONT-NAME";

struct TIntField {
    const char *Name;
    qint32 TTask::*Field;
};
const TIntField IntFields[] = {
    {"X-JOTTERBOX-COLOR", &TTask::Color},        {"X-JOTTERBOX-FONT-COLOR", &TTask::FontColor},
    {"X-JOTTERBOX-LEFT", &TTask::Left},          {"X-JOTTERBOX-TOP", &TTask::Top},
    {"X-JOTTERBOX-WIDTH", &TTask::Width},        {"X-JOTTERBOX-HEIGHT", &TTask::Height},
    {"X-JOTTERBOX-FONT-SIZE", &TTask::FontSize},
};

struct TBoolField {
    const char *Name;
    bool TTask::*Field;
};
const TBoolField BoolFields[] = {
    {"X-JOTTERBOX-FONT-BOLD", &TTask::FontBold},
    {"X-JOTTERBOX-FONT-ITALIC", &TTask::FontItalic},
    {"X-JOTTERBOX-OPEN", &TTask::NoteOpen},
    {"X-JOTTERBOX-ROLLED-UP", &TTask::RolledUp},
};

// Moments the item can carry: libical writes years 1 to 3000, and the day
// must stay within them in UTC as well (3 January 1 to 30 December 3000).
bool IsMoment(TDateTime value) { return std::isfinite(value) && value >= -693591 && value < 402132; }

QByteArray Exact(TDateTime value) { return QByteArray::number(value, 'g', 17); }

std::optional<TDateTime> ReadExact(const QByteArray &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && IsMoment(value) ? std::optional<TDateTime>(value) : std::nullopt;
}

QString Tr(const char *text) { return QCoreApplication::translate("VTodo", text); }

// Whole seconds since 1970, rounded down as a written time drops them.
qint64 Seconds(const QDateTime &moment)
{
    const qint64 msecs = moment.toMSecsSinceEpoch();
    return msecs >= 0 ? msecs / 1000 : -((-msecs + 999) / 1000);
}

qint64 Seconds(TDateTime local) { return Seconds(DateTimeToQDateTime(local)); }

// The exact moment stored beside a whole-second one, when it still belongs
// to it (no other client changed the second one since).
TDateTime Refined(TDateTime seconds, icalproperty *exact)
{
    if (!exact)
        return seconds;
    const std::optional<TDateTime> value = ReadExact(XValue(exact));
    return value && Seconds(*value) == Seconds(seconds) ? *value : seconds;
}

// The text as iCalendar carries it: decoded, up to a NUL, lines ending LF.
QString IcalText(const QByteArray &bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    QString text = DecodeText(nul < 0 ? bytes : bytes.left(nul));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

// A text value of an item as the task stores text: UTF-8, lines ending CR LF.
QByteArray TaskText(const QByteArray &value)
{
    QString text = DecodeText(value);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(u'\n', QStringLiteral("\r\n"));
    return EncodeText(text);
}

// A font name as it travels and as it is kept: UTF-8, without the carriage
// returns no value can carry.
QByteArray FontNameText(const QByteArray &bytes)
{
    return EncodeText(DecodeText(bytes)).replace('\r', QByteArray());
}

QByteArray Subject(const QString &icalText) { return FirstNonBlankLine(EncodeText(icalText)); }

QByteArray XValueOf(icalcomponent *component, const char *name)
{
    icalproperty *property = FindX(component, name);
    return property ? XValue(property) : QByteArray();
}

// A DATE or DATE-TIME property's local moment.
std::optional<QDateTime> TimeProperty(icalcomponent *todo, icalproperty_kind kind, icalcomponent *calendar)
{
    icalproperty *property = icalcomponent_get_first_property(todo, kind);
    const icalvalue *value = property ? icalproperty_get_value(property) : nullptr;
    if (!value)
        return std::nullopt;
    switch (icalvalue_isa(value)) {
    case ICAL_DATE_VALUE: return LocalMoment(property, icalvalue_get_date(value), calendar);
    case ICAL_DATETIME_VALUE: return LocalMoment(property, icalvalue_get_datetime(value), calendar);
    default: return std::nullopt;
    }
}

std::optional<QDateTime> TriggerMoment(icalcomponent *alarm, icalcomponent *calendar)
{
    icalproperty *trigger = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
    if (!trigger)
        return std::nullopt;
    const icaltriggertype value = icalproperty_get_trigger(trigger);
    if (icaltime_is_null_time(value.time))
        return std::nullopt; // relative to the start or due moment
    return LocalMoment(trigger, value.time, calendar);
}

// The alarm that carries the reminder: ours, else the first at a fixed moment.
icalcomponent *ReminderAlarm(icalcomponent *todo, icalcomponent *calendar)
{
    icalcomponent *fixed = nullptr;
    for (icalcomponent *alarm : Components(todo, ICAL_VALARM_COMPONENT)) {
        if (FindX(alarm, XReminder))
            return alarm;
        if (!fixed && TriggerMoment(alarm, calendar))
            fixed = alarm;
    }
    return fixed;
}

qint32 PriorityClass(int value)
{
    if (value >= 1 && value <= 4)
        return TTask::PriorityHigh;
    if (value >= 6 && value <= 9)
        return TTask::PriorityLow;
    return TTask::PriorityNormal;
}

int IcalPriority(qint32 priority)
{
    return priority == TTask::PriorityHigh ? 1 : priority == TTask::PriorityLow ? 9 : 5;
}

void Replace(icalcomponent *component, icalproperty_kind kind, icalproperty *property)
{
    RemoveProperties(component, kind);
    if (property)
        icalcomponent_add_property(component, property);
}

icalproperty *UtcProperty(icalproperty *(*make)(icaltimetype), TDateTime local)
{
    return local != 0 && IsMoment(local) ? make(UtcTime(local)) : nullptr;
}

// Summary and description go out as lines of our own, beside libical's.
void WriteText(const TTask &task, icalcomponent *todo, TKeptLines &lines)
{
    RemoveProperties(todo, ICAL_SUMMARY_PROPERTY);
    RemoveProperties(todo, ICAL_DESCRIPTION_PROPERTY);
    const QString text = IcalText(task.Text);
    const QByteArray subject = Subject(text);
    if (!subject.isEmpty())
        lines.TodoProperties << "SUMMARY:" + EscapeText(subject);
    if (!text.isEmpty())
        lines.TodoProperties << "DESCRIPTION:" + EscapeText(text.toUtf8());
}

void WriteDue(const TTask &task, icalcomponent *todo, icalcomponent *calendar, bool keepTheirs)
{
    // A DUE of another client that falls on the same day keeps its time.
    const std::optional<QDateTime> before = TimeProperty(todo, ICAL_DUE_PROPERTY, calendar);
    const bool due = task.DueDate != 0 && IsMoment(task.DueDate);
    if (keepTheirs && due && before && before->date() == DateTimeToQDate(task.DueDate))
        return;
    Replace(todo, ICAL_DUE_PROPERTY, due ? icalproperty_new_due(DateValue(task.DueDate)) : nullptr);
}

void WritePriority(const TTask &task, icalcomponent *todo)
{
    // Another client's finer grade stays while it means the same.
    icalproperty *before = icalcomponent_get_first_property(todo, ICAL_PRIORITY_PROPERTY);
    if (before &&
        PriorityClass(icalproperty_get_priority(before)) == PriorityClass(IcalPriority(task.Priority)))
        return;
    Replace(todo, ICAL_PRIORITY_PROPERTY, icalproperty_new_priority(IcalPriority(task.Priority)));
}

void WriteFinished(const TTask &task, icalcomponent *todo)
{
    icalproperty *status = icalcomponent_get_first_property(todo, ICAL_STATUS_PROPERTY);
    const icalproperty_status before = status ? icalproperty_get_status(status) : ICAL_STATUS_NONE;
    icalproperty *percent = icalcomponent_get_first_property(todo, ICAL_PERCENTCOMPLETE_PROPERTY);
    if (task.Finished) {
        Replace(todo, ICAL_STATUS_PROPERTY, icalproperty_new_status(ICAL_STATUS_COMPLETED));
        // The moment it was finished stays once it is known.
        if (!icalcomponent_get_first_property(todo, ICAL_COMPLETED_PROPERTY)) {
            const TDateTime when =
                IsMoment(task.Modified) && task.Modified != 0 ? task.Modified : TClock::Now();
            icalcomponent_add_property(todo, icalproperty_new_completed(UtcTime(when)));
        }
        if (percent)
            icalproperty_set_percentcomplete(percent, 100);
        return;
    }
    if (before != ICAL_STATUS_INPROCESS && before != ICAL_STATUS_CANCELLED)
        Replace(todo, ICAL_STATUS_PROPERTY, icalproperty_new_status(ICAL_STATUS_NEEDSACTION));
    RemoveProperties(todo, ICAL_COMPLETED_PROPERTY);
    // Other clients take 100 per cent for finished too.
    if (percent && icalproperty_get_percentcomplete(percent) >= 100)
        RemoveProperties(todo, ICAL_PERCENTCOMPLETE_PROPERTY);
}

icalcomponent *NewAlarm(const TTask &task, const QByteArray &subject)
{
    icalcomponent *alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icalcomponent_add_property(
        alarm, icalproperty_new_description(subject.isEmpty() ? "Reminder" : subject.constData()));
    icaltriggertype trigger;
    trigger.time = UtcTime(task.ReminderTime);
    trigger.duration = icaldurationtype_null_duration();
    icalproperty *property = icalproperty_new_trigger(trigger);
    icalproperty_add_parameter(property, icalparameter_new_value(ICAL_VALUE_DATETIME));
    icalcomponent_add_property(alarm, property);
    SetX(alarm, XReminder, "1");
    SetX(alarm, XReminderTime, Exact(task.ReminderTime));
    return alarm;
}

void WriteReminder(const TTask &task, icalcomponent *todo, icalcomponent *calendar, bool keepTheirs)
{
    icalcomponent *carrier = ReminderAlarm(todo, calendar);
    const bool reminder = task.ReminderTime != 0 && IsMoment(task.ReminderTime);
    if (keepTheirs && reminder && carrier && !FindX(carrier, XReminder)) {
        const std::optional<QDateTime> at = TriggerMoment(carrier, calendar);
        if (at && Seconds(*at) == Seconds(task.ReminderTime))
            return; // another client's alarm at that second stays as it is
    }
    // The alarm the reminder was read from goes, and so does any of ours;
    // every other alarm stays.
    for (icalcomponent *alarm : Components(todo, ICAL_VALARM_COMPONENT)) {
        if (alarm == carrier || FindX(alarm, XReminder)) {
            icalcomponent_remove_component(todo, alarm);
            icalcomponent_free(alarm);
        }
    }
    if (reminder)
        icalcomponent_add_component(todo, NewAlarm(task, Subject(IcalText(task.Text))));
}

void WriteTodo(const TTask &task, const QByteArray &uid, TParsedObject &parsed, bool keepTheirs)
{
    icalcomponent *todo = parsed.Todo;
    icalcomponent *calendar = parsed.Calendar.get();
    RemoveProperties(todo, ICAL_UID_PROPERTY);
    parsed.Kept.TodoProperties.prepend("UID:" + EscapeText(uid));
    Replace(todo, ICAL_DTSTAMP_PROPERTY, icalproperty_new_dtstamp(UtcTime(TClock::Now())));
    Replace(todo, ICAL_CREATED_PROPERTY, UtcProperty(icalproperty_new_created, task.Created));
    Replace(todo, ICAL_LASTMODIFIED_PROPERTY, UtcProperty(icalproperty_new_lastmodified, task.Modified));
    SetX(todo, XKey, Exact(task.Created));
    if (task.Modified != 0 && IsMoment(task.Modified))
        SetX(todo, XModified, Exact(task.Modified));
    else
        RemoveX(todo, XModified);
    WriteText(task, todo, parsed.Kept);
    WriteDue(task, todo, calendar, keepTheirs);
    WritePriority(task, todo);
    WriteFinished(task, todo);
    WriteReminder(task, todo, calendar, keepTheirs);
    for (const TIntField &field : IntFields)
        SetX(todo, field.Name, QByteArray::number(task.*field.Field));
    for (const TBoolField &field : BoolFields)
        SetX(todo, field.Name, task.*field.Field ? "1" : "0");
    RemoveX(todo, XFontName);
    parsed.Kept.TodoProperties << XFontName + (':' + EscapeText(FontNameText(task.FontName)));
}
} // namespace

namespace {
// `keepTheirs`: another client's DUE on the same day and its alarm at the
// reminder's second stay as they are.
QByteArray Written(const TTask &task, const QByteArray &uid, const QByteArray &previous, bool keepTheirs)
{
    InitLibical();
    TParsedObject parsed;
    if (!previous.isEmpty() && ParseCalendarObject(previous, parsed, true).isEmpty()) {
        RemoveParserNotes(parsed.Calendar.get());
    } else {
        parsed = TParsedObject();
        parsed.Calendar.reset(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
        parsed.Todo = icalcomponent_new(ICAL_VTODO_COMPONENT);
        icalcomponent_add_component(parsed.Calendar.get(), parsed.Todo);
    }
    icalcomponent *calendar = parsed.Calendar.get();
    Replace(calendar, ICAL_VERSION_PROPERTY, icalproperty_new_version("2.0"));
    Replace(calendar, ICAL_PRODID_PROPERTY, icalproperty_new_prodid(ProductId));
    WriteTodo(task, uid, parsed, keepTheirs);
    const QByteArray object = Serialise(calendar, parsed.Kept);
    return object.size() > MaxCalendarObjectBytes ? QByteArray() : object;
}

// Whether the object gives the task's due day and reminder second again.
bool KeepsMoments(const QByteArray &object, const TTask &task)
{
    TTask check = task;
    TRemoteItem item;
    QString error;
    if (!CalendarObjectToTask(object, check, item, error))
        return false;
    const bool due = task.DueDate != 0 && IsMoment(task.DueDate);
    const bool reminder = task.ReminderTime != 0 && IsMoment(task.ReminderTime);
    return check.DueDate == (due ? DateToDateTime(DateTimeToQDate(task.DueDate)) : 0) &&
           (reminder ? check.ReminderTime != 0 && Seconds(check.ReminderTime) == Seconds(task.ReminderTime)
                     : check.ReminderTime == 0);
}
} // namespace

QByteArray TaskToCalendarObject(const TTask &task, const QByteArray &uid, const QByteArray &previous)
{
    const QByteArray kept = Written(task, uid, previous, true);
    // libical writes another client's time zones again in its own way, which
    // can move a kept due time or alarm: then ours take their place.
    if (previous.isEmpty() || kept.isEmpty() || KeepsMoments(kept, task))
        return kept;
    return Written(task, uid, previous, false);
}

namespace {
// A text property's value as the object holds it, else as libical has it.
QByteArray TextValue(const QByteArray &object, const char *name, const char *parsed)
{
    const std::optional<QByteArray> raw = TodoTextValue(object, name);
    return TaskText(raw ? *raw : QByteArray(parsed ? parsed : ""));
}

// The task's text is the description, whose first non-blank line is the
// subject. An item this program wrote whose SUMMARY differs was renamed by
// another client: the summary takes the first line's place. An item another
// client made keeps summary and description apart: both are kept.
void ReadText(const QByteArray &object, icalcomponent *todo, TTask &task)
{
    icalproperty *summaryProperty = icalcomponent_get_first_property(todo, ICAL_SUMMARY_PROPERTY);
    icalproperty *descriptionProperty = icalcomponent_get_first_property(todo, ICAL_DESCRIPTION_PROPERTY);
    QByteArray text = descriptionProperty ? TextValue(object, "DESCRIPTION",
                                                      icalproperty_get_description(descriptionProperty))
                                          : QByteArray();
    if (summaryProperty) {
        const QByteArray summary = TextValue(object, "SUMMARY", icalproperty_get_summary(summaryProperty));
        const QByteArray subject = FirstNonBlankLine(summary);
        const QByteArrayView line = FirstNonBlankLineView(text);
        if (!descriptionProperty) {
            text = summary;
        } else if (subject.isEmpty() || line == QByteArrayView(subject)) {
            // the description names the task already
        } else if (line.isEmpty()) {
            text = subject;
        } else if (FindX(todo, XKey)) {
            text.replace(line.data() - text.constData(), line.size(), subject);
        } else {
            text = subject + "\r\n" + text;
        }
    }
    task.Text = text;
}

void ReadCreated(TDateTime created, TTask &task)
{
    task.Created = created;
    const QDate date = DateTimeToQDate(created);
    task.CreatedDayOfWeek = date.dayOfWeek();
    task.CreatedYear = quint16(date.year());
    task.CreatedMonth = quint16(date.month());
    task.CreatedDay = quint16(date.day());
}

void ReadTimes(icalcomponent *todo, icalcomponent *calendar, TTask &task, TRemoteItem &item)
{
    // Only what can be written again is taken.
    const auto moment = [](const std::optional<QDateTime> &local) {
        return local && IsMoment(QDateTimeToDateTime(*local))
                   ? std::optional<TDateTime>(QDateTimeToDateTime(*local))
                   : std::nullopt;
    };
    const std::optional<TDateTime> due = moment(TimeProperty(todo, ICAL_DUE_PROPERTY, calendar));
    task.DueDate = due ? DateOf(*due) : 0;

    task.ReminderTime = 0;
    if (icalcomponent *alarm = ReminderAlarm(todo, calendar)) {
        if (const std::optional<TDateTime> at = moment(TriggerMoment(alarm, calendar))) {
            task.ReminderTime = *at;
            if (FindX(alarm, XReminder))
                task.ReminderTime = Refined(task.ReminderTime, FindX(alarm, XReminderTime));
        }
    }

    if (const std::optional<TDateTime> key = ReadExact(XValueOf(todo, XKey))) {
        item.HasKey = true;
        item.Key = *key;
        ReadCreated(*key, task);
    } else if (const auto created = moment(TimeProperty(todo, ICAL_CREATED_PROPERTY, calendar))) {
        ReadCreated(*created, task);
    }

    if (const auto modified = moment(TimeProperty(todo, ICAL_LASTMODIFIED_PROPERTY, calendar))) {
        item.LastModified = Refined(*modified, FindX(todo, XModified));
        task.Modified = item.LastModified;
    }
}

void ReadState(icalcomponent *todo, TTask &task)
{
    icalproperty *priority = icalcomponent_get_first_property(todo, ICAL_PRIORITY_PROPERTY);
    task.Priority = PriorityClass(priority ? icalproperty_get_priority(priority) : 0);
    icalproperty *status = icalcomponent_get_first_property(todo, ICAL_STATUS_PROPERTY);
    task.Finished = (status && icalproperty_get_status(status) == ICAL_STATUS_COMPLETED) ||
                    icalcomponent_get_first_property(todo, ICAL_COMPLETED_PROPERTY);
}

void ReadLook(const QByteArray &object, icalcomponent *todo, TTask &task)
{
    for (const TIntField &field : IntFields) {
        bool ok = false;
        const qint32 value = XValueOf(todo, field.Name).trimmed().toInt(&ok);
        if (ok)
            task.*field.Field = value;
    }
    for (const TBoolField &field : BoolFields) {
        bool ok = false;
        const int value = XValueOf(todo, field.Name).trimmed().toInt(&ok);
        if (ok)
            task.*field.Field = value != 0;
    }
    if (icalproperty *font = FindX(todo, XFontName))
        task.FontName = FontNameText(TodoTextValue(object, XFontName).value_or(XValue(font)));
}
} // namespace

bool CalendarObjectToTask(const QByteArray &object, TTask &task, TRemoteItem &item, QString &error)
{
    TParsedObject parsed;
    error = ParseCalendarObject(object, parsed, false);
    if (!error.isEmpty())
        return false;
    icalcomponent *todo = parsed.Todo;
    icalproperty *uid = icalcomponent_get_first_property(todo, ICAL_UID_PROPERTY);
    const char *parsedUid = uid ? icalproperty_get_uid(uid) : nullptr;
    const QByteArray uidText =
        parsedUid ? TodoTextValue(object, "UID").value_or(QByteArray(parsedUid)) : QByteArray();
    if (uidText.isEmpty()) {
        error = Tr("The task in the calendar object has no UID.");
        return false;
    }
    // A carriage return cannot be written back in a value: the item could
    // never be sent again under its own name.
    if (uidText.contains('\r')) {
        error = Tr("The UID of the task in the calendar object holds a carriage return.");
        return false;
    }
    TTask read = task;
    TRemoteItem remote;
    remote.Uid = uidText;
    ReadText(object, todo, read);
    ReadTimes(todo, parsed.Calendar.get(), read, remote);
    ReadState(todo, read);
    ReadLook(object, todo, read);
    task = read;
    item = remote;
    return true;
}

void CopyTravellingFields(const TTask &from, TTask &to)
{
    to.Text = from.Text;
    to.DueDate = from.DueDate;
    to.ReminderTime = from.ReminderTime;
    to.Priority = from.Priority;
    to.Finished = from.Finished;
    to.Color = from.Color;
    to.FontColor = from.FontColor;
    to.Left = from.Left;
    to.Top = from.Top;
    to.Width = from.Width;
    to.Height = from.Height;
    to.FontName = from.FontName;
    to.FontSize = from.FontSize;
    to.FontBold = from.FontBold;
    to.FontItalic = from.FontItalic;
    to.NoteOpen = from.NoteOpen;
    to.RolledUp = from.RolledUp;
    to.Created = from.Created;
    // The day of creation in parts goes with the moment it comes from.
    to.CreatedDayOfWeek = from.CreatedDayOfWeek;
    to.CreatedYear = from.CreatedYear;
    to.CreatedMonth = from.CreatedMonth;
    to.CreatedDay = from.CreatedDay;
    to.Modified = from.Modified;
}

QByteArray TravellingDigest(const TTask &task)
{
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_4);
        // + 0.0 makes -0.0 the same as 0.0, as the fields compare.
        const auto moment = [&out](double value) { out << value + 0.0; };
        out << quint8(1) << task.Text;
        moment(task.DueDate);
        moment(task.ReminderTime);
        out << task.Priority << task.Finished << task.Color << task.FontColor << task.Left << task.Top
            << task.Width << task.Height << task.FontName << task.FontSize << task.FontBold << task.FontItalic
            << task.NoteOpen << task.RolledUp;
        moment(task.Created);
        moment(task.Modified);
    }
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
}
