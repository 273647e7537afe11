#include "controls/TCalendarDigit.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace {
const QColor White(255, 255, 255);
const QColor Grey(128, 128, 128);
const QColor TodayFrame(128, 0, 0);
} // namespace

TCalendarDigit::TCalendarDigit(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    SetBackground(White);
    setFixedSize(CellSize(font()));
}

QSize TCalendarDigit::CellSize(const QFont &font)
{
    const QFontMetrics metrics(font);
    const QString widest = QStringLiteral("007");
    return QSize(metrics.horizontalAdvance(widest) + 2, metrics.height());
}

void TCalendarDigit::SetDigitText(const QString &text)
{
    FDigitText = text;
    setText(text);
    text.toInt(&FIsNumber);
}

void TCalendarDigit::SetSelected(bool value)
{
    FSelected = value;
    SetBackground(value ? Grey : White);
}

void TCalendarDigit::SetToday(bool value)
{
    FToday = value;
    update();
}

QColor TCalendarDigit::Background() const { return palette().color(QPalette::Window); }

void TCalendarDigit::SetBackground(QColor color)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Window, color);
    setPalette(colours);
}

void TCalendarDigit::mousePressEvent(QMouseEvent *event)
{
    QLabel::mousePressEvent(event);
    // Feedback while the button is down; the weekday letters stay as they are.
    if (FIsNumber)
        SetBackground(Grey);
}

void TCalendarDigit::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    SetBackground(FSelected ? Grey : White);
    if (FIsNumber && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Clicked(this); // last: the receiver may rebuild the grid
}

void TCalendarDigit::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!FToday)
        return;
    // Painted over the text rather than as a child frame, so clicks on the
    // border still reach the cell.
    QPainter painter(this);
    painter.setPen(TodayFrame);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
