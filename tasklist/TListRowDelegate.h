#pragma once

#include <QStyledItemDelegate>

class TTaskListModel;

// Draws the rows of the report view: every other row shaded, overdue tasks
// in red and finished ones in grey, the pictures of the finished, reminder
// and priority columns, and the row under the pointer underlined.
class TListRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    TListRowDelegate(const TTaskListModel &model, QObject *parent = nullptr);

    void SetHotRow(int row) { FHotRow = row; }
    int HotRow() const { return FHotRow; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    const TTaskListModel &FModel;
    int FHotRow = -1;
};
