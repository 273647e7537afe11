#include "tasklist/TaskOrder.h"

#include "model/TTask.h"
#include "model/UnitGlobalProc.h"
#include "tasklist/ListRules.h"

#include <QString>
#include <algorithm>

namespace {

template <class T> int Sign(T a, T b) { return a < b ? -1 : (b < a ? 1 : 0); }

// Reminders and due dates: the earlier first, and an empty one (0) after
// every set one.
int CompareMoments(double a, double b)
{
    const int r = Sign(a, b);
    return (a == 0 || b == 0) ? -r : r;
}

unsigned char FoldAToZ(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

} // namespace

int CompareSubjects(QByteArrayView a, QByteArrayView b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const unsigned char x = FoldAToZ(a[i]);
        const unsigned char y = FoldAToZ(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return Sign(a.size(), b.size());
}

int CompareTasks(const TTask &a, const TTask &b, int column)
{
    switch (column) {
    case ColumnCaption: return QString::localeAwareCompare(SubjectText(a), SubjectText(b));
    case ColumnFinished: return int(a.Finished) - int(b.Finished);
    case ColumnReminder: return CompareMoments(a.ReminderTime, b.ReminderTime);
    case ColumnPriority: return Sign(b.Priority, a.Priority);
    case ColumnSubject: return CompareSubjects(FirstNonBlankLineView(a.Text), FirstNonBlankLineView(b.Text));
    case ColumnDueDate: return CompareMoments(a.DueDate, b.DueDate);
    default: return 0;
    }
}

namespace {
// Sorts by a key worked out once per row rather than once per comparison.
template <class Key, class Compare>
void SortByKey(std::vector<TTask *> &rows, Key key, Compare compare, int direction)
{
    std::vector<std::pair<decltype(key(*rows.front())), TTask *>> keyed;
    keyed.reserve(rows.size());
    for (TTask *task : rows)
        keyed.emplace_back(key(*task), task);
    std::stable_sort(keyed.begin(), keyed.end(), [&compare, direction](const auto &x, const auto &y) {
        return direction * compare(x.first, y.first) < 0;
    });
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = keyed[i].second;
}
} // namespace

void SortTasks(std::vector<TTask *> &rows, int column, bool ascending)
{
    if (column < 0 || column >= ColumnCount || rows.empty())
        return;
    const int direction = ascending ? 1 : -1;
    if (column == ColumnSubject)
        SortByKey(
            rows, [](const TTask &task) { return FirstNonBlankLineView(task.Text); }, CompareSubjects,
            direction);
    else if (column == ColumnCaption)
        SortByKey(
            rows, SubjectText,
            [](const QString &x, const QString &y) { return QString::localeAwareCompare(x, y); }, direction);
    else
        std::stable_sort(rows.begin(), rows.end(), [column, direction](const TTask *x, const TTask *y) {
            return direction * CompareTasks(*x, *y, column) < 0;
        });
}
