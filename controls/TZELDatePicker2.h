#pragma once

#include "base/DateTime.h"
#include "controls/TFormCal.h"

#include <QLabel>

// A link-style label showing a date in the locale's short date format, or
// "None"; a click opens the month calendar popup just below it.
class TZELDatePicker2 : public QLabel, public IZELDatePicker {
    Q_OBJECT

public:
    explicit TZELDatePicker2(QWidget *parent = nullptr);
    ~TZELDatePicker2() override;

    TDateTime Date() const { return FDate; }
    // Shows the date ("None" for exactly 0). Fires nothing.
    void SetDate(TDateTime value);

    // The click: the popup at the label's left edge, 2 pixels above its
    // bottom, showing Date (or today when there is none).
    void ShowCalendar();
    // From the popup: SelectingDate (Date still old), the new date and its
    // text, DateSelected. A date equal to the old one still runs it all.
    void PickDate(TDateTime date) override;
    // The calendar popup, made when first needed and kept.
    TFormCal *Popup();

signals:
    void SelectingDate();
    void DateSelected();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    TDateTime FDate = 0;
    TFormCal *FPopup = nullptr;
};
