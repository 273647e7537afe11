#pragma once

#include "base/DateTime.h"

#include <QWidget>

class TZELMonthCalendar;

// What the calendar popup hands its chosen date to.
class IZELDatePicker {
public:
    virtual void PickDate(TDateTime date) = 0;

protected:
    ~IZELDatePicker() = default;
};

// The borderless, stay-on-top popup holding a month calendar. It hides as
// soon as a date is chosen, another window becomes active or the user
// switches to another application; it lives on for the next opening.
class TFormCal : public QWidget {
    Q_OBJECT

public:
    explicit TFormCal(IZELDatePicker *picker);

    TZELMonthCalendar *Cal;

    void FormDeactivate();
    void ApplicationEvents1Deactivate();
    // The calendar's choice: hands Cal's date to the picker, then closes.
    void CalSelectDate();

protected:
    void changeEvent(QEvent *event) override;

private:
    IZELDatePicker *FPicker;
};
