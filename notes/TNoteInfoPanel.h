#pragma once

#include <QList>
#include <QWidget>

class QLabel;
class TTask;
class TZELCombo;
class TZELDatePicker2;
class TZELEditableLabel;

// What stands behind a note's clock picture: four captioned rows for the
// due date, the reminder date and time, the priority and the finished mark.
// It shows a task; the note acts on the user's choices.
class TNoteInfoPanel : public QWidget {
    Q_OBJECT

public:
    explicit TNoteInfoPanel(QWidget *parent);

    QList<QLabel *> Captions;
    TZELDatePicker2 *DPDueDate;
    TZELDatePicker2 *DPReminder;
    TZELEditableLabel *TPReminder;
    TZELCombo *CBPriority; // "High", "Normal", "Low": index 3 - Priority
    TZELCombo *CBFinished; // "Yes", "No"

    // Shows the task's dates, reminder, priority and finished mark; fires
    // none of the controls' events.
    void Fill(const TTask &task);
    // The reminder time stands 5 pixels right of the reminder date, and
    // only while there is a reminder.
    void PlaceReminderTime(bool shown);
};
