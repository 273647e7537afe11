#include "notes/TNoteInfoPanel.h"

#include "controls/TZELCombo.h"
#include "controls/TZELDatePicker2.h"
#include "controls/TZELEditableLabel.h"
#include "model/TTask.h"

#include <QLabel>
#include <cmath>

namespace {
constexpr int RowTop = 4;
constexpr int RowStep = 18;
// With the font the note was drawn for, the captions end at 52 and the
// controls start at 56; a wider font moves both along.
constexpr int CaptionRight = 52;
constexpr int CaptionGap = 4;
} // namespace

TNoteInfoPanel::TNoteInfoPanel(QWidget *parent) : QWidget(parent)
{
    static const char *const captions[] = {QT_TR_NOOP("Due Date:"), QT_TR_NOOP("Reminder:"),
                                           QT_TR_NOOP("Priority:"), QT_TR_NOOP("Finished:")};
    int widest = 0;
    for (const char *text : captions)
        widest = std::max(widest, fontMetrics().horizontalAdvance(tr(text)));
    const int captionRight = std::max(CaptionRight, widest + 2);
    const int controlLeft = captionRight + CaptionGap;
    for (int row = 0; row < 4; ++row) {
        auto *caption = new QLabel(tr(captions[row]), this);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        caption->adjustSize();
        caption->move(captionRight - caption->width(), RowTop + row * RowStep);
        Captions << caption;
    }
    auto place = [controlLeft](QWidget *control, int row) {
        control->adjustSize();
        control->move(controlLeft, RowTop + row * RowStep);
    };

    DPDueDate = new TZELDatePicker2(this);
    place(DPDueDate, 0);
    DPReminder = new TZELDatePicker2(this);
    place(DPReminder, 1);
    TPReminder = new TZELEditableLabel(this);
    TPReminder->SetIsTime(true);
    TPReminder->move(controlLeft, RowTop + RowStep);

    CBPriority = new TZELCombo(this);
    CBPriority->SetItems({tr("High"), tr("Normal"), tr("Low")});
    CBPriority->SetItemIndex(1);
    place(CBPriority, 2);
    CBFinished = new TZELCombo(this);
    CBFinished->SetItems({tr("Yes"), tr("No")});
    CBFinished->SetItemIndex(1);
    place(CBFinished, 3);
}

void TNoteInfoPanel::Fill(const TTask &task)
{
    DPDueDate->SetDate(task.DueDate);
    DPReminder->SetDate(std::trunc(task.ReminderTime));
    TPReminder->SetTime(TimeOf(task.ReminderTime));
    PlaceReminderTime(task.ReminderTime != 0);
    // A priority from elsewhere outside 1 to 3 shows as the nearest one.
    CBPriority->SetItemIndex(std::clamp(3 - int(task.Priority), 0, 2));
    CBFinished->SetItemIndex(task.Finished ? 0 : 1);
}

void TNoteInfoPanel::PlaceReminderTime(bool shown)
{
    TPReminder->move(DPReminder->x() + DPReminder->width() + 5, DPReminder->y());
    TPReminder->setVisible(shown);
}
