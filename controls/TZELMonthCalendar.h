#pragma once

#include "base/DateTime.h"

#include <QFrame>
#include <QList>

class QLabel;
class QPushButton;
class TCalendarDigit;

// A fixed-size month calendar: the month's title between two arrows, a
// Sunday-first grid of 6 weeks (the neighbouring months' days in grey),
// today framed, the chosen day marked, and "Today" and "None" buttons.
class TZELMonthCalendar : public QFrame {
    Q_OBJECT

public:
    explicit TZELMonthCalendar(QWidget *parent = nullptr);

    TDateTime Date() const { return FDate; }
    // Stores the date and shows its month (0 shows December 1899). Fires
    // nothing; a date in the month shown changes no marks.
    void SetDate(TDateTime value);
    // Rebuilds the grid, unless that month is already shown.
    void ShowMonth(int year, int month);

    void PrevMonthClick();
    void NextMonthClick();
    void DayClick(TCalendarDigit *cell);
    void TodayClick();
    void NoneClick();

    // The 42 cells of the grid: this month's days first, then the previous
    // month's tail, then the next month's head.
    const QList<TCalendarDigit *> &DayCells() const { return FDayCells; }
    // "December 2003".
    QString Title() const;
    // For tests and the popup: the parts the user clicks.
    QWidget *PrevArrow() const { return FPrevArrow; }
    QWidget *NextArrow() const { return FNextArrow; }
    QPushButton *TodayButton() const { return FTodayButton; }
    QPushButton *NoneButton() const { return FNoneButton; }

signals:
    // The user chose a day, "Today" or "None".
    void SelectDate();

private:
    // Frames today's cell, if today is in the month shown.
    void MarkToday();
    TCalendarDigit *NewDayCell(TDateTime day, int column, int row, bool grey);

    TDateTime FDate = 0;
    int FShownYear = 0;
    int FShownMonth = 0;
    QSize FCell;
    int FGridTop = 0;
    QLabel *FTitlePanel;
    QWidget *FPrevArrow;
    QWidget *FNextArrow;
    QPushButton *FTodayButton;
    QPushButton *FNoneButton;
    QList<TCalendarDigit *> FDayCells;
};
