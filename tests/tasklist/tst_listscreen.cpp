// The task list window as the user sees it, offscreen: the widths through
// shrink and expand, the room of the scroll bar, the sort arrow, the title
// beside the buttons, a note's answer to its alert reaching the row, and the
// delete question's box.

#include "base/DateTime.h"
#include "controls/TSkinImage.h"
#include "notes/ReminderEngine.h"
#include "notes/TFormNote.h"
#include "platform/Fonts.h"
#include "settings/TUserInfo.h"
#include "support/ListFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

namespace {
// The columns as the program starts them: 0, 22, 22, 16, 200 and 70.
constexpr int DefaultSubject = 200;
constexpr int DefaultWidth = 0 + 22 + 22 + 16 + DefaultSubject + 70 + 15;
} // namespace

class TestListScreen : public QObject, TListFixture {
    Q_OBJECT

    // What the window shows now: the pictures it painted last, not drawn
    // anew for the look.
    static QImage OnScreen(QWidget &window)
    {
        QCoreApplication::processEvents();
        return window.screen()->grabWindow(window.winId()).toImage();
    }

    // The pixels of a cell, inside its grid lines, that are not the row's
    // background.
    static int Marks(TFormTaskList &list, int row, int column)
    {
        const QTableView *view = View(list)->ReportView();
        const QRect cell = view->visualRect(View(list)->Model()->index(row, column)).adjusted(1, 1, -2, -2);
        const QRect onWindow(view->viewport()->mapTo(&list, cell.topLeft()), cell.size());
        const QImage shown = OnScreen(list);
        const QColor background = shown.pixelColor(onWindow.bottomRight());
        int marks = 0;
        for (int y = onWindow.top(); y <= onWindow.bottom(); ++y)
            for (int x = onWindow.left(); x <= onWindow.right(); ++x)
                marks += shown.pixelColor(x, y) != background;
        return marks;
    }

private slots:
    void initTestCase() { InstallFontSubstitutions(); }
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    void shrinkAndExpandKeepTheColumns_data()
    {
        QTest::addColumn<bool>("startsExpanded");
        QTest::newRow("started expanded") << true;
        QTest::newRow("started shrunk") << false;
    }

    void shrinkAndExpandKeepTheColumns()
    {
        QFETCH(bool, startsExpanded);
        TUserInfo &settings = UserInfo();
        settings.Showing = true;
        settings.V_Expanded = startsExpanded;
        settings.Height = 250;
        Add("Water the plants");
        {
            TFormTaskList list(nullptr);
            if (!startsExpanded)
                QCOMPARE(list.size(), QSize(DefaultSubject + 35, 30));
            for (int cycle = 0; cycle < 3; ++cycle) {
                if (settings.V_Expanded)
                    list.PanelTitleDblClick();
                QCOMPARE(list.size(), QSize(DefaultSubject + 35, 30));
                list.PanelTitleDblClick();
                QVERIFY(settings.V_Expanded);
                // Every column at its width, and the frame around them.
                QCOMPARE(list.size(), QSize(DefaultWidth, 250));
                QCOMPARE(View(list)->ColumnWidth(ColumnSubject), DefaultSubject);
            }
        }
        QCOMPARE(settings.Column4Width, DefaultSubject);
        QCOMPARE(settings.Height, 250);
    }

