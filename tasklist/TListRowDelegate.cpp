#include "tasklist/TListRowDelegate.h"

#include "base/Clock.h"
#include "model/TTask.h"
#include "tasklist/ListPictures.h"
#include "tasklist/ListRules.h"
#include "tasklist/TTaskListModel.h"
#include "tasklist/TaskOrder.h"

#include <QPainter>

namespace {
const QColor ShadedRow(224, 224, 224);
const QColor OverdueText(255, 0, 0);
const QColor FinishedText(127, 127, 127);
constexpr int TextMargin = 2;
} // namespace

TListRowDelegate::TListRowDelegate(const TTaskListModel &model, QObject *parent)
    : QStyledItemDelegate(parent), FModel(model)
{
}

void TListRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    const TTask *task = FModel.Task(index.row());
    if (!task)
        return;
    const QRect cell = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        (option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;

    painter->fillRect(cell, (index.row() % 2) ? ShadedRow : option.palette.color(group, QPalette::Base));
    if (selected)
        painter->fillRect(cell, option.palette.color(group, QPalette::Highlight));

    switch (index.column()) {
    case ColumnFinished:
        painter->drawPixmap(cell.left() + 4, cell.top(),
                            ListPicture(task->Finished ? TListPicture::Checked : TListPicture::Unchecked));
        return;
    case ColumnReminder:
        if (task->ReminderTime > 0)
            painter->drawPixmap(cell.topLeft(), ListPicture(TListPicture::Ring));
        return;
    case ColumnPriority:
        if (task->Priority == TTask::PriorityLow)
            painter->drawPixmap(cell.topLeft(), ListPicture(TListPicture::LowPriority));
        else if (task->Priority == TTask::PriorityHigh)
            painter->drawPixmap(cell.topLeft(), ListPicture(TListPicture::HighPriority));
        return;
    default: break;
    }

    const QString text = FModel.CellText(index.row(), index.column());
    if (text.isEmpty())
        return;
    // Grey wins over red: a finished task is no longer late.
    QColor ink = option.palette.color(group, QPalette::Text);
    if (IsOverdue(*task, TClock::Now()))
        ink = OverdueText;
    if (task->Finished)
        ink = FinishedText;
    if (selected)
        ink = option.palette.color(group, QPalette::HighlightedText);
    QFont font = option.font;
    font.setUnderline(index.row() == FHotRow);
    painter->save();
    painter->setFont(font);
    painter->setPen(ink);
    const QRect area = cell.adjusted(TextMargin, 0, -TextMargin, 0);
    const QString shown = QFontMetrics(font).elidedText(text, Qt::ElideRight, area.width());
    painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    painter->restore();
}
