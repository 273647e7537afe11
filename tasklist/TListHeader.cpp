#include "tasklist/TListHeader.h"

#include "tasklist/ListPictures.h"
#include "tasklist/TaskOrder.h"

#include <QPainter>

TListHeader::TListHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setSortIndicatorShown(true);
    setStretchLastSection(false);
    setMinimumSectionSize(0);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void TListHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (logicalIndex < ColumnFinished || logicalIndex > ColumnPriority) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    // The cell's face without caption or arrow, then its picture.
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect;
    option.section = logicalIndex;
    option.sortIndicator = QStyleOptionHeader::None;
    option.text.clear();
    painter->save();
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
    painter->restore();
    static const TListPicture pictures[] = {TListPicture::CheckedBlack, TListPicture::RingBlack,
                                            TListPicture::Priority};
    const int left = rect.left() + (logicalIndex == ColumnFinished ? 4 : 0);
    painter->drawPixmap(left, rect.top(), ListPicture(pictures[logicalIndex - ColumnFinished]));
}