    void theSortedColumnShowsItsArrow()
    {
        Add("b");
        Add("A", EncodeDate(2026, 5, 1));
        UserInfo().Showing = true;
        TFormTaskList list(nullptr);
        QHeaderView *header = View(list)->ReportView()->horizontalHeader();
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorSection(), int(ColumnDueDate));
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        const struct {
            int Column;
            Qt::SortOrder Order;
        } clicks[] = {{ColumnSubject, Qt::AscendingOrder},
                      {ColumnSubject, Qt::DescendingOrder},
                      {ColumnPriority, Qt::AscendingOrder},
                      {ColumnDueDate, Qt::AscendingOrder}};
        for (const auto &click : clicks) {
            emit header->sectionClicked(click.Column);
            QVERIFY(header->isSortIndicatorShown());
            QCOMPARE(header->sortIndicatorSection(), click.Column);
            QCOMPARE(header->sortIndicatorOrder(), click.Order);
        }
        // Taken up again as the settings left it.
        list.FormDestroy();
        TFormTaskList again(nullptr);
        QCOMPARE(View(again)->ReportView()->horizontalHeader()->sortIndicatorSection(), int(ColumnDueDate));
        QVERIFY(View(again)->ReportView()->horizontalHeader()->isSortIndicatorShown());
    }

    void theScrollBarTakesItsRoomFromTheSubject()
    {
        for (int day = 1; day <= 30; ++day)
            Add("Task " + QByteArray::number(day), EncodeDate(2026, 4, day));
        Add("Plumber");
        TUserInfo &settings = UserInfo();
        settings.Showing = true;
        settings.Height = 250;
        TFormTaskList list(nullptr);
        QTableView *view = View(list)->ReportView();
        QHeaderView *header = view->horizontalHeader();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QVERIFY(view->verticalScrollBar()->isVisible());
        const int bar = view->verticalScrollBar()->width();
        QVERIFY(bar > 0);

        // Every column in view, the dates whole: nothing to scroll sideways.
        QCOMPARE(header->sectionSize(ColumnDueDate), 70);
        QCOMPARE(header->sectionViewportPosition(ColumnDueDate) + 70, view->viewport()->width());
        QCOMPARE(header->sectionSize(ColumnSubject), DefaultSubject - bar);
        QCOMPARE(view->horizontalScrollBar()->maximum(), 0);
        QVERIFY(!view->horizontalScrollBar()->isVisible());
        // The Subject column keeps its width for the window and the settings.
        QCOMPARE(View(list)->ColumnWidth(ColumnSubject), DefaultSubject);
        QCOMPARE(list.width(), DefaultWidth);

        // A click on a date selects its row and scrolls nothing sideways.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Cell(list, 1, ColumnDueDate));
        QCOMPARE(View(list)->SelectedRow(), 1);
        QCOMPARE(view->horizontalScrollBar()->value(), 0);
        QCOMPARE(header->offset(), 0);

        // The user's widths count with the bar's room: a wider window widens
        // the Subject column by as much, on screen and in the settings.
        list.resize(DefaultWidth + 40, 250);
        QCoreApplication::processEvents();
        QCOMPARE(View(list)->ColumnWidth(ColumnSubject), DefaultSubject + 40);
        QCOMPARE(header->sectionSize(ColumnSubject), DefaultSubject + 40 - bar);
        QCOMPARE(view->horizontalScrollBar()->maximum(), 0);
        list.resize(DefaultWidth, 250);

        // Back from the large icons, the columns fit as before.
        list.LargeIcons1Click();
        list.List1Click();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(header->sectionViewportPosition(ColumnDueDate) + 70, view->viewport()->width());
        QCOMPARE(view->horizontalScrollBar()->maximum(), 0);

        // Few rows: no bar, and the Subject column has its room back.
        list.SearchBox()->setText(QStringLiteral("plumb"));
        list.TimerUpdateListViewTimer();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QVERIFY(!view->verticalScrollBar()->isVisible());
        QCOMPARE(header->sectionSize(ColumnSubject), DefaultSubject);
        QCOMPARE(header->sectionViewportPosition(ColumnDueDate) + 70, view->viewport()->width());
        list.FormDestroy();
        QCOMPARE(settings.Column4Width, DefaultSubject);
    }

    void aLongTitleEndsBeforeTheButtons_data()
    {
        QTest::addColumn<bool>("shrunk");
        QTest::newRow("hovered row, expanded") << false;
        QTest::newRow("title cycling, shrunk") << true;
    }

    void aLongTitleEndsBeforeTheButtons()
    {
        QFETCH(bool, shrunk);
        const QString subject = QStringLiteral(
            "Ring the insurance about the windscreen and ask whether the excess applies this year");
        Add(subject.toUtf8());
        UserInfo().Showing = true;
        TFormTaskList list(nullptr);
        if (shrunk)
            list.PanelTitleDblClick();
        else
            list.ListView1MouseMove(Cell(list, 0, ColumnSubject));
        QCOMPARE(list.TitleText(), subject);
        const QLabel *title = Child<QLabel>(list, "LabelTitle");
        QVERIFY2(title->geometry().right() < Child<TSkinImage>(list, "ImageH")->x(),
                 qPrintable(QStringLiteral("the title reaches %1, the help button starts at %2")
                                .arg(title->geometry().right())
                                .arg(Child<TSkinImage>(list, "ImageH")->x())));
        QVERIFY(title->text().endsWith(u'\u2026'));
        QVERIFY(subject.startsWith(title->text().chopped(1)));
        QVERIFY(title->fontMetrics().horizontalAdvance(title->text()) <= title->width());
    }

    void aNoteAnswerShowsInTheListAtTheNextRebuild_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<bool>("bell");
        QTest::newRow("acknowledged") << 0 << false;
        QTest::newRow("again in 15 minutes") << 1 << true;
        QTest::newRow("again in a year") << 7 << true;
    }

    void aNoteAnswerShowsInTheListAtTheNextRebuild()
    {
        QFETCH(int, tag);
        QFETCH(bool, bell);
        FNotes.reset();
        TFormNote::InstallCreator();
        TTask *task = Add("Call the bank");
        task->ReminderTime = QDateTimeToDateTime(Now.addSecs(30));
        UserInfo().Showing = true;
        TFormTaskList list(nullptr);
        CreateNoteWindow(task);
        TFormNote *note = TFormNote::OpenNotes().value(0);
        QVERIFY(note);
        // The list has drawn itself for the note's coming to the front:
        // from here on only a rebuild or a redraw of the row changes it.
        QVERIFY(QTest::qWaitForWindowActive(note));
        QCoreApplication::processEvents();
        QVERIFY(Marks(list, 0, ColumnReminder) > 0);

        TClock::Set(Now.addSecs(60));
        QVERIFY(ScanReminders(TaskList()).Fired);
        Child<QTimer>(list, "TimerUpdateListView")->stop();
        note->Acknowledged1Click(tag);
        QVERIFY(Child<QTimer>(list, "TimerUpdateListView")->isActive());
        list.TimerUpdateListViewTimer();
        QCOMPARE(Marks(list, 0, ColumnReminder) > 0, bell);

        TFormNote::DestroyAll();
        SetNoteCreator({});
    }

    void theDeleteQuestionHasNoIcon()
    {
        TTask *task = Add("Old receipt");
        FDialogs.reset(); // the real message box
        TFormTaskList list(nullptr);
        View(list)->SelectRow(0);
        QMessageBox::Icon icon = QMessageBox::Question;
        QString caption;
        QString text;
        QMessageBox::StandardButtons buttons;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            icon = box->icon();
            caption = box->windowTitle();
            text = box->text();
            buttons = box->standardButtons();
            box->button(QMessageBox::No)->click();
        });
        list.ActionDeleteSelectedNoteExecute();
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(caption, QStringLiteral("Confirmation"));
        QCOMPARE(text, QStringLiteral("Are you sure that you want to delete the selected note?"));
        QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(TaskList().Tasks().front(), task);
    }
};

QTEST_MAIN(TestListScreen)
#include "tst_listscreen.moc"
