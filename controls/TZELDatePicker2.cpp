#include "controls/TZELDatePicker2.h"

#include "base/Clock.h"
#include "base/LocaleFormats.h"
#include "controls/LinkStyle.h"
#include "controls/TZELMonthCalendar.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>

namespace {
QString DateText(TDateTime value)
{
    return value == 0 ? QCoreApplication::translate("TZELDatePicker2", "None")
                      : TLocaleFormats::DateToStr(value);
}
} // namespace

QPoint PopupPlaceOnScreen(const QRect &anchor, QSize size, const QRect &screen)
{
    int y = anchor.bottom() + 1 - 2;
    if (y + size.height() > screen.bottom() + 1)
        y = anchor.top() - size.height();
    const int x = std::max(screen.left(), std::min(anchor.left(), screen.right() + 1 - size.width()));
    y = std::max(screen.top(), std::min(y, screen.bottom() + 1 - size.height()));
    return {x, y};
}

TZELDatePicker2::TZELDatePicker2(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    ApplyLinkStyle(this);
    setText(DateText(FDate));
    adjustSize();
}

// The popup is a window of its own, not a child, so it goes by hand.
TZELDatePicker2::~TZELDatePicker2() { delete FPopup; }

void TZELDatePicker2::SetDate(TDateTime value)
{
    FDate = value;
    setText(DateText(FDate));
    adjustSize();
}

TFormCal *TZELDatePicker2::Popup()
{
    // Made at the first opening: a note has two pickers, most never opened,
    // and a calendar is some fifty widgets.
    if (!FPopup)
        FPopup = new TFormCal(this);
    return FPopup;
}

void TZELDatePicker2::ShowCalendar()
{
    Popup();
    FPopup->Cal->SetDate(FDate == 0 ? TClock::Today() : FDate);
    const QRect anchor(mapToGlobal(QPoint(0, 0)), size());
    const QScreen *shown = screen() ? screen() : QGuiApplication::primaryScreen();
    FPopup->move(shown ? PopupPlaceOnScreen(anchor, FPopup->size(), shown->availableGeometry())
                       : mapToGlobal(QPoint(0, height() - 2)));
    FPopup->show();
    FPopup->raise();
    FPopup->activateWindow();
}

void TZELDatePicker2::PickDate(TDateTime date)
{
    emit SelectingDate();
    SetDate(date);
    emit DateSelected();
}

void TZELDatePicker2::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        ShowCalendar();
}
