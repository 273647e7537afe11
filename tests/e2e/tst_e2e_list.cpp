// The task list window of the installed program on a private X display with
// a window manager: it comes up where the settings put it, in its skin and
// with a row per task; its search box narrows the rows; and a drag of its
// corner sizes it, which the settings keep.

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

    void WriteListSettings()
    {
        // The list alone on screen, where the test expects it.
        const QString error =
            WriteSettings(QStringLiteral("ShowTips=0\r\nShowToolBar=0\r\nShowing=1\r\n"
                                         "Left=%1\r\nTop=%2\r\nHeight=%3\r\nDisplayDueDate=1\r\n"
                                         "DisplayCompletedNotes=0\r\n")
                              .arg(KPlace.x())
                              .arg(KPlace.y())
                              .arg(KHeight));
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
};

QTEST_GUILESS_MAIN(TestE2eList)
#include "tst_e2e_list.moc"
