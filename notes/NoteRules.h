#pragma once

#include "base/DateTime.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The rules of a note that need no window.

// The captions of the blink menu, by the item's tag: 0 acknowledges, 1 to 7
// remind again later. The note window shows them translated.
inline constexpr const char *BlinkCaptions[] = {
    QT_TRANSLATE_NOOP("TFormNote", "&Acknowledged"),
    QT_TRANSLATE_NOOP("TFormNote", "Remind Me Again in 15 Minutes"),
    QT_TRANSLATE_NOOP("TFormNote", "Remind Me Again in 1 Hour"),
    QT_TRANSLATE_NOOP("TFormNote", "Remind Me Again in 4 Hours"),
    QT_TRANSLATE_NOOP("TFormNote", "Remind Me Again in 1 Day"),
    QT_TRANSLATE_NOOP("TFormNote", "Remind Me Again in 1 Week"),
    QT_TRANSLATE_NOOP("TFormNote", "Remind Me Again in 1 Month"),
    QT_TRANSLATE_NOOP("TFormNote", "Remind Me Again in 1 Year"),
};

// The reminder after the blink menu's item `tag` was chosen at `now`: the
// interval counts from now, never from the old reminder; a month and a year
// are fixed counts of 30 and 365 days. Acknowledging (and any other tag)
// keeps the reminder as it is.
TDateTime SnoozedReminder(int tag, TDateTime now, TDateTime reminder);

// The reminder for a date and a time of day chosen at `now`: never in the
// past (a moment already gone becomes five minutes from now), and none
// when no date was chosen.
TDateTime ChosenReminder(TDateTime date, TDateTime timeOfDay, TDateTime now);

// The text without the blanks and control characters at its ends.
QByteArray TrimBlanks(const QByteArray &text);
// Closing a note with this text takes its task along: nothing was written,
// or the placeholder of a new note was left as it was.
bool DiscardsTask(const QByteArray &text);
bool IsPlaceholder(const QByteArray &text);

// Stored lines end in CR LF; the text area keeps LF. A lone CR or LF from
// elsewhere ends a line as well.
QString TextForDisplay(QString stored);
QString TextForStorage(QString shown);
