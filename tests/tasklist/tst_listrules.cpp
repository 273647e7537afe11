// The task list's rules that need no window: the order of every column,
// the filters, the search by typing, the frame's zones and layout, and the
// lines it prints and exports.

#include "base/DateTime.h"
#include "base/LocaleFormats.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"
#include "tasklist/ListFrame.h"
#include "tasklist/ListRules.h"
#include "tasklist/TaskOrder.h"
#include "tasklist/TypeAhead.h"

#include <QTest>
#include <memory>

namespace {
int Sign(int value) { return (value > 0) - (value < 0); }
} // namespace

class TestListRules : public QObject {
    Q_OBJECT

    std::unique_ptr<TUserInfo> FSettings;
    std::unique_ptr<TTaskList> FTasks;

    TTask *Add(const QByteArray &text, double due = 0, double reminder = 0, int priority = 2,
               bool finished = false)
    {
        TTask *task = FTasks->AddNewTask();
        task->Text = text;
        task->DueDate = due;
        task->ReminderTime = reminder;
        task->Priority = priority;
        task->Finished = finished;
        return task;
    }

    static QStringList Subjects(const std::vector<TTask *> &rows)
    {
        QStringList subjects;
        for (const TTask *task : rows)
            subjects << SubjectText(*task);
        return subjects;
    }

private slots:
    void init()
    {
        FSettings = std::make_unique<TUserInfo>();
        FTasks = std::make_unique<TTaskList>(*FSettings);
    }
    void cleanup()
    {
        FTasks.reset();
        FSettings.reset();
        QLocale::setDefault(QLocale::c());
    }

