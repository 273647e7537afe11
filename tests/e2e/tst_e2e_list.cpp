// The task list window of the installed program on a private X display with
// a window manager: it comes up where the settings put it, in its skin and
// with a row per task; its search box narrows the rows; a drag of its corner
// sizes it, which the settings keep; its button shrinks and expands it to
// the same sizes every time; and a list longer than the window keeps its
// dates in view, shows its sort, and never scrolls sideways.

#include "base/DateTime.h"
#include "e2e/TE2eTest.h"
#include "e2e/TProgram.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QTest>
#include <csignal>
#include <cstdlib>

namespace {
constexpr QPoint KPlace(100, 80);
constexpr int KHeight = 260;
// The columns' widths as the program starts them (0, 22, 22, 16, 200, 70),
// and the frame's 15 pixels around them.
constexpr int KSubjectWidth = 200;
constexpr int KWidth = 0 + 22 + 22 + 16 + KSubjectWidth + 70 + 15;
constexpr int KTitleHeight = 30;
// The list inside the window: the frame's left edge, the columns before the
// Subject (done, reminder, priority) and the column header.
constexpr int KListLeft = 7;
constexpr int KBeforeSubject = 0 + 22 + 22 + 16;
constexpr int KHeaderHeight = 17;
constexpr int KRowHeight = 17;

// Subjects in the order the list sorts them (by due date); only the third
// holds the word searched for, and the finished one is not listed.
constexpr const char *KTexts[] = {"Buy milk\r\nand bread", "Water the plants", "Call the plumber",
                                  "Write the report"};
constexpr int KFinished = 3;
constexpr int KListed = 3;
constexpr int KSearched = 2;
} // namespace

class TestE2eList : public TE2eTest {
    Q_OBJECT

