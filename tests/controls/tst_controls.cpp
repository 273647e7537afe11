#include "base/Clock.h"
#include "base/JbxError.h"
#include "base/LocaleFormats.h"
#include "controls/TCalendarDigit.h"
#include "controls/TFormCal.h"
#include "controls/TZELBlinkImage.h"
#include "controls/TZELCombo.h"
#include "controls/TZELDatePicker2.h"
#include "controls/TZELEditableLabel.h"
#include "controls/TZELMonthCalendar.h"

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>

namespace {
const QColor White(255, 255, 255);
const QColor Grey(128, 128, 128);
const QColor OtherMonth(0xCC, 0xCC, 0xCC);

// The cells as they stand on screen, row by row, left to right.
QList<TCalendarDigit *> InGridOrder(const TZELMonthCalendar &cal)
{
    QList<TCalendarDigit *> cells = cal.DayCells();
    std::sort(cells.begin(), cells.end(),
              [](auto *a, auto *b) { return a->y() != b->y() ? a->y() < b->y() : a->x() < b->x(); });
    return cells;
}

TCalendarDigit *CellOf(const TZELMonthCalendar &cal, TDateTime day)
{
    for (TCalendarDigit *cell : cal.DayCells())
        if (cell->Tag == day)
            return cell;
    return nullptr;
}

QList<TCalendarDigit *> SelectedCells(const TZELMonthCalendar &cal)
{
    QList<TCalendarDigit *> selected;
    for (TCalendarDigit *cell : cal.DayCells())
        if (cell->Selected())
            selected.append(cell);
    return selected;
}

QPixmap Filled(QColor colour, int size = 16)
{
    QPixmap picture(size, size);
    picture.fill(colour);
    return picture;
}

QColor ShownColour(const QLabel &label) { return label.pixmap().toImage().pixelColor(0, 0); }
} // namespace

