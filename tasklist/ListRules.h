#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class TTask;
class TTaskList;

// The rules of the task list that need no window.

// The rows of a rebuild, in list order, before sorting: a finished task
// only while finished items are shown; with a search text that is not only
// blanks, only a task whose whole text contains it, as typed, in any letter
// case.
std::vector<TTask *> ListedTasks(const TTaskList &tasks, bool displayCompleted, const QString &search);

// What the list shows of a task: its subject, and its due date in the
// user's short date format (empty when it has none).
QString SubjectText(const TTask &task);
QString DueDateText(const TTask &task);

// A red row: the due day has begun (a due date has no time of day).
bool IsOverdue(const TTask &task, double now);

// The first task that still reads exactly "New Note" and is not finished:
// a note that was made and never written in.
TTask *UnwrittenNewNote(const TTaskList &tasks);

// The line a row prints and exports as: "subject (due date)", or the
// subject alone without a due date.
QString RowLine(const TTask &task);
QStringList RowLines(const std::vector<TTask *> &rows);
// The export file's bytes: every line ended by CR LF, in UTF-8.
QByteArray ExportBytes(const QStringList &lines);
