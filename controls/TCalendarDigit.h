#pragma once

#include <QLabel>

// One cell of the month calendar: a weekday letter of the header, or a day
// number of the grid (then Tag holds that day's whole day number). Its size
// is that of "007" in its font, 2 pixels wider.
class TCalendarDigit : public QLabel {
    Q_OBJECT

public:
    explicit TCalendarDigit(QWidget *parent = nullptr);

    // The width and height of a cell in the given widget's font.
    static QSize CellSize(const QFont &font);

    void SetDigitText(const QString &text);
    QString DigitText() const { return FDigitText; }
    void SetSelected(bool value); // grey background when set, else white
    bool Selected() const { return FSelected; }
    void SetToday(bool value); // a dark-red frame along the border
    bool Today() const { return FToday; }
    int Tag = 0;
    // For tests: the background colour now shown.
    QColor Background() const;

signals:
    // A click of the primary button on a day cell.
    void Clicked(TCalendarDigit *cell);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void SetBackground(QColor color);

    QString FDigitText;
    bool FIsNumber = false; // the text is a whole number: a day cell
    bool FSelected = false;
    bool FToday = false;
};
