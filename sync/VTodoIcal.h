#pragma once

// The libical side of the task mapping (VTodo.cpp): reading a calendar
// object within bounds, owning what libical hands out, times between
// iCalendar and local moments, and what libical cannot keep by itself.
// Only the mapping includes this; libical is used from one thread at a time.

#include "base/DateTime.h"
#include "sync/IcalOnDemand.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

namespace VTodoIcal {

struct TComponentFree {
    void operator()(icalcomponent *component) const { icalcomponent_free(component); }
};
using TComponentPtr = std::unique_ptr<icalcomponent, TComponentFree>;

// Lines of a calendar object that libical drops or changes when it reads
// them: components it has no name for (a client's X- components),
// properties it does not know and lists of texts (categories), kept as text
// to be put back when the object is written.
struct TKeptLines {
    QList<QByteArray> CalendarProperties; // unfolded lines
    QList<QByteArray> CalendarComponents; // BEGIN to END, unfolded lines
    QList<QByteArray> TodoProperties;
    QList<QByteArray> TodoComponents;
};

struct TParsedObject {
    TComponentPtr Calendar;
    icalcomponent *Todo = nullptr; // the one VTODO, owned by Calendar
    TKeptLines Kept;
};

// Sets libical up once: no error is fatal, unknown parameters are kept.
void InitLibical();

// The deepest BEGIN level of the text, counted the way libical's reader
// would see it at the most (lines unfolded); never hands the text on.
int NestingDepth(const QByteArray &object);

// Reads a calendar object that holds exactly one VTODO. An empty result
// means success; otherwise a reason in plain words and `parsed` is empty.
// With `keepUnknown` the lines libical would drop are set aside in Kept
// and the text libical reads goes without them.
QString ParseCalendarObject(const QByteArray &object, TParsedObject &parsed, bool keepUnknown);

// The text value of the VTODO's first property of that name as the object
// holds it, unescaped: libical drops the blanks at either end of a value,
// which are part of a note's text.
std::optional<QByteArray> TodoTextValue(const QByteArray &object, const char *name);

// A TEXT value escaped as iCalendar writes it. The mapping writes its own
// text lines this way: libical drops some control characters from a value.
QByteArray EscapeText(const QByteArray &text);

// The calendar as text (CR LF, folded), with the kept lines put back in
// their places: properties first, components last.
QByteArray Serialise(icalcomponent *calendar, const TKeptLines &kept);

// Folds one unfolded line at 75 octets without splitting a UTF-8 sequence;
// every line of the result ends with CR LF.
QByteArray FoldLine(const QByteArray &line);

// Removes libical's own notes about what it could not read (X-LIC-ERROR),
// which must not travel back to the server.
void RemoveParserNotes(icalcomponent *component);

// A local moment in UTC, to the second, and a local day as a DATE.
icaltimetype UtcTime(TDateTime local);
icaltimetype DateValue(TDateTime local);
// The local moment of a DATE or DATE-TIME value of `property`: UTC, floating
// (local), or in the zone its TZID names (a VTIMEZONE of `calendar`, else
// the system's zone of that name, else local).
std::optional<QDateTime> LocalMoment(icalproperty *property, icaltimetype value, icalcomponent *calendar);

// Properties by kind and X- properties by name (case-insensitive).
QList<icalproperty *> Properties(icalcomponent *component, icalproperty_kind kind);
void RemoveProperties(icalcomponent *component, icalproperty_kind kind);
icalproperty *FindX(icalcomponent *component, const char *name);
void RemoveX(icalcomponent *component, const char *name);
void SetX(icalcomponent *component, const char *name, const QByteArray &value);
// The value of an X- property as text, whatever its value type.
QByteArray XValue(icalproperty *property);
QList<icalcomponent *> Components(icalcomponent *component, icalcomponent_kind kind);

} // namespace VTodoIcal
