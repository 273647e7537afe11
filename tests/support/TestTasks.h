#pragma once

#include "base/DateTime.h"
#include "model/TTask.h"
#include "model/TTaskList.h"

#include <QFile>
#include <QRect>

// Gives every field of the task a value that differs from its creation
// default and from the other tasks', so a field dropped or swapped in a
// round trip shows.
inline void FillEveryField(TTask &t, int seed)
{
    t.Left = -1000 + seed;
    t.Top = 200 + seed;
    t.Width = 300 + seed;
    t.Height = 170 + seed;
    t.Color = 0x00123456 + seed;
    t.FontName = "Arial " + QByteArray::number(seed);
    t.FontSize = 9 + seed;
    t.FontBold = true;
    t.FontItalic = seed % 2 == 0;
    t.FontColor = 0x00FF0000 + seed;
    t.NoteOpen = true;
    t.RolledUp = seed % 2 == 1;
    t.Spare1 = -77 - seed;
    t.Text = "Call \xe9milie\r\nabout the \x80 invoice " + QByteArray::number(seed); // Windows-1252 bytes
    t.DueDate = EncodeDate(2026, 3, 11 + seed);
    t.Spare2 = 1.0e-300 + seed;
    t.ReminderTime = EncodeDate(2026, 3, 11) + EncodeTime(9, 30) + seed;
    t.Alerting = true;
    t.Spare3 = quint8(0xA5 + seed);
    t.Spare4 = 0x7FFFFFFF - seed;
    t.CreatedDayOfWeek = 3;
    t.CreatedYear = 2005;
    t.CreatedMonth = 12;
    t.CreatedDay = 31;
    t.Created = EncodeDate(2005, 12, 31) + 0.25;
    t.Modified = EncodeDate(2006, 1, 1) + 0.75 + seed;
    t.Finished = true;
    t.Priority = 3;
}

// The task's note saved open at `place` (frame included), as a note the
// user left on screen.
inline void OpenNoteAt(TTask &task, const QRect &place)
{
    task.NoteOpen = true;
    task.Left = place.x();
    task.Top = place.y();
    task.Width = place.width();
    task.Height = place.height();
}

inline QByteArray ReadFileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}
