#include "controls/TZELMonthCalendar.h"

#include "base/Clock.h"
#include "controls/TCalendarDigit.h"

#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <functional>

namespace {
const QColor White(255, 255, 255);
const QColor TitleColour(0xDD, 0xDD, 0xDD);
const QColor OtherMonthText(0xCC, 0xCC, 0xCC);
const QColor MonthText(0, 0, 0);

// The title reads in the program's language (English unless a translation
// is loaded), whatever the locale's date formats.
const char *const MonthNames[12] = {
    QT_TRANSLATE_NOOP("TZELMonthCalendar", "January"),   QT_TRANSLATE_NOOP("TZELMonthCalendar", "February"),
    QT_TRANSLATE_NOOP("TZELMonthCalendar", "March"),     QT_TRANSLATE_NOOP("TZELMonthCalendar", "April"),
    QT_TRANSLATE_NOOP("TZELMonthCalendar", "May"),       QT_TRANSLATE_NOOP("TZELMonthCalendar", "June"),
    QT_TRANSLATE_NOOP("TZELMonthCalendar", "July"),      QT_TRANSLATE_NOOP("TZELMonthCalendar", "August"),
    QT_TRANSLATE_NOOP("TZELMonthCalendar", "September"), QT_TRANSLATE_NOOP("TZELMonthCalendar", "October"),
    QT_TRANSLATE_NOOP("TZELMonthCalendar", "November"),  QT_TRANSLATE_NOOP("TZELMonthCalendar", "December")};

constexpr int ArrowWidth = 6;
constexpr int ArrowHeight = 9;
constexpr int ButtonWidth = 50;
constexpr int ButtonHeight = 22;

// A picture that reports a click of the primary button.
class TClickImage : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QLabel::mouseReleaseEvent(event);
        if (OnClick && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            OnClick();
    }
};

// A solid triangle, 6 by 9 pixels, its tip in the middle row of the first
// (left) or last (right) column.
QPixmap ArrowPicture(bool pointsLeft)
{
    QImage image(ArrowWidth, ArrowHeight, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const QRgb black = qRgb(0, 0, 0);
    for (int i = 0; i < 5; ++i) {
        const int column = pointsLeft ? i : i + 1;
        const int first = pointsLeft ? 4 - i : i;
        const int end = pointsLeft ? i + 5 : 9 - i;
        for (int row = first; row < end; ++row)
            image.setPixel(column, row, black);
    }
    return QPixmap::fromImage(image);
}

QFrame *Separator(QWidget *parent, int left, int top, int width)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setLineWidth(1);
    line->setGeometry(left, top, width, 2);
    return line;
}

void SetTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}
} // namespace

TZELMonthCalendar::TZELMonthCalendar(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, White);
    setPalette(palette);

    // Every measure follows the cell size in this font, so the calendar
    // grows and shrinks with it.
    FCell = TCalendarDigit::CellSize(font());
    const int cellW = FCell.width();
    const int cellH = FCell.height();
    const int width = 9 * cellW; // seven columns and a margin column each side

    const int titleTop = 4;
    const int titleW = width - 8;
    const int titleH = QFontMetrics(font()).height() + 4; // a line of text, as "December 2003"
    FTitlePanel = new QLabel(this);
    FTitlePanel->setTextFormat(Qt::PlainText);
    FTitlePanel->setAlignment(Qt::AlignCenter);
    FTitlePanel->setAutoFillBackground(true);
    QPalette titlePalette = FTitlePanel->palette();
    titlePalette.setColor(QPalette::Window, TitleColour);
    FTitlePanel->setPalette(titlePalette);
    FTitlePanel->setGeometry(4, titleTop, titleW, titleH);

    const int arrowTop = (titleH - ArrowHeight) / 2;
    auto *prev = new TClickImage(FTitlePanel);
    prev->setPixmap(ArrowPicture(true));
    prev->setGeometry(4, arrowTop, ArrowWidth, ArrowHeight);
    prev->OnClick = [this] { PrevMonthClick(); };
    FPrevArrow = prev;
    auto *next = new TClickImage(FTitlePanel);
    next->setPixmap(ArrowPicture(false));
    next->setGeometry(titleW - 9, arrowTop, ArrowWidth, ArrowHeight);
    next->OnClick = [this] { NextMonthClick(); };
    FNextArrow = next;

    const int headerTop = titleTop + titleH + 2;
    const char *const weekdays[7] = {"S", "M", "T", "W", "T", "F", "S"};
    for (int i = 0; i < 7; ++i) {
        auto *header = new TCalendarDigit(this);
        header->SetDigitText(QString::fromLatin1(weekdays[i]));
        header->move((i + 1) * cellW, headerTop);
    }

    const int firstLineTop = headerTop + cellH + 2;
    Separator(this, cellW, firstLineTop, 7 * cellW);
    const int secondLineTop = firstLineTop + 6 * cellH + 7;
    Separator(this, cellW, secondLineTop, 7 * cellW);
    FGridTop = firstLineTop + 5;

    const int buttonTop = secondLineTop + 8;
    FTodayButton = new QPushButton(tr("Today"), this);
    FTodayButton->setGeometry(width / 2 - 55, buttonTop, ButtonWidth, ButtonHeight);
    connect(FTodayButton, &QPushButton::clicked, this, &TZELMonthCalendar::TodayClick);
    FNoneButton = new QPushButton(tr("None"), this);
    FNoneButton->setGeometry(width / 2 + 5, buttonTop, ButtonWidth, ButtonHeight);
    connect(FNoneButton, &QPushButton::clicked, this, &TZELMonthCalendar::NoneClick);

    setFixedSize(width, buttonTop + ButtonHeight + 8);
    SetDate(TClock::Today());
}

