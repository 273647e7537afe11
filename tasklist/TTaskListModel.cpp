#include "tasklist/TTaskListModel.h"

#include "model/TTaskList.h"
#include "tasklist/ListRules.h"
#include "tasklist/TaskOrder.h"

#include <unordered_set>

TTaskListModel::TTaskListModel(QObject *parent) : QAbstractTableModel(parent) {}

void TTaskListModel::SetRows(std::vector<TTask *> rows)
{
    beginResetModel();
    FRows = std::move(rows);
    endResetModel();
}

void TTaskListModel::AppendRow(TTask *task)
{
    const int row = int(FRows.size());
    beginInsertRows({}, row, row);
    FRows.push_back(task);
    endInsertRows();
}

void TTaskListModel::RemoveRow(int row)
{
    if (row < 0 || row >= int(FRows.size()))
        return;
    beginRemoveRows({}, row, row);
    TTask *task = FRows[size_t(row)];
    FRows.erase(FRows.begin() + row);
    endRemoveRows();
    // Told once the row is gone: whatever the receiver sets off (a note
    // closing, a rebuild) meets a list without it.
    emit RowLeaving(task);
}

void TTaskListModel::Sort(int column, bool ascending)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<TTask *> tasks;
    tasks.reserve(size_t(before.size()));
    for (const QModelIndex &index : before)
        tasks.push_back(Task(index.row()));
    SortTasks(FRows, column, ascending);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int row = RowOf(tasks[size_t(i)]);
        after.append(row < 0 ? QModelIndex() : index(row, before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TTaskListModel::DropRowsNotIn(const TTaskList &tasks)
{
    std::unordered_set<const TTask *> listed(tasks.Tasks().begin(), tasks.Tasks().end());
    for (int row = int(FRows.size()) - 1; row >= 0; --row) {
        if (listed.count(FRows[size_t(row)]))
            continue;
        beginRemoveRows({}, row, row);
        FRows.erase(FRows.begin() + row);
        endRemoveRows();
    }
}

TTask *TTaskListModel::Task(int row) const
{
    return row >= 0 && row < int(FRows.size()) ? FRows[size_t(row)] : nullptr;
}

int TTaskListModel::RowOf(const TTask *task) const
{
    for (size_t i = 0; i < FRows.size(); ++i)
        if (FRows[i] == task)
            return int(i);
    return -1;
}

QString TTaskListModel::CellText(int row, int column) const
{
    const TTask *task = Task(row);
    if (!task)
        return {};
    switch (column) {
    case ColumnCaption:
    case ColumnSubject: return SubjectText(*task);
    case ColumnDueDate: return DueDateText(*task);
    default: return {};
    }
}

int TTaskListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(FRows.size());
}

int TTaskListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TTaskListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return CellText(index.row(), index.column());
    if (role == Qt::DecorationRole && index.column() == ColumnCaption)
        return FLargeIcon;
    return {};
}

QVariant TTaskListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    if (section == ColumnSubject)
        return tr("Subject");
    if (section == ColumnDueDate)
        return tr("Due Date");
    return QString();
}

Qt::ItemFlags TTaskListModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