class TestControls : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        TClock::Set(QDateTime(QDate(2003, 12, 10), QTime(15, 45)));
    }

    void cleanup()
    {
        TClock::Reset();
        TLocaleFormats::ResetTimeFormat();
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
    }

    // ---- month calendar ----

    void gridHoldsSixWeeksFromASunday_data()
    {
        QTest::addColumn<QDate>("month");
        QTest::addColumn<int>("daysBefore"); // grey days ahead of the 1st
        QTest::addColumn<QString>("title");
        QTest::newRow("starts on a Sunday") << QDate(2003, 6, 1) << 7 << "June 2003";
        QTest::newRow("starts on a Monday") << QDate(2003, 12, 1) << 1 << "December 2003";
        QTest::newRow("leap February") << QDate(2004, 2, 1) << 7 << "February 2004";
        QTest::newRow("starts on a Saturday") << QDate(2003, 2, 1) << 6 << "February 2003";
        QTest::newRow("no date at all") << QDate(1899, 12, 1) << 5 << "December 1899";
    }

    void gridHoldsSixWeeksFromASunday()
    {
        QFETCH(QDate, month);
        QFETCH(int, daysBefore);
        QFETCH(QString, title);
        TZELMonthCalendar cal;
        cal.SetDate(DateToDateTime(month.addDays(14)));
        QCOMPARE(cal.Title(), title);
        QCOMPARE(cal.DayCells().size(), 42);

        // Consecutive days, Sunday first, filling columns 1 to 7 of six rows.
        const QList<TCalendarDigit *> grid = InGridOrder(cal);
        const QSize cell = grid[0]->size();
        QCOMPARE(grid[daysBefore]->Tag, int(DateToDateTime(month)));
        QCOMPARE(DayOfTheWeek(grid[0]->Tag), 7);
        for (int i = 0; i < 42; ++i) {
            QCOMPARE(grid[i]->Tag, grid[0]->Tag + i);
            QCOMPARE(grid[i]->pos(),
                     QPoint((i % 7 + 1) * cell.width(), grid[0]->y() + i / 7 * cell.height()));
            const QDate day = DateTimeToQDate(grid[i]->Tag);
            QCOMPARE(grid[i]->DigitText(), QString::number(day.day()));
            QCOMPARE(grid[i]->palette().color(QPalette::WindowText),
                     day.month() == month.month() ? QColor(Qt::black) : OtherMonth);
        }
        // This month's days come first in the list.
        for (int n = 0; n < month.daysInMonth(); ++n)
            QCOMPARE(cal.DayCells()[n]->Tag, int(DateToDateTime(month.addDays(n))));
    }

    void arrowsStepThroughTheYearsWithoutChangingTheDate()
    {
        TZELMonthCalendar cal;
        cal.SetDate(EncodeDate(2003, 12, 20));
        QSignalSpy chosen(&cal, &TZELMonthCalendar::SelectDate);
        QTest::mouseClick(cal.NextArrow(), Qt::LeftButton);
        QCOMPARE(cal.Title(), QStringLiteral("January 2004"));
        QVERIFY(SelectedCells(cal).isEmpty());
        QTest::mouseClick(cal.PrevArrow(), Qt::LeftButton);
        QTest::mouseClick(cal.PrevArrow(), Qt::LeftButton);
        QCOMPARE(cal.Title(), QStringLiteral("November 2003"));
        cal.NextMonthClick();
        QCOMPARE(cal.Title(), QStringLiteral("December 2003"));
        QCOMPARE(cal.Date(), EncodeDate(2003, 12, 20));
        QCOMPARE(SelectedCells(cal), {CellOf(cal, EncodeDate(2003, 12, 20))});
        QCOMPARE(chosen.size(), 0);
    }

    void chosenDayAndTodayAreMarked()
    {
        TZELMonthCalendar cal; // starts on today
        QCOMPARE(SelectedCells(cal), {CellOf(cal, EncodeDate(2003, 12, 10))});
        cal.SetDate(EncodeDate(2004, 1, 20));
        cal.SetDate(EncodeDate(2003, 12, 20));
        TCalendarDigit *chosen = CellOf(cal, EncodeDate(2003, 12, 20));
        TCalendarDigit *today = CellOf(cal, EncodeDate(2003, 12, 10));
        QCOMPARE(SelectedCells(cal), {chosen});
        QCOMPARE(chosen->Background(), Grey);
        QCOMPARE(today->Background(), White);
        for (TCalendarDigit *cell : cal.DayCells())
            QCOMPARE(cell->Today(), cell == today);

        // Another day of the month shown: the grid and its marks stay.
        cal.SetDate(EncodeDate(2003, 12, 24));
        QCOMPARE(CellOf(cal, EncodeDate(2003, 12, 20)), chosen);
        QCOMPARE(SelectedCells(cal), {chosen});

        // Past midnight the frame moves on within the month shown too.
        TClock::Set(QDateTime(QDate(2003, 12, 11), QTime(0, 0, 1)));
        cal.SetDate(EncodeDate(2003, 12, 24));
        for (TCalendarDigit *cell : cal.DayCells())
            QCOMPARE(cell->Today(), cell == CellOf(cal, EncodeDate(2003, 12, 11)));

        // A moment within a day is no day of the grid.
        cal.SetDate(EncodeDate(2004, 2, 5) + EncodeTime(12, 0));
        QVERIFY(SelectedCells(cal).isEmpty());
    }

    void clickOnADayChoosesItEvenFromTheNextMonth()
    {
        TZELMonthCalendar cal;
        cal.SetDate(EncodeDate(2003, 12, 20));
        QSignalSpy chosen(&cal, &TZELMonthCalendar::SelectDate);
        TCalendarDigit *nextMonth = CellOf(cal, EncodeDate(2004, 1, 3));

        // Any other button only flashes the cell; weekday letters do nothing.
        QTest::mousePress(nextMonth, Qt::RightButton);
        QCOMPARE(nextMonth->Background(), Grey);
        QTest::mouseRelease(nextMonth, Qt::RightButton);
        QCOMPARE(nextMonth->Background(), White);
        for (TCalendarDigit *letter : cal.findChildren<TCalendarDigit *>()) {
            if (cal.DayCells().contains(letter))
                continue;
            QTest::mousePress(letter, Qt::LeftButton);
            QCOMPARE(letter->Background(), White);
            QTest::mouseRelease(letter, Qt::LeftButton);
        }
        QCOMPARE(chosen.size(), 0);

        QTest::mouseClick(nextMonth, Qt::LeftButton);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(cal.Date(), EncodeDate(2004, 1, 3));
        QCOMPARE(cal.Title(), QStringLiteral("December 2003"));
        QCOMPARE(SelectedCells(cal), {nextMonth});
        QCOMPARE(nextMonth->Background(), Grey);
    }

    void todayAndNoneButtons()
    {
        TZELMonthCalendar cal;
        cal.SetDate(EncodeDate(2003, 12, 20));
        TClock::Set(QDateTime(QDate(2005, 3, 15), QTime(10, 30)));
        QSignalSpy chosen(&cal, &TZELMonthCalendar::SelectDate);
        QTest::mouseClick(cal.TodayButton(), Qt::LeftButton);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(cal.Date(), EncodeDate(2005, 3, 15));
        QCOMPARE(cal.Title(), QStringLiteral("March 2005"));
        TCalendarDigit *today = CellOf(cal, EncodeDate(2005, 3, 15));
        QCOMPARE(SelectedCells(cal), {today});
        QVERIFY(today->Today());

        // Within the month shown the grid stays and only the mark moves.
        TCalendarDigit *other = CellOf(cal, EncodeDate(2005, 3, 2));
        cal.DayClick(other);
        cal.TodayClick();
        QCOMPARE(CellOf(cal, EncodeDate(2005, 3, 2)), other);
        QCOMPARE(SelectedCells(cal), {today});

        QTest::mouseClick(cal.NoneButton(), Qt::LeftButton);
        QCOMPARE(chosen.size(), 4);
        QCOMPARE(cal.Date(), 0.0);
        QCOMPARE(cal.Title(), QStringLiteral("December 1899"));
    }

    // ---- date picker and its popup ----

    void pickerTellsBeforeAndAfterAChoice()
    {
        QWidget window;
        auto *picker = new TZELDatePicker2(&window);
        picker->move(30, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(picker->text(), QStringLiteral("None"));
        QList<TDateTime> seen;
        connect(picker, &TZELDatePicker2::SelectingDate, [&] { seen << picker->Date(); });
        connect(picker, &TZELDatePicker2::DateSelected, [&] { seen << picker->Date(); });
        picker->SetDate(EncodeDate(2004, 2, 29));
        QCOMPARE(picker->text(), QStringLiteral("2/29/04"));
        QVERIFY(seen.isEmpty());
        picker->PickDate(EncodeDate(2004, 2, 29)); // the same date still tells
        QCOMPARE(seen, (QList<TDateTime>{EncodeDate(2004, 2, 29), EncodeDate(2004, 2, 29)}));
        seen.clear();

        // No date: the popup opens on today's month just below the label.
        picker->SetDate(0);
        TFormCal *popup = picker->Popup();
        QTest::mouseClick(picker, Qt::LeftButton);
        QVERIFY(popup->isVisible());
        QCOMPARE(popup->size(), popup->Cal->size());
        QCOMPARE(popup->pos(), picker->mapToGlobal(QPoint(0, picker->height() - 2)));
        QCOMPARE(popup->Cal->Title(), QStringLiteral("December 2003"));
        QTest::mouseClick(CellOf(*popup->Cal, EncodeDate(2003, 12, 24)), Qt::LeftButton);
        QCOMPARE(seen, (QList<TDateTime>{0, EncodeDate(2003, 12, 24)}));
        QCOMPARE(picker->text(), QStringLiteral("12/24/03"));
        QVERIFY(!popup->isVisible());

        // The next opening shows the picker's date; "None" clears it.
        picker->SetDate(EncodeDate(2004, 7, 1));
        picker->ShowCalendar();
        QCOMPARE(popup->Cal->Title(), QStringLiteral("July 2004"));
        QTest::mouseClick(popup->Cal->NoneButton(), Qt::LeftButton);
        QCOMPARE(picker->text(), QStringLiteral("None"));
        QVERIFY(!popup->isVisible());

        picker->ShowCalendar();
        popup->FormDeactivate();
        QVERIFY(!popup->isVisible());
        QCOMPARE(seen.size(), 4);
    }

    // The calendar popup stays whole on the screen: below its label where
    // it fits, above it near the bottom edge, moved in from the right edge.
    void calendarPopupStaysOnTheScreen_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QPoint>("place");
        QTest::newRow("room below") << QRect(100, 100, 60, 15) << QPoint(100, 113);
        QTest::newRow("at the bottom edge") << QRect(1030, 700, 60, 15) << QPoint(1030, 520);
        QTest::newRow("at the right edge") << QRect(1250, 100, 60, 15) << QPoint(1100, 113);
        QTest::newRow("in the bottom right corner") << QRect(1250, 760, 60, 15) << QPoint(1100, 580);
    }
    void calendarPopupStaysOnTheScreen()
    {
        QFETCH(QRect, anchor);
        QFETCH(QPoint, place);
        const QRect screen(0, 0, 1280, 800);
        const QSize popup(180, 180);
        QCOMPARE(PopupPlaceOnScreen(anchor, popup, screen), place);
        QVERIFY(screen.contains(QRect(place, popup)));
    }

    // ---- choice label ----

    void choiceLabelShowsTheItemAtAnIndex()
    {
        TZELCombo combo;
        QVERIFY(combo.font().underline());
        QCOMPARE(combo.palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(combo.cursor().shape(), Qt::PointingHandCursor);
        combo.SetItems({"Low", "Normal", "High"});
        QCOMPARE(combo.ItemIndex(), -1);
        combo.SetItemIndex(1);
        QCOMPARE(combo.Text(), QStringLiteral("Normal"));
        QCOMPARE(combo.width(), combo.sizeHint().width());
        combo.SetItems({"A", "B"}); // text and index stay
        QCOMPARE(combo.Text(), QStringLiteral("Normal"));
        QCOMPARE(combo.ItemIndex(), 1);
        combo.SetItemIndex(-1);
        QCOMPARE(combo.Text(), QString());

        combo.SetItemIndex(0);
        try {
            combo.SetItemIndex(2);
            QFAIL("no error for an index past the end");
        } catch (const EJbxError &error) {
            QCOMPARE(error.Message(), QStringLiteral("List index out of bounds (2)"));
        }
        QCOMPARE(combo.Text(), QStringLiteral("A"));
        QCOMPARE(combo.ItemIndex(), 2);
        QVERIFY_THROWS_EXCEPTION(EJbxError, combo.SetItemIndex(-2));
    }

    void choiceFromTheMenuTellsBeforeAndAfter()
    {
        TZELCombo combo;
        combo.SetItems({"Low", "Normal", "High"});
        combo.SetItemIndex(0);
        QStringList seen;
        auto note = [&] { seen << combo.Text() + QString::number(combo.ItemIndex()); };
        connect(&combo, &TZELCombo::Selecting, note);
        connect(&combo, &TZELCombo::Selected, note);

        QTest::mouseClick(&combo, Qt::LeftButton);
        QVERIFY(combo.Menu()->isVisible());
        const QList<QAction *> actions = combo.Menu()->actions();
        QCOMPARE(actions.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(actions[i]->text(), combo.Items()[i]);
            QVERIFY(!actions[i]->isChecked());
        }
        actions[2]->trigger();
        QCOMPARE(seen, (QStringList{"Low0", "High2"}));
        combo.ItemClick(2); // the current choice once more: all again
        QCOMPARE(seen.size(), 4);

        // Refilled each time, so it never grows; with no items it is empty.
        combo.ShowMenu();
        QCOMPARE(combo.Menu()->actions().size(), 3);
        combo.SetItems({});
        combo.ShowMenu();
        QVERIFY(combo.Menu()->actions().isEmpty());
        combo.Menu()->close();
    }

    // ---- editable label ----

    void editedTimeIsNormalised_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("caption");
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QLocale de(QLocale::German, QLocale::Germany);
        QTest::newRow("hour alone, en_US") << us << QString("9") << QString("9:00 AM");
        QTest::newRow("evening, en_US") << us << QString("21:30") << QString("9:30 PM");
        QTest::newRow("hour alone, de_DE") << de << QString("9") << QString("09:00");
        QTest::newRow("no such hour keeps the old") << de << QString("25:00") << QString("09:30");
        QTest::newRow("not a time keeps the old") << us << QString("soon") << QString("9:30 AM");
    }

    void editedTimeIsNormalised()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, typed);
        QFETCH(QString, caption);
        QLocale::setDefault(locale);
        TZELEditableLabel label;
        label.SetIsTime(true);
        const QString before = label.Caption();
        QStringList seen;
        connect(&label, &TZELEditableLabel::Editing, [&] { seen << label.Caption(); });
        connect(&label, &TZELEditableLabel::Edited, [&] { seen << label.Caption(); });

        QTest::mouseClick(label.CaptionLabel(), Qt::LeftButton);
        QVERIFY(label.IsEditing());
        QCOMPARE(label.Editor()->text(), before);
        QCOMPARE(label.Editor()->cursorPosition(), 0);
        QVERIFY(!label.Editor()->hasSelectedText());
        label.Editor()->setText(typed);
        QTest::keyClick(label.Editor(), Qt::Key_Return);
        QVERIFY(!label.IsEditing());
        QCOMPARE(seen, (QStringList{before, caption}));
    }

    void editBoxGrowsAroundTheCaptionAndGoesBack()
    {
        QWidget window;
        auto *label = new TZELEditableLabel(&window);
        auto *other = new QLineEdit(&window);
        other->move(0, 100);
        label->move(40, 30);
        label->SetCaption(QStringLiteral("Shopping"));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(label->size(), label->CaptionLabel()->size());
        QSignalSpy edited(label, &TZELEditableLabel::Edited);

        label->BeginEdit();
        QCOMPARE(label->pos(), QPoint(37, 27));
        QCOMPARE(label->height(), label->CaptionLabel()->height() + 6);
        QVERIFY(label->Editor()->hasFocus());
        const QFontMetrics metrics(label->Editor()->font());
        QCOMPARE(label->width(), metrics.horizontalAdvance("Shopping") + 15);
        QTest::keyClicks(label->Editor(), "Big ");
        QCOMPARE(label->Editor()->width(), metrics.horizontalAdvance("Big Shopping") + 15);
        QCOMPARE(label->width(), label->Editor()->width());

        // Escape neither cancels nor closes.
        QTest::keyClick(label->Editor(), Qt::Key_Escape);
        QVERIFY(label->IsEditing());
        QCOMPARE(edited.size(), 0);

        // Enter hides the focused box: the edit still ends only once.
        QTest::keyClick(label->Editor(), Qt::Key_Enter);
        QCOMPARE(edited.size(), 1);
        QCOMPARE(label->Caption(), QStringLiteral("Big Shopping"));
        QCOMPARE(label->pos(), QPoint(40, 30));
        QCOMPARE(label->size(), label->CaptionLabel()->size());

        // Moving the focus elsewhere ends it too.
        label->BeginEdit();
        label->Editor()->setText("List");
        other->setFocus(Qt::TabFocusReason);
        QCOMPARE(edited.size(), 2);
        QCOMPARE(label->Caption(), QStringLiteral("List"));
        QCOMPARE(label->pos(), QPoint(40, 30));

        // A handler taking the focus while the edit ends does not end it twice.
        label->BeginEdit();
        connect(label, &TZELEditableLabel::Editing, other, [other] { other->setFocus(); });
        label->HideEditor();
        QCOMPARE(edited.size(), 3);
        QCOMPARE(label->pos(), QPoint(40, 30));
    }

    // In every locale Qt knows, the time label proposes half past nine and
    // shows any time the locale's way ("9.30", "09 h 30", its own AM/PM),
    // and an edit that leaves the text as it was keeps the time.
    void timeLabelReadsBackWhatItShowsInEveryLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        for (const QLocale &locale :
             QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory))
            QTest::newRow(qPrintable(locale.bcp47Name())) << locale;
    }

    void timeLabelReadsBackWhatItShowsInEveryLocale()
    {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        TZELEditableLabel label;
        label.SetIsTime(true);
        QCOMPARE(label.Time(), EncodeTime(9, 30));
        // Five minutes from 23:58 is 0:03; seconds are not shown, nor kept.
        for (const TDateTime time : {EncodeTime(0, 3), EncodeTime(12, 0), EncodeTime(23, 55, 40)}) {
            const TDateTime minutes =
                EncodeTime(DateTimeToQTime(time).hour(), DateTimeToQTime(time).minute());
            label.SetTime(time);
            const QString shown = label.Caption();
            QCOMPARE(label.Time(), minutes);
            label.BeginEdit();
            QCOMPARE(label.Editor()->text(), shown);
            label.HideEditor();
            QCOMPARE(label.Caption(), shown);
            QCOMPARE(label.Time(), minutes);
            label.SetCaption(shown);
            QCOMPARE(label.Time(), minutes);
        }
    }

    void captionInTimeModeMustBeATime()
    {
        TZELEditableLabel label;
        QCOMPARE(label.Caption(), QStringLiteral("ZELEditableLabel"));
        label.SetIsTime(true);
        QCOMPARE(label.Caption(), QStringLiteral("9:30 AM"));
        QCOMPARE(label.size(), label.CaptionLabel()->size());
        QVERIFY_THROWS_EXCEPTION(EJbxError, label.SetCaption("24:00"));
        QCOMPARE(label.Caption(), QStringLiteral("9:30 AM"));
        // Every time shown is now without seconds.
        QCOMPARE(TLocaleFormats::TimeToStr(EncodeTime(14, 5, 30)), QStringLiteral("2:05 PM"));
        label.SetIsTime(false);
        QCOMPARE(label.Caption(), QStringLiteral("ZELEditableLabel"));
        label.SetCaption("24:00");
        QCOMPARE(label.Caption(), QStringLiteral("24:00"));
    }

    // ---- blinking picture ----

    void blinkAlternatesAndRestsOnTheFirstPicture()
    {
        TZELBlinkImage image;
        QCOMPARE(image.Interval(), 1000);
        QVERIFY(!image.Timer()->isActive());
        image.SetPicture1(Filled(Qt::red));
        image.SetPicture2(Filled(Qt::green, 24));
        QCOMPARE(image.size(), QSize(16, 16));
        QCOMPARE(image.minimumSize(), image.maximumSize());
        QCOMPARE(ShownColour(image), QColor(Qt::red));

        image.SetBlink(true);
        QVERIFY(image.Timer()->isActive());
        QCOMPARE(image.ShownPicture(), 1); // until the first tick
        const QList<int> expected = {2, 1, 2};
        for (int shown : expected) {
            image.BlinkTick();
            QCOMPARE(image.ShownPicture(), shown);
        }
        QCOMPARE(ShownColour(image), QColor(Qt::green));

        image.SetBlink(false);
        QVERIFY(!image.Timer()->isActive());
        QCOMPARE(ShownColour(image), QColor(Qt::red));
        // The phase goes on where it was: the next tick shows the first picture.
        image.SetBlink(true);
        image.BlinkTick();
        QCOMPARE(image.ShownPicture(), 1);
        QCOMPARE(image.size(), QSize(16, 16));
    }

    void blinkRestsWhileOutOfSight()
    {
        QWidget window;
        auto *image = new TZELBlinkImage(&window);
        image->SetPicture1(Filled(Qt::red));
        image->SetPicture2(Filled(Qt::green));
        window.show();
        image->SetBlink(true);
        QVERIFY(image->Timer()->isActive());
        // The window closed (a note hidden while it blinks): nothing to show.
        window.hide();
        QVERIFY(!image->Timer()->isActive());
        QVERIFY(image->Blink());
        window.show();
        QVERIFY(image->Timer()->isActive());
        // Stopped while out of sight, it stays still when shown again.
        window.hide();
        image->SetBlink(false);
        window.show();
        QVERIFY(!image->Timer()->isActive());
    }
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