    void compareRulesForAscendingOrder_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<int>("expected");
        const double d1 = EncodeDate(2026, 3, 1);
        const double d2 = EncodeDate(2026, 3, 2);
        for (int column : {int(ColumnReminder), int(ColumnDueDate)}) {
            const QByteArray name = column == ColumnDueDate ? "due " : "reminder ";
            QTest::newRow(name + "earlier first") << column << d1 << d2 << -1;
            QTest::newRow(name + "later after") << column << d2 << d1 << 1;
            QTest::newRow(name + "equal") << column << d1 << d1 << 0;
            QTest::newRow(name + "empty after a set one") << column << 0.0 << d1 << 1;
            QTest::newRow(name + "set one before an empty one") << column << d1 << 0.0 << -1;
            QTest::newRow(name + "two empty ones equal") << column << 0.0 << 0.0 << 0;
        }
        QTest::newRow("priority high before normal") << int(ColumnPriority) << 3.0 << 2.0 << -1;
        QTest::newRow("priority low after normal") << int(ColumnPriority) << 1.0 << 2.0 << 1;
        QTest::newRow("priority equal") << int(ColumnPriority) << 1.0 << 1.0 << 0;
        QTest::newRow("unfinished before finished") << int(ColumnFinished) << 0.0 << 1.0 << -1;
        QTest::newRow("finished after unfinished") << int(ColumnFinished) << 1.0 << 0.0 << 1;
        QTest::newRow("column beyond the six") << 6 << 1.0 << 0.0 << 0;
        QTest::newRow("negative column") << -1 << 1.0 << 0.0 << 0;
    }
    void compareRulesForAscendingOrder()
    {
        QFETCH(int, column);
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(int, expected);
        TTask *x = Add("x");
        TTask *y = Add("y");
        auto set = [column](TTask *task, double value) {
            task->DueDate = column == ColumnDueDate ? value : 0;
            task->ReminderTime = column == ColumnReminder ? value : 0;
            task->Priority = column == ColumnPriority ? int(value) : 2;
            task->Finished = column == ColumnFinished && value != 0;
        };
        set(x, a);
        set(y, b);
        QCOMPARE(Sign(CompareTasks(*x, *y, column)), expected);
        QCOMPARE(Sign(CompareTasks(*y, *x, column)), -expected);
    }

    void subjectsFoldOnlyAToZ_data()
    {
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<int>("expected");
        QTest::newRow("lower-case a before upper-case B")
            << QByteArray("apple") << QByteArray("Banana") << -1;
        QTest::newRow("letter case alone is equal") << QByteArray("Milk") << QByteArray("mILK") << 0;
        QTest::newRow("the beginning of a text first") << QByteArray("Call") << QByteArray("call mum") << -1;
        // '_' (0x5F) lies between the upper-case letters and the lower-case
        // ones: folded, 'a' becomes 'A' (0x41) and comes first.
        QTest::newRow("only a-z fold") << QByteArray("a") << QByteArray("_") << -1;
        QTest::newRow("accented letters by their bytes")
            << QByteArray("\xc3\xa9t\xc3\xa9") << QByteArray("zoo") << 1;
        QTest::newRow("accented letters do not fold")
            << QByteArray("\xc3\xa9") << QByteArray("\xc3\x89") << 1;
        QTest::newRow("subject is the first non-blank line")
            << QByteArray("\r\n  \r\n  beta\r\nalpha") << QByteArray("Beta") << 0;
    }
    void subjectsFoldOnlyAToZ()
    {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QFETCH(int, expected);
        TTask *x = Add(a);
        TTask *y = Add(b);
        QCOMPARE(Sign(CompareTasks(*x, *y, ColumnSubject)), expected);
        QCOMPARE(Sign(CompareTasks(*y, *x, ColumnSubject)), -expected);
    }

    void sortingPutsEmptyDatesLastAscendingAndFirstDescending()
    {
        Add("none 1");
        Add("late", EncodeDate(2026, 5, 1));
        Add("none 2");
        Add("early", EncodeDate(2026, 1, 1));
        std::vector<TTask *> rows = FTasks->Tasks();
        SortTasks(rows, ColumnDueDate, true);
        QCOMPARE(Subjects(rows), (QStringList{"early", "late", "none 1", "none 2"}));
        SortTasks(rows, ColumnDueDate, false);
        QCOMPARE(Subjects(rows).mid(2), (QStringList{"late", "early"}));

        SortTasks(rows, ColumnSubject, false);
        QCOMPARE(Subjects(rows), (QStringList{"none 2", "none 1", "late", "early"}));
        // A column the settings file made up leaves the order alone.
        const std::vector<TTask *> before = rows;
        SortTasks(rows, 9, true);
        QVERIFY(rows == before);
    }

    void sortingByPriorityAndFinished()
    {
        Add("low", 0, 0, TTask::PriorityLow);
        Add("high", 0, 0, TTask::PriorityHigh);
        Add("done", 0, 0, TTask::PriorityNormal, true);
        Add("normal");
        std::vector<TTask *> rows = FTasks->Tasks();
        SortTasks(rows, ColumnPriority, true);
        QCOMPARE(Subjects(rows).first(), QStringLiteral("high"));
        QCOMPARE(Subjects(rows).last(), QStringLiteral("low"));
        SortTasks(rows, ColumnFinished, true);
        QCOMPARE(Subjects(rows).last(), QStringLiteral("done"));
        SortTasks(rows, ColumnFinished, false);
        QCOMPARE(Subjects(rows).first(), QStringLiteral("done"));
    }

    void filtersKeepWhatTheUserAskedFor()
    {
        Add("Shopping\r\nMilk and BREAD");
        Add("Call Anna");
        Add("Old bread", 0, 0, 2, true);
        auto listed = [this](bool completed, const QString &search) {
            return Subjects(ListedTasks(*FTasks, completed, search));
        };
        QCOMPARE(listed(true, QString()), (QStringList{"Shopping", "Call Anna", "Old bread"}));
        QCOMPARE(listed(false, QString()), (QStringList{"Shopping", "Call Anna"}));
        // Blanks alone filter nothing; the text is searched in every line,
        // in any letter case.
        QCOMPARE(listed(true, QStringLiteral("   ")).size(), 3);
        QCOMPARE(listed(true, QStringLiteral("bread")), (QStringList{"Shopping", "Old bread"}));
        QCOMPARE(listed(false, QStringLiteral("bread")), QStringList{"Shopping"});
        // A leading blank is part of what is searched for.
        QCOMPARE(listed(true, QStringLiteral(" anna")), QStringList{"Call Anna"});
        QCOMPARE(listed(true, QStringLiteral(" call")), QStringList());
        QCOMPARE(listed(true, QStringLiteral("milk")), QStringList{"Shopping"});
    }

    void unwrittenNewNoteMustReadExactly()
    {
        Add("new note");
        Add("New Note ");
        Add("New Note", 0, 0, 2, true);
        QCOMPARE(UnwrittenNewNote(*FTasks), nullptr);
        TTask *blank = Add("New Note");
        Add("New Note");
        QCOMPARE(UnwrittenNewNote(*FTasks), blank);
    }

    void typingFindsRowsByTheirBeginning()
    {
        const QStringList rows = {"Apples", "banana", "Cherry", "apricot", "Blueberry"};
        auto text = [&rows](int row) { return rows[row]; };
        TTypeAhead search;
        // With none selected the search begins after the first row.
        QCOMPARE(search.Type("a", 0, 5, -1, text), 3);
        // Within a second the letters add up; the search goes on after the
        // selected row and wraps to the top.
        QCOMPARE(search.Type("p", 500, 5, 3, text), 0);
        QCOMPARE(search.Text(), QStringLiteral("ap"));
        QCOMPARE(search.Type("p", 1400, 5, 0, text), 0);
        // Nothing matches: the letter is dropped again.
        QCOMPARE(search.Type("x", 1800, 5, 0, text), -1);
        QCOMPARE(search.Text(), QStringLiteral("app"));
        // A pause of more than a second starts a new search.
        QCOMPARE(search.Type("b", 2801, 5, 0, text), 1);
        QCOMPARE(search.Text(), QStringLiteral("b"));
        QCOMPARE(search.Type("b", 5000, 5, 1, text), 4);
        QCOMPARE(search.Type("z", 9000, 0, -1, text), -1);
    }

    void frameZonesDecideMoveOrSize()
    {
        auto zone = [](TListPart part, QPoint p, QSize size, bool expanded = true) {
            return ListHitZone(part, p, size, expanded, 39);
        };
        const QSize end(12, 30);
        QCOMPARE(zone(TListPart::TopLeft, {3, 3}, end).Edges, Qt::TopEdge | Qt::LeftEdge);
        QCOMPARE(zone(TListPart::TopLeft, {9, 3}, end).Edges, Qt::Edges(Qt::TopEdge));
        QCOMPARE(zone(TListPart::TopLeft, {3, 20}, end).Edges, Qt::Edges(Qt::LeftEdge));
        QVERIFY(zone(TListPart::TopLeft, {9, 20}, end).Move);
        QVERIFY(zone(TListPart::TopLeft, {3, 3}, end, false).Move);
        QCOMPARE(zone(TListPart::TopRight, {3, 7}, end).Edges, Qt::Edges(Qt::TopEdge));
        QCOMPARE(zone(TListPart::TopRight, {3, 8}, end), (TDragZone{true, {}, Qt::ArrowCursor}));
        QCOMPARE(zone(TListPart::TopRight, {4, 20}, end).Edges, Qt::Edges(Qt::RightEdge));
        QCOMPARE(zone(TListPart::TopRight, {4, 2}, end).Cursor, Qt::SizeBDiagCursor);
        // The top of a shrunk title bar's middle does nothing.
        QCOMPARE(zone(TListPart::TopMid, {50, 2}, {200, 30}, false), TDragZone());
        QCOMPARE(zone(TListPart::TopMid, {50, 2}, {200, 30}).Edges, Qt::Edges(Qt::TopEdge));
        const TDragZone label = zone(TListPart::TitleLabel, {1, 1}, {60, 13});
        QVERIFY(label.Move && label.AnyButton && label.KeepCursor);

        QCOMPARE(zone(TListPart::BottomMid, {50, 32}, {200, 39}).Edges, Qt::Edges(Qt::BottomEdge));
        QVERIFY(zone(TListPart::BottomMid, {50, 31}, {200, 39}).Move);
        QCOMPARE(zone(TListPart::BottomLeft, {3, 35}, {12, 39}).Cursor, Qt::SizeBDiagCursor);
        QCOMPARE(zone(TListPart::BottomLeft, {9, 35}, {12, 39}).Edges, Qt::Edges(Qt::BottomEdge));
        QCOMPARE(zone(TListPart::BottomRight, {9, 35}, {12, 39}).Edges, Qt::BottomEdge | Qt::RightEdge);
        QCOMPARE(zone(TListPart::BottomRight, {5, 35}, {12, 39}).Edges, Qt::Edges(Qt::BottomEdge));
        QCOMPARE(zone(TListPart::BottomRight, {9, 10}, {12, 39}).Edges, Qt::Edges(Qt::RightEdge));
        // The bottom-right corner measures its bottom by the left corner.
        QCOMPARE(ListHitZone(TListPart::BottomRight, {9, 25}, {12, 50}, true, 30).Edges,
                 Qt::BottomEdge | Qt::RightEdge);

        const QSize client(300, 200);
        QCOMPARE(zone(TListPart::Client, {3, 195}, client).Edges, Qt::BottomEdge | Qt::LeftEdge);
        QCOMPARE(zone(TListPart::Client, {295, 195}, client).Edges, Qt::BottomEdge | Qt::RightEdge);
        QCOMPARE(zone(TListPart::Client, {150, 195}, client).Edges, Qt::Edges(Qt::BottomEdge));
        QCOMPARE(zone(TListPart::Client, {295, 50}, client).Edges, Qt::Edges(Qt::RightEdge));
        QCOMPARE(zone(TListPart::Client, {150, 50}, client), TDragZone());
    }

    void layoutFollowsTheWindowSize()
    {
        const TListLayout layout = ListLayout(431, 305);
        QCOMPARE(layout.ListPanel, QRect(7, 0, 416, 267));
        QCOMPARE(layout.Search, QPoint(241, 277));
        QCOMPARE(layout.SearchBox, QRect(286, 275, 65, 21));
        QCOMPARE(layout.NewButton, QRect(365, 278, 23, 15));
        QCOMPARE(layout.DelButton, QRect(395, 278, 23, 15));
        QCOMPARE(layout.CloseButton, QRect(405, 6, 19, 19));
        QCOMPARE(layout.BottomRight, QPoint(419, 266));

        const QSize screen(1024, 768);
        QCOMPARE(PulledOnScreen({900, 100}, {345, 200}, screen), QPoint(679, 100));
        QCOMPARE(PulledOnScreen({100, 700}, {345, 200}, screen), QPoint(100, 538));
        QCOMPARE(PulledOnScreen({-50, -20}, {345, 200}, screen), QPoint(-50, -20));
    }

    void linesAndExportBytes()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        TTask *dated = Add("\r\n   \r\n  Pay rent  \r\nby transfer", EncodeDate(2026, 3, 9));
        TTask *plain = Add("Call Anna");
        QCOMPARE(RowLine(*dated), QStringLiteral("Pay rent (09/03/2026)"));
        QCOMPARE(RowLine(*plain), QStringLiteral("Call Anna"));
        QCOMPARE(ExportBytes(RowLines({dated, plain})), QByteArray("Pay rent (09/03/2026)\r\nCall Anna\r\n"));
        QCOMPARE(ExportBytes({}), QByteArray());
        plain->Text = "Caf\xc3\xa9";
        QCOMPARE(ExportBytes(RowLines({plain})), QByteArray("Caf\xc3\xa9\r\n"));
    }

    void overdueFromTheFirstMomentOfTheDay()
    {
        TTask *task = Add("x", EncodeDate(2026, 3, 9));
        QVERIFY(!IsOverdue(*task, EncodeDate(2026, 3, 8) + 0.99));
        QVERIFY(!IsOverdue(*task, EncodeDate(2026, 3, 9)));
        QVERIFY(IsOverdue(*task, EncodeDate(2026, 3, 9) + 1.0 / 86400));
        task->DueDate = 0;
        QVERIFY(!IsOverdue(*task, EncodeDate(2026, 3, 9)));
    }
};

QTEST_GUILESS_MAIN(TestListRules)
#include "tst_listrules.moc"