    void WriteListSettings(const QString &more = QString())
    {
        // The list alone on screen, where the test expects it.
        const QString error =
            WriteSettings(QStringLiteral("ShowTips=0\r\nShowToolBar=0\r\nShowing=1\r\n"
                                         "Left=%1\r\nTop=%2\r\nHeight=%3\r\nDisplayDueDate=1\r\n"
                                         "DisplayCompletedNotes=0\r\n")
                              .arg(KPlace.x())
                              .arg(KPlace.y())
                              .arg(KHeight) +
                          more);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void WriteTasks()
    {
        WriteDataFile([](TTaskList &tasks) {
            int day = 1;
            for (const char *text : KTexts) {
                TTask *task = tasks.AddNewTask();
                task->Text = text;
                task->DueDate = EncodeDate(2099, 3, day++);
                task->ReminderTime = 0;
                task->Alerting = false;
                task->NoteOpen = false;
            }
            tasks.GetTask(KFinished)->Finished = true;
        });
    }

    // The Subject column of a row of the list in a window at `window`, on
    // the screen.
    static QRect SubjectCell(const QRect &window, int row)
    {
        const int left = window.x() + KListLeft + KBeforeSubject;
        const int top = window.y() + KTitleHeight + KHeaderHeight + row * KRowHeight;
        return {left + 2, top + 1, KSubjectWidth - 4, KRowHeight - 2};
    }

    // Where text is drawn in a cell: the dark pixels, as a picture of their
    // own so that two cells with the same text compare equal whatever their
    // background.
    static QImage InkOf(const QImage &screen, const QRect &cell)
    {
        QImage ink(cell.size(), QImage::Format_Mono);
        ink.fill(0);
        for (int y = 0; y < cell.height(); ++y)
            for (int x = 0; x < cell.width(); ++x)
                if (screen.pixelColor(cell.topLeft() + QPoint(x, y)).lightness() < 180)
                    ink.setPixel(x, y, 1);
        return ink;
    }

    static int Dots(const QImage &ink)
    {
        int dots = 0;
        for (int y = 0; y < ink.height(); ++y)
            for (int x = 0; x < ink.width(); ++x)
                dots += ink.pixelIndex(x, y);
        return dots;
    }

    // The rows with text in the Subject column, counted from the top down
    // to the first without.
    static int RowsShown(const QImage &screen, const QRect &window)
    {
        // The list ends 38 pixels above the window's bottom.
        const int rows = (window.height() - KTitleHeight - 38 - KHeaderHeight) / KRowHeight;
        int row = 0;
        while (row < rows && Dots(InkOf(screen, SubjectCell(window, row))) > 20)
            ++row;
        return row;
    }

    // A click on the shrink/expand button of the list window `id`, then
    // the wait until the window has the size; why not, or empty.
    QString ToggledTo(const QString &id, QSize size) const
    {
        const QRect window = Geometry(id);
        // The button is 19 pixels square, 46 pixels left of the right edge.
        PointerTo(window.topLeft() + QPoint(window.width() - 46 + 9, 6 + 9));
        XDo({"click", "1"});
        if (Eventually([&] { return Geometry(id).size() == size; }))
            return {};
        const QRect now = Geometry(id);
        return QStringLiteral("the list is %1x%2, not %3x%4")
            .arg(now.width())
            .arg(now.height())
            .arg(size.width())
            .arg(size.height());
    }

    // Starts the program and waits for its list, settled where the settings
    // put it.
    QString StartedList(TProgram &program, QString *why) const
    {
        const QString id = Started(program, why);
        if (id.isEmpty())
            return {};
        if (const QRect shown = Geometry(id); shown != QRect(KPlace, QSize(KWidth, KHeight))) {
            *why = QStringLiteral("the list stands at %1 sized %2x%3")
                       .arg(At(shown.topLeft()))
                       .arg(shown.width())
                       .arg(shown.height());
            return {};
        }
        return id;
    }

private slots:
    void init()
    {
        const QString installError = InstallFresh();
        QVERIFY2(installError.isEmpty(), qPrintable(installError));
        WriteListSettings();
        WriteTasks();
    }

    void listComesUpInPlaceInItsSkinWithARowPerTask()
    {
        TProgram program(FFolder, Environment());
        QString why;
        const QString id = StartedList(program, &why);
        QVERIFY2(!id.isEmpty(), qPrintable(why));
        const QRect window = Geometry(id);

        const QString shot = SaveScreenshot(QStringLiteral("list.png"));
        QVERIFY2(!shot.isEmpty(), "no screenshot written");
        const QImage screen(shot);
        QVERIFY(!screen.isNull());

        // The title bar between the icon and the buttons is the skin's
        // middle piece, stretched sideways only.
        const QImage topMid(Path(QStringLiteral("skins/1/top_mid.bmp")));
        QCOMPARE(topMid.height(), KTitleHeight);
        for (int y : {3, KTitleHeight - 4}) {
            const QPoint at = window.topLeft() + QPoint(window.width() / 2 + 20, y);
            QCOMPARE(screen.pixelColor(at), topMid.pixelColor(topMid.width() / 2, y));
        }

        QCOMPARE(RowsShown(screen, window), KListed);

        QCOMPARE(program.Stop(SIGTERM), 0);
    }

    void searchBoxNarrowsTheRowsToTheMatchingTask()
    {
        TProgram program(FFolder, Environment());
        QString why;
        const QString id = StartedList(program, &why);
        QVERIFY2(!id.isEmpty(), qPrintable(why));
        const QRect window = Geometry(id);
        // Away from the list: a row under the pointer is underlined.
        PointerTo(window.topLeft() - QPoint(50, 50));
        const QImage wanted = InkOf(Screenshot(), SubjectCell(window, KSearched));
        QVERIFY(Dots(wanted) > 20);

        // The search box (65x21) is left of the New and Delete buttons at the
        // bottom.
        const QPoint box = window.topLeft() + QPoint(window.width() - 145, window.height() - 30);
        PointerTo(box + QPoint(32, 10));
        XDo({"click", "1"});
        XDo({"type", "--delay", "30", "plumb"});
        QImage screen;
        if (!Eventually([&] { return RowsShown(screen = Screenshot(), window) == 1; })) {
            SaveScreenshot(QStringLiteral("list-search.png"));
            QFAIL(qPrintable(QStringLiteral("%1 rows shown after the search, not 1; program output:\n%2")
                                 .arg(RowsShown(screen, window))
                                 .arg(program.Output())));
        }
        QVERIFY2(InkOf(screen, SubjectCell(window, 0)) == wanted, "the row left is not the plumber's");

        // An emptied box lists them all again.
        XDo({"key", "ctrl+a", "BackSpace"});
        QVERIFY2(
            Eventually([&] { return RowsShown(screen = Screenshot(), window) == KListed; }),
            qPrintable(
                QStringLiteral("%1 rows shown after the search was emptied").arg(RowsShown(screen, window))));

        QCOMPARE(program.Stop(SIGTERM), 0);
    }

    void draggingTheCornerSizesTheListAndTheSettingsKeepIt()
    {
        TProgram program(FFolder, Environment());
        QString why;
        const QString id = StartedList(program, &why);
        QVERIFY2(!id.isEmpty(), qPrintable(why));
        const QRect window = Geometry(id);

        // The corner picture's bottom pixels size the window from that corner.
        const QPoint shift(80, 60);
        why = DragBy(id, window.bottomRight() - QPoint(2, 2), shift);
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QVERIFY2(SettledWindow(program, &why) == id, qPrintable(why));

        const QRect sized = Geometry(id);
        const QSize expected = window.size() + QSize(shift.x(), shift.y());
        const QSize off = sized.size() - expected;
        if (std::abs(off.width()) + std::abs(off.height()) > 8) {
            SaveScreenshot(QStringLiteral("list-sized.png"));
            QFAIL(qPrintable(QStringLiteral("the list is %1x%2, not about %3x%4")
                                 .arg(sized.width())
                                 .arg(sized.height())
                                 .arg(expected.width())
                                 .arg(expected.height())));
        }
        QCOMPARE(sized.topLeft(), window.topLeft());

        QCOMPARE(program.Stop(SIGTERM), 0);
        TUserInfo settings(FFolder + u'/');
        settings.LoadSettings();
        QCOMPARE(settings.Height, sized.height());
        // The Subject column takes up the width.
        QCOMPARE(settings.Column4Width, KSubjectWidth + sized.width() - window.width());
        QCOMPARE(QPoint(settings.Left, settings.Top), window.topLeft());
    }

    void shrinkAndExpandKeepTheColumns()
    {
        // Started shrunk, the list has never been expanded this time.
        WriteListSettings(QStringLiteral("V_Expanded=0\r\n"));
        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        // The title bar alone is too low to count among the program's
        // windows: it is found by its place and size.
        const QSize shrunk(KSubjectWidth + 35, KTitleHeight);
        const QString pid = QString::number(program.Process().processId());
        QString id;
        const bool found = Eventually([&] {
            const QStringList ids =
                XDo({"search", "--all", "--onlyvisible", "--pid", pid, "--name", "^Jotterbox$"})
                    .split(u'\n', Qt::SkipEmptyParts);
            for (const QString &candidate : ids)
                if (Geometry(candidate) == QRect(KPlace, shrunk))
                    id = candidate;
            return !id.isEmpty();
        });
        QVERIFY2(found, qPrintable(QStringLiteral("no shrunk list on screen; program output:\n") +
                                   program.Output()));
        QString why;
        for (int cycle = 0; cycle < 3; ++cycle) {
            why = ToggledTo(id, QSize(KWidth, KHeight));
            QVERIFY2(why.isEmpty(),
                     qPrintable(QStringLiteral("expanding, cycle %1: %2").arg(cycle).arg(why)));
            why = ToggledTo(id, shrunk);
            QVERIFY2(why.isEmpty(),
                     qPrintable(QStringLiteral("shrinking, cycle %1: %2").arg(cycle).arg(why)));
        }
        QCOMPARE(program.Stop(SIGTERM), 0);
        TUserInfo settings(FFolder + u'/');
        settings.LoadSettings();
        QCOMPARE(settings.Column4Width, KSubjectWidth);
        QCOMPARE(settings.Height, KHeight);
    }

    void aLongListKeepsItsDatesInViewAndShowsItsSort()
    {
        // More rows than the window has room for.
        WriteDataFile([](TTaskList &tasks) {
            for (int day = 1; day <= 30; ++day) {
                TTask *task = tasks.AddNewTask();
                task->Text = QByteArray("Task ") + QByteArray::number(day);
                task->DueDate = EncodeDate(2099, 4, day);
                task->ReminderTime = 0;
                task->Alerting = false;
                task->NoteOpen = false;
            }
        });
        TProgram program(FFolder, Environment());
        QString why;
        const QString id = StartedList(program, &why);
        QVERIFY2(!id.isEmpty(), qPrintable(why));
        const QRect window = Geometry(id);
        const QPoint list = window.topLeft() + QPoint(KListLeft, KTitleHeight);
        const QRect headers(list, QSize(KWidth - 15, KHeaderHeight));
        const QPoint away = window.topLeft() - QPoint(50, 50);
        PointerTo(away);
        const QImage before = Screenshot();

        // A click on a date, near the left of its column, selects the row
        // and moves nothing sideways.
        PointerTo(list + QPoint(KBeforeSubject + KSubjectWidth + 5, KHeaderHeight + KRowHeight + 8));
        XDo({"click", "1"});
        PointerTo(away);
        QImage after;
        const bool selected = Eventually([&] {
            after = Screenshot();
            return after.copy(SubjectCell(window, 1)) != before.copy(SubjectCell(window, 1));
        });
        QVERIFY2(selected, "the click on a date did not select its row");
        if (after.copy(headers) != before.copy(headers)) {
            SaveScreenshot(QStringLiteral("list-date-click.png"));
            QFAIL("the column headers moved when a date was clicked");
        }

        // A click on the Subject header sorts by it, and its header shows
        // so (the arrow moves there); the headers stay where they were.
        const QRect pictureHeaders(list, QSize(KBeforeSubject, KHeaderHeight));
        // The Subject header up to where the scroll bar's room begins; its
        // arrow stands at its right end.
        const QRect subjectHeader(list + QPoint(KBeforeSubject, 0), QSize(KSubjectWidth - 16, KHeaderHeight));
        PointerTo(list + QPoint(KBeforeSubject + 30, KHeaderHeight / 2));
        XDo({"click", "1"});
        PointerTo(away);
        const QImage dueSorted = after;
        const bool marked = Eventually([&] {
            after = Screenshot();
            return after.copy(subjectHeader) != dueSorted.copy(subjectHeader);
        });
        if (!marked || after.copy(pictureHeaders) != dueSorted.copy(pictureHeaders)) {
            SaveScreenshot(QStringLiteral("list-sorted.png"));
            QFAIL(marked ? "the column headers moved sideways when the Subject header was clicked"
                         : "the Subject header looks the same when the rows are sorted by it");
        }

        QCOMPARE(program.Stop(SIGTERM), 0);
        TUserInfo settings(FFolder + u'/');
        settings.LoadSettings();
        QCOMPARE(settings.SortColumn, 4);
        QVERIFY(settings.SortAscending);
        // The scroll bar's room is not taken from the stored widths.
        QCOMPARE(settings.Column4Width, KSubjectWidth);
        QCOMPARE(settings.Column5Width, 70);
    }
};

QTEST_GUILESS_MAIN(TestE2eList)
#include "tst_e2e_list.moc"
