#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

class TTask;

// The columns of the task list, in their fixed order.
enum TListColumn : int {
    ColumnCaption = 0, // the hidden caption (the subject)
    ColumnFinished = 1,
    ColumnReminder = 2,
    ColumnPriority = 3,
    ColumnSubject = 4,
    ColumnDueDate = 5,
    ColumnCount = 6,
};

// Subjects compare with only the letters a to z folded to upper case and
// every other byte by its value; a text that begins the other comes first.
int CompareSubjects(QByteArrayView a, QByteArrayView b);

// The order of two tasks in `column`, for the ascending direction: negative
// when `a` comes first. Dates and reminders put the empty ones last; the
// caption column compares the subjects as the user's locale does. A column
// outside the six makes every pair equal.
int CompareTasks(const TTask &a, const TTask &b, int column);

// Sorts the rows by `column`; descending reverses every comparison, so the
// empty dates come first then. Rows that compare equal keep their order.
void SortTasks(std::vector<TTask *> &rows, int column, bool ascending);
