#pragma once

#include <QAbstractTableModel>
#include <QPixmap>
#include <vector>

class TTask;
class TTaskList;

// The rows of the task list: one task pointer each, nothing copied. The
// texts are read from the tasks when a row is drawn, so a row costs a
// pointer however long its note.
class TTaskListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TTaskListModel(QObject *parent = nullptr);

    // Replaces every row. The tasks of the rows that go are not touched.
    void SetRows(std::vector<TTask *> rows);
    void AppendRow(TTask *task);
    // Takes out one row, then announces its task through RowLeaving.
    void RemoveRow(int row);
    // Takes out the rows of tasks that have left the task list, before
    // their records are handed back.
    void DropRowsNotIn(const TTaskList &tasks);
    // Sorts the rows in place, keeping the views' selection on its task.
    void Sort(int column, bool ascending);

    const std::vector<TTask *> &Rows() const { return FRows; }
    TTask *Task(int row) const;
    // The first row, from the top, that refers to the task; -1 when none.
    int RowOf(const TTask *task) const;
    // The row's text in a column, as the list shows and searches it.
    QString CellText(int row, int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    void SetLargeIcon(const QPixmap &icon) { FLargeIcon = icon; }

signals:
    void RowLeaving(TTask *task);

private:
    std::vector<TTask *> FRows;
    QPixmap FLargeIcon;
};
