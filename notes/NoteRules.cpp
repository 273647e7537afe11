#include "notes/NoteRules.h"

#include "model/TTask.h"

namespace {
constexpr double SnoozeDays[] = {0, 1.0 / 96, 1.0 / 24, 1.0 / 6, 1, 7, 30, 365};
} // namespace

TDateTime SnoozedReminder(int tag, TDateTime now, TDateTime reminder)
{
    return tag >= 1 && tag <= 7 ? now + SnoozeDays[tag] : reminder;
}

TDateTime ChosenReminder(TDateTime date, TDateTime timeOfDay, TDateTime now)
{
    if (date == 0)
        return 0;
    const TDateTime candidate = date + timeOfDay;
    return now >= candidate ? now + EncodeTime(0, 5) : candidate;
}

QByteArray TrimBlanks(const QByteArray &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && quint8(text[first]) <= ' ')
        ++first;
    while (last > first && quint8(text[last - 1]) <= ' ')
        --last;
    return text.mid(first, last - first);
}

bool IsPlaceholder(const QByteArray &text) { return TrimBlanks(text) == TTask::NewNoteText; }

bool DiscardsTask(const QByteArray &text) { return TrimBlanks(text).isEmpty() || IsPlaceholder(text); }

QString TextForDisplay(QString stored)
{
    stored.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    stored.replace(u'\r', u'\n');
    return stored;
}

QString TextForStorage(QString shown) { return shown.replace(u'\n', QStringLiteral("\r\n")); }
