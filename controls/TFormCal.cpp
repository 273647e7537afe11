#include "controls/TFormCal.h"

#include "controls/TZELMonthCalendar.h"

#include <QEvent>
#include <QGuiApplication>

// A Qt::Popup rather than a frameless stay-on-top tool window: many X11
// window managers refuse the focus to a window that maps itself (focus
// stealing prevention), and Wayland lets no top-level window place itself,
// so a tool window might never become active, and then never deactivate to
// close. A popup is placed where asked, grabs mouse and keyboard, closes on
// a click elsewhere or Escape, and stays above everything while it shows.
// The deactivation handlers below still close it in every other case.
TFormCal::TFormCal(IZELDatePicker *picker)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint), FPicker(picker)
{
    // The layout of the calendar follows this font; the program substitutes
    // a real font for the name.
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    Cal = new TZELMonthCalendar(this);
    Cal->move(0, 0);
    setFixedSize(Cal->size());
    connect(Cal, &TZELMonthCalendar::SelectDate, this, &TFormCal::CalSelectDate);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive && isVisible())
            ApplicationEvents1Deactivate();
    });
    // Away from any real date, so the first opening builds the grid afresh.
    Cal->SetDate(EncodeDate(2003, 12, 20));
}

void TFormCal::FormDeactivate() { close(); }

void TFormCal::ApplicationEvents1Deactivate() { close(); }

void TFormCal::CalSelectDate()
{
    FPicker->PickDate(Cal->Date());
    close();
}

void TFormCal::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow())
        FormDeactivate();
}
