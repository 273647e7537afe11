#pragma once

#include "base/DateTime.h"
#include "controls/TFormCal.h"

#include <QLabel>

// Where a popup of `size` opens for a control at `anchor` (global): below
// it with its top 2 pixels up into the control, or above it where the
// screen's bottom would cut it off, and moved in from the side edges: every
// part of it stays within `screen`.
QPoint PopupPlaceOnScreen(const QRect &anchor, QSize size, const QRect &screen);

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
    // bottom (or above the label near the screen's bottom), showing Date (or
    // today when there is none).
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
