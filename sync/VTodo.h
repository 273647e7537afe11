#pragma once

#include "base/DateTime.h"

#include <QByteArray>
#include <QString>

class TTask;

// One task travels as one calendar object: a VCALENDAR holding one VTODO.
// The task's own fields map onto standard properties that every task client
// reads (SUMMARY, DESCRIPTION, DUE, PRIORITY, STATUS, COMPLETED, CREATED,
// LAST-MODIFIED, a VALARM for the reminder); what only this program shows
// (colour, place, size, font, open and rolled up) rides along as
// X-JOTTERBOX-* properties that other clients ignore.

// What an item carries beside the task's fields.
struct TRemoteItem {
    QByteArray Uid;
    TDateTime LastModified = 0; // local time; 0 when the item has none
    // The Created moment of the task on the machine that first wrote the
    // item (X-JOTTERBOX-KEY): it names the same task everywhere, so a lost
    // sync state can pair items with tasks again instead of doubling them.
    bool HasKey = false;
    TDateTime Key = 0;
};

// The largest calendar object read or written; anything bigger is refused
// unread, and so is one nested deeper than MaxCalendarNesting components.
inline constexpr qsizetype MaxCalendarObjectBytes = 1 << 20;
inline constexpr int MaxCalendarNesting = 8;

// The calendar object for `task` (UTF-8, CR LF line ends, folded), with the
// item's UID. `previous` is the item as the server last sent it, or empty
// for a new item: every property, parameter and component of it that this
// program does not write itself (categories, other alarms, attachments, a
// client's own X- properties) is kept as it was. Empty when the object
// would be larger than MaxCalendarObjectBytes (the reader's bound): such a
// task cannot travel, and must not be sent.
QByteArray TaskToCalendarObject(const TTask &task, const QByteArray &uid, const QByteArray &previous);

// Reads one calendar object into the task's travelling fields; the fields
// that do not travel keep their values (give it a new task's defaults).
// False, with a reason in plain words, for text that is too big, too deep,
// not iCalendar, or without exactly one VTODO; the task is then untouched.
bool CalendarObjectToTask(const QByteArray &object, TTask &task, TRemoteItem &item, QString &error);

// Copies the fields that travel (text, dates, reminder, priority, finished,
// colour, place, size, font, open and rolled up, created and modified).
void CopyTravellingFields(const TTask &from, TTask &to);

// The travelling fields as one byte string: two tasks that would write the
// same item give the same digest. The sync state keeps it to tell whether a
// task changed since the last round.
QByteArray TravellingDigest(const TTask &task);
