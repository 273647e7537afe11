#pragma once

#include <QHeaderView>

// The column headers of the task list: the three picture columns show
// their picture instead of a caption or sort arrow.
class TListHeader : public QHeaderView {
    Q_OBJECT

public:
    explicit TListHeader(QWidget *parent = nullptr);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
};