void TZELMonthCalendar::SetDate(TDateTime value)
{
    FDate = value;
    const QDate date = DateTimeToQDate(value); // 0 is 30 December 1899
    ShowMonth(date.year(), date.month());
}

void TZELMonthCalendar::ShowMonth(int year, int month)
{
    if (year == FShownYear && month == FShownMonth) {
        // The calendar lives as long as the program: past midnight the
        // frame moves on to the new day within the month too.
        MarkToday();
        return;
    }
    FShownYear = year;
    FShownMonth = month;

    // The grid may be rebuilt from within a cell's own click, so the old
    // cells go once control is back in the event loop.
    for (TCalendarDigit *cell : std::as_const(FDayCells)) {
        cell->hide();
        cell->deleteLater();
    }
    FDayCells.clear();

    const QDate first(year, month, 1);
    const int offset = first.dayOfWeek() - 1; // Monday 0 .. Sunday 6
    const int days = first.daysInMonth();
    // Sunday-first columns: day n stands at position n + offset, so the 1st
    // never takes the top left place.
    for (int n = 1; n <= days; ++n) {
        const int position = n + offset;
        TCalendarDigit *cell = NewDayCell(EncodeDate(year, month, n), position % 7 + 1, position / 7, false);
        cell->SetSelected(cell->Tag == FDate);
    }
    MarkToday();

    const QDate previous = first.addMonths(-1);
    const int previousDays = previous.daysInMonth();
    for (int n = previousDays - offset; n <= previousDays; ++n) {
        const TDateTime day = EncodeDate(previous.year(), previous.month(), n);
        NewDayCell(day, DayOfTheWeek(day) % 7 + 1, 0, true);
    }

    const QDate following = first.addMonths(1);
    const int headDays = 42 - int(FDayCells.size());
    for (int n = 1; n <= headDays; ++n) {
        const int position = days + offset + n;
        NewDayCell(EncodeDate(following.year(), following.month(), n), position % 7 + 1, position / 7, true);
    }

    FTitlePanel->setText(QStringLiteral("%1 %2").arg(tr(MonthNames[month - 1])).arg(year));
}

void TZELMonthCalendar::MarkToday()
{
    // The shown month's own days come first; the grey ones are never framed.
    const int today = int(TClock::Today());
    const qsizetype days = QDate(FShownYear, FShownMonth, 1).daysInMonth();
    for (qsizetype i = 0; i < FDayCells.size(); ++i)
        FDayCells[i]->SetToday(i < days && FDayCells[i]->Tag == today);
}

TCalendarDigit *TZELMonthCalendar::NewDayCell(TDateTime day, int column, int row, bool grey)
{
    auto *cell = new TCalendarDigit(this);
    cell->SetDigitText(QString::number(DateTimeToQDate(day).day()));
    cell->Tag = int(day);
    SetTextColour(cell, grey ? OtherMonthText : MonthText);
    cell->move(column * FCell.width(), FGridTop + row * FCell.height());
    connect(cell, &TCalendarDigit::Clicked, this, &TZELMonthCalendar::DayClick);
    cell->show(); // the calendar may already be on screen
    FDayCells.append(cell);
    return cell;
}

void TZELMonthCalendar::PrevMonthClick()
{
    if (FShownMonth == 1)
        ShowMonth(FShownYear - 1, 12);
    else
        ShowMonth(FShownYear, FShownMonth - 1);
}

void TZELMonthCalendar::NextMonthClick()
{
    if (FShownMonth == 12)
        ShowMonth(FShownYear + 1, 1);
    else
        ShowMonth(FShownYear, FShownMonth + 1);
}

void TZELMonthCalendar::DayClick(TCalendarDigit *cell)
{
    // A grey day of a neighbouring month is taken as it is; the month shown
    // stays.
    FDate = cell->Tag;
    for (TCalendarDigit *each : std::as_const(FDayCells))
        each->SetSelected(false);
    cell->SetSelected(true);
    emit SelectDate();
}

void TZELMonthCalendar::TodayClick()
{
    SetDate(TClock::Today());
    for (TCalendarDigit *cell : std::as_const(FDayCells))
        cell->SetSelected(cell->Tag == FDate);
    emit SelectDate();
}

void TZELMonthCalendar::NoneClick()
{
    SetDate(0);
    for (TCalendarDigit *cell : std::as_const(FDayCells))
        cell->SetSelected(cell->Tag == 0);
    emit SelectDate();
}

QString TZELMonthCalendar::Title() const { return FTitlePanel->text(); }
