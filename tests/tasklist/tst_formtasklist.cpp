// The task list window offscreen: its rows and their order, new, open and
// delete, the finished column, the deferred rebuilds, the views, the frame's
// sizes and the settings it keeps, print and export.

#include "base/Clock.h"
#include "base/DateTime.h"
#include "base/LocaleFormats.h"
#include "controls/TSkinImage.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "notes/NoteEvents.h"
#include "notes/TFormNote.h"
#include "platform/Fonts.h"
#include "settings/TUserInfo.h"
#include "support/ListFixture.h"
#include "tasklist/TFormTaskList.h"
#include "tasklist/TTaskListModel.h"
#include "tasklist/TTaskListView.h"
#include "tasklist/TaskOrder.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

class TestFormTaskList : public QObject, TListFixture {
    Q_OBJECT

private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    void rebuildFiltersAndSortsWithoutTouchingTasks()
    {
        Add("Pay rent", EncodeDate(2026, 4, 1));
        Add("Old task", EncodeDate(2026, 1, 1), true);
        Add("Call Anna\r\nabout the invoice");
        Add("Dentist", EncodeDate(2026, 3, 12));
        TFormTaskList list(nullptr);
        // Due date ascending by default: dated ones first, the rest after.
        QCOMPARE(Rows(list), (QStringList{"Old task", "Dentist", "Pay rent", "Call Anna"}));
        QCOMPARE(View(list)->SelectedRow(), -1);

        list.FinishedItems1Click();
        QVERIFY(!UserInfo().DisplayCompletedNotes);
        QCOMPARE(Rows(list), (QStringList{"Dentist", "Pay rent", "Call Anna"}));

        // A search keeps only tasks whose text holds it, in any line, and
        // waits 300 ms after the last keystroke; the list is rebuilt once.
        list.SearchBox()->setText(QStringLiteral("INV"));
        list.SearchBox()->setText(QStringLiteral("INVO"));
        QVERIFY(Child<QTimer>(list, "TimerUpdateListView")->isActive());
        QCOMPARE(Child<QTimer>(list, "TimerUpdateListView")->interval(), 300);
        QCOMPARE(Rows(list).size(), 3);
        list.TimerUpdateListViewTimer();
        QCOMPARE(Rows(list), QStringList{"Call Anna"});
        QVERIFY(!Child<QTimer>(list, "TimerUpdateListView")->isActive());
        QCOMPARE(Child<QTimer>(list, "TimerUpdateListView")->interval(), 1000);
        QCOMPARE(TaskList().Count(), 4);
    }

    void headerClicksToggleTheDirection()
    {
        Add("b");
        Add("A", EncodeDate(2026, 5, 1));
        Add("c", EncodeDate(2026, 4, 1));
        TFormTaskList list(nullptr);
        QHeaderView *header = View(list)->ReportView()->horizontalHeader();
        emit header->sectionClicked(ColumnSubject);
        QCOMPARE(Rows(list), (QStringList{"A", "b", "c"}));
        emit header->sectionClicked(ColumnSubject);
        QCOMPARE(Rows(list), (QStringList{"c", "b", "A"}));
        QVERIFY(!View(list)->SortAscending());
        emit header->sectionClicked(ColumnDueDate);
        QCOMPARE(Rows(list), (QStringList{"c", "A", "b"}));
        // The settings follow only when the window goes.
        QCOMPARE(UserInfo().SortColumn, 5);
        emit header->sectionClicked(ColumnSubject);
        list.FormDestroy();
        QCOMPARE(UserInfo().SortColumn, int(ColumnSubject));
        QVERIFY(UserInfo().SortAscending);
    }

    void newNoteReusesAnUnwrittenOne()
    {
        TTask *blank = Add("New Note");
        blank->NoteOpen = false;
        TFormTaskList list(nullptr);
        list.ActionAddNewNoteExecute();
        QCOMPARE(TaskList().Count(), 1);
        QCOMPARE(FNotes->Log, (QStringList{"0", "create"}));
        QCOMPARE(FNotes->Created, QList<TTask *>{blank});
    }

    void newNoteRowShowsDespiteTheFilterAndIsSelectedWhenExpanded()
    {
        Add("Shopping");
        TFormTaskList list(nullptr);
        list.SearchBox()->setText(QStringLiteral("shop"));
        list.TimerUpdateListViewTimer();
        list.ActionAddNewNoteExecute();
        QCOMPARE(TaskList().Count(), 2);
        TTask *created = TaskList().GetTask(1);
        QCOMPARE(FNotes->Created, QList<TTask *>{created});
        QVERIFY(Rows(list).contains(QStringLiteral("New Note")));
        QCOMPARE(View(list)->SelectedTask(), created);
        // Shrunk, the row comes but is not selected.
        created->Text = "Written";
        UserInfo().V_Expanded = false;
        list.ActionAddNewNoteExecute();
        QCOMPARE(TaskList().Count(), 3);
        QCOMPARE(View(list)->SelectedRow(), -1);
    }

    void openWithoutSelectionMakesANewNote()
    {
        TTask *task = Add("Read book");
        task->RolledUp = true;
        TFormTaskList list(nullptr);
        list.ActionEditSelectedNoteExecute();
        QCOMPARE(TaskList().Count(), 2);

        View(list)->SelectRow(View(list)->Model()->RowOf(task));
        DataModified.Clear();
        FNotes->Log.clear();
        list.ActionEditSelectedNoteExecute();
        QCOMPARE(FNotes->Log, (QStringList{"0", "create"}));
        QVERIFY(!task->RolledUp);
        QVERIFY(DataModified);
        // Its note is up now: asked again, it answers and no second window comes.
        FNotes->Log.clear();
        list.ActionEditSelectedNoteExecute();
        QCOMPARE(FNotes->Log, QStringList{"0"});
    }

    void deleteAsksThenClosesTheNoteAndRemovesTheTask()
    {
        TTask *keep = Add("Keep");
        TTask *drop = Add("Drop");
        TFormTaskList list(nullptr);
        list.ActionDeleteSelectedNoteExecute(); // nothing selected: nothing asked
        QVERIFY(FDialogs->Questions.isEmpty());

        View(list)->SelectRow(View(list)->Model()->RowOf(drop));
        FDialogs->Answers = {false};
        list.ActionDeleteSelectedNoteExecute();
        QCOMPARE(TaskList().Count(), 2);
        QCOMPARE(FDialogs->Questions.last(),
                 QStringLiteral("Confirmation|Are you sure that you want to delete the selected note?"));

        DataModified.Clear();
        FDialogs->Answers = {true};
        list.ActionDeleteSelectedNoteExecute();
        QCOMPARE(TaskList().Tasks(), std::vector<TTask *>{keep});
        QCOMPARE(FNotes->Messages.last(), qMakePair(1, drop));
        QVERIFY(DataModified);
        QCOMPARE(Rows(list), QStringList{"Keep"});
        QVERIFY(!list.IsDeletingByUser());
    }

    void deleteTakesTheTaskConfirmedEvenWhenTheRowsMoved()
    {
        Add("Alpha", EncodeDate(2026, 3, 1));
        TTask *bravo = Add("Bravo", EncodeDate(2026, 3, 2));
        Add("Charlie", EncodeDate(2026, 3, 3));
        TFormTaskList list(nullptr);
        View(list)->SelectRow(View(list)->Model()->RowOf(bravo));
        // While the question is up a new note arrives and the list is
        // rebuilt: Bravo's row is no longer where it was.
        FDialogs->WhileAsking = [&list] {
            list.ActionAddNewNoteExecute();
            View(list)->AlphaSort(ColumnSubject, false);
        };
        FDialogs->Answers = {true};
        list.ActionDeleteSelectedNoteExecute();
        QCOMPARE(Rows(list), (QStringList{"New Note", "Charlie", "Alpha"}));
        QCOMPARE(TaskList().Count(), 3);

        // A task that went in the meantime is not removed twice.
        TTask *charlie = TaskList().GetTask(1);
        View(list)->SelectRow(View(list)->Model()->RowOf(charlie));
        FDialogs->WhileAsking = [charlie] { TaskList().Remove(charlie); };
        FDialogs->Answers = {true};
        FNotes->Messages.clear();
        list.ActionDeleteSelectedNoteExecute();
        QVERIFY(FNotes->Messages.isEmpty());
        QCOMPARE(TaskList().Count(), 2);
    }

    // The user's deletion of a task whose note blinks: the note goes without
    // handing its alert to the tray, no other row takes over the selection
    // (a second Del asks nothing), and the title no longer names the task.
    void deletionLeavesNoAlertNoSelectionAndNoTitle()
    {
        FNotes.reset();
        TFormNote::InstallCreator();
        UserInfo().Showing = true;
        Add("Alpha", EncodeDate(2026, 3, 1));
        TTask *bravo = Add("Bravo", EncodeDate(2026, 3, 2));
        bravo->Alerting = true;
        Add("Charlie", EncodeDate(2026, 3, 3));
        TFormTaskList list(nullptr);
        View(list)->SelectRow(1);
        list.ActionEditSelectedNoteExecute();
        QCOMPARE(TFormNote::OpenNotes().size(), 1);
        list.ListView1MouseMove(Cell(list, 1, ColumnSubject));
        QCOMPARE(list.TitleText(), QStringLiteral("Bravo"));
        QSignalSpy alerts(&TNoteEvents::Instance(), &TNoteEvents::AlertLeftUnseen);

        FDialogs->Answers = {true};
        list.ActionDeleteSelectedNoteExecute();
        QCOMPARE(Rows(list), (QStringList{"Alpha", "Charlie"}));
        QVERIFY(TFormNote::OpenNotes().isEmpty());
        QCOMPARE(alerts.size(), 0);
        QCOMPARE(View(list)->SelectedRow(), -1);
        QCOMPARE(list.TitleText(), QStringLiteral("Jotterbox"));
        FDialogs->Answers = {true};
        list.ActionDeleteSelectedNoteExecute();
        QCOMPARE(FDialogs->Questions.size(), 1);
        QCOMPARE(TaskList().Count(), 2);
        TFormNote::DestroyAll();
        SetNoteCreator({});
    }

    void aDiscardedNoteLeavesTheRowsAtOnce()
    {
        FNotes.reset();
        TFormNote::InstallCreator();
        TTask *task = Add("New Note");
        Add("Other");
        TFormTaskList list(nullptr);
        list.ActionEditSelectedNoteExecute(); // opens the unwritten note
        QCOMPARE(TFormNote::OpenNotes().size(), 1);
        TFormNote::OpenNotes().first()->close();
        // The row went before the task's record goes back to the list.
        QCOMPARE(Rows(list), QStringList{"Other"});
        QCOMPARE(Child<QTimer>(list, "TimerUpdateListView")->interval(), 10);
        QVERIFY(Child<QTimer>(list, "TimerUpdateListView")->isActive());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!TaskList().Tasks().empty() && TaskList().Tasks().front() != task);
        list.TimerUpdateListViewTimer();
        QCOMPARE(Rows(list), QStringList{"Other"});
        TFormNote::DestroyAll();
        SetNoteCreator({});
    }

    void finishedColumnTogglesOnPressAndReleaseOnOneRow()
    {
        TTask *first = Add("First", EncodeDate(2026, 3, 1));
        TTask *second = Add("Second", EncodeDate(2026, 3, 2));
        first->ReminderTime = EncodeDate(2026, 3, 11);
        TFormTaskList list(nullptr);
        list.resize(400, 300);
        View(list)->resize(380, 200);
        TTaskListView *view = View(list);
        auto click = [&](QPoint down, QPoint up) {
            emit view->MouseDown(Qt::LeftButton, down);
            emit view->MouseUp(Qt::LeftButton, up);
        };
        // Down on one row, up on another; down in the Subject column.
        click(Cell(list, 0, ColumnFinished), Cell(list, 1, ColumnFinished));
        click(Cell(list, 0, ColumnSubject), Cell(list, 0, ColumnFinished));
        QVERIFY(!first->Finished && !second->Finished);

        DataModified.Clear();
        click(Cell(list, 0, ColumnFinished), Cell(list, 0, ColumnFinished));
        QVERIFY(first->Finished);
        QCOMPARE(first->ReminderTime, 0.0);
        QCOMPARE(FNotes->Messages.last(), qMakePair(2, first));
        QVERIFY(DataModified);
        QVERIFY(Child<QTimer>(list, "TimerUpdateListView")->isActive());
        // Any button; unticking brings no reminder back.
        emit view->MouseDown(Qt::RightButton, Cell(list, 0, ColumnFinished));
        emit view->MouseUp(Qt::RightButton, Cell(list, 0, ColumnFinished));
        QVERIFY(!first->Finished);
        QCOMPARE(first->ReminderTime, 0.0);

        // A rebuild between press and release put another task under the
        // pointer: nothing is ticked.
        emit view->MouseDown(Qt::LeftButton, Cell(list, 0, ColumnFinished));
        View(list)->AlphaSort(ColumnDueDate, false);
        emit view->MouseUp(Qt::LeftButton, Cell(list, 0, ColumnFinished));
        QVERIFY(!first->Finished && !second->Finished);
        View(list)->AlphaSort(ColumnDueDate, true);

        // With finished items hidden, a ticked row stays until the rebuild.
        UserInfo().DisplayCompletedNotes = false;
        click(Cell(list, 1, ColumnFinished), Cell(list, 1, ColumnFinished));
        QVERIFY(second->Finished);
        QCOMPARE(Rows(list).size(), 2);
        list.TimerUpdateListViewTimer();
        QCOMPARE(Rows(list), QStringList{"First"});
    }

    void keysActOnTasksOnlyWhileTheListHasTheFocus()
    {
        Add("One");
        TFormTaskList list(nullptr);
        emit View(list)->FocusEnter();
        QCOMPARE(Child<QAction>(list, "ActionEditSelectedNote")->shortcut(), QKeySequence(Qt::Key_Return));
        QCOMPARE(Child<QAction>(list, "ActionDeleteSelectedNote")->shortcut(), QKeySequence(Qt::Key_Delete));
        emit View(list)->FocusExit();
        QVERIFY(Child<QAction>(list, "ActionEditSelectedNote")->shortcut().isEmpty());
        QVERIFY(Child<QAction>(list, "ActionDeleteSelectedNote")->shortcut().isEmpty());

        // The menu's enabling follows the selection when it opens.
        list.PopupMenu1Popup();
        QVERIFY(!Child<QAction>(list, "ActionEditSelectedNote")->isEnabled());
        View(list)->SelectRow(0);
        // Once the menu has closed, Enter and Del work on what is selected.
        emit Child<QMenu>(list, "PopupMenu1")->aboutToHide();
        QVERIFY(Child<QAction>(list, "ActionDeleteSelectedNote")->isEnabled());
        View(list)->SelectRow(0);
        list.PopupMenu1Popup();
        QVERIFY(Child<QAction>(list, "ActionDeleteSelectedNote")->isEnabled());
        QVERIFY(Child<QAction>(list, "List1")->isChecked() &&
                !Child<QAction>(list, "LargeIcons1")->isChecked());
    }

    void typingSelectsInTheSortColumn()
    {
        Add("Banana");
        Add("apple");
        Add("Avocado");
        TFormTaskList list(nullptr);
        View(list)->AlphaSort(ColumnSubject, true); // apple, Avocado, Banana
        QTableView *view = View(list)->ReportView();
        QTest::keyClick(view, Qt::Key_A);
        QCOMPARE(View(list)->SelectedRow(), 1); // starts after the first row
        QTest::keyClick(view, Qt::Key_P);
        QCOMPARE(View(list)->SelectedRow(), 0);
        TClock::Set(Now.addSecs(2));
        QTest::keyClick(view, Qt::Key_B);
        QCOMPARE(View(list)->SelectedRow(), 2);
        // Sorted by a picture column, or in icons, the subjects are searched.
        View(list)->AlphaSort(ColumnPriority, true);
        TClock::Set(Now.addSecs(4));
        QTest::keyClick(view, Qt::Key_B);
        QCOMPARE(View(list)->SelectedTask()->Text, QByteArray("Banana"));
    }

    void largeIconsSortFinishedFirstAndRememberTheReportSort()
    {
        Add("Open");
        Add("Done", 0, true);
        TFormTaskList list(nullptr);
        emit View(list)->ReportView()->horizontalHeader()->sectionClicked(ColumnSubject);
        list.LargeIcons1Click();
        QVERIFY(UserInfo().ViewIcon);
        QCOMPARE(UserInfo().SortColumn, int(ColumnSubject));
        QVERIFY(View(list)->IsIconView());
        QCOMPARE(View(list)->IconView()->model(), View(list)->Model());
        QCOMPARE(Rows(list), (QStringList{"Done", "Open"}));
        // A resize resorts 100 ms later.
        emit View(list)->Resized();
        QVERIFY(Child<QTimer>(list, "TimerResort")->isActive());
        list.TimerResortTimer();
        QVERIFY(!Child<QTimer>(list, "TimerResort")->isActive());

        const QPointer<QItemSelectionModel> iconSelection = View(list)->IconView()->selectionModel();
        list.List1Click();
        QVERIFY(!UserInfo().ViewIcon);
        QCOMPARE(View(list)->SortColumn(), int(ColumnSubject));
        QVERIFY(!View(list)->IconView()->model());
        QVERIFY(!iconSelection); // switching views leaves nothing behind
    }

    void columnsStayWithinTheirBoundsAndTheWindowFollowsThem()
    {
        UserInfo().Column1Width = 20;
        UserInfo().Column4Width = 50;
        UserInfo().Column5Width = 300;
        TFormTaskList list(nullptr);
        TTaskListView *view = View(list);
        QCOMPARE(view->ColumnWidth(ColumnFinished), 22);
        QCOMPARE(view->ColumnWidth(ColumnPriority), 16);
        QCOMPARE(view->ColumnWidth(ColumnSubject), 70);
        QCOMPARE(view->ColumnWidth(ColumnDueDate), 140);
        QCOMPARE(list.width(), 0 + 22 + 22 + 16 + 70 + 140 + 15);
        // A wider Due Date column widens the window by as much.
        view->SetColumnWidth(ColumnDueDate, 100);
        QCOMPARE(list.width(), 0 + 22 + 22 + 16 + 70 + 100 + 15);

        UserInfo().DisplayDueDate = false;
        list.ApplyDueDateColumn();
        QCOMPARE(view->ColumnWidth(ColumnDueDate), 0);
        QCOMPARE(UserInfo().Column5Width, 0);
    }

    void aListNeverShownKeepsItsStoredHeight()
    {
        UserInfo().Height = 480;
        {
            TFormTaskList list(nullptr);
            // Room for every column but a narrowest Subject.
            QCOMPARE(list.minimumWidth(), 22 + 22 + 16 + 70 + 70 + 15);
        }
        QCOMPARE(UserInfo().Height, 480);
    }

    void showPlacesAndSizesTheWindowFromTheSettings()
    {
        TUserInfo &settings = UserInfo();
        settings.Showing = true;
        settings.Left = 1000;
        settings.Top = 700;
        settings.Height = 240;
        TFormTaskList list(nullptr);
        QVERIFY(list.isVisible());
        QVERIFY(list.IsReady());
        QCOMPARE(list.size(), QSize(345, 240));
        // Pulled back from the right and the bottom of a 1024 x 768 screen.
        QCOMPARE(settings.Left, 1024 - 345);
        QCOMPARE(settings.Top, 768 - 240 - 30);
        QCOMPARE(list.pos(), QPoint(settings.Left, settings.Top));
        QVERIFY(FDialogs->Errors.isEmpty());
        // The Subject column takes what the window gives it.
        list.resize(445, 300);
        QCOMPARE(View(list)->ColumnWidth(ColumnSubject), 300);
        QCOMPARE(settings.Height, 300);

        list.close();
        QVERIFY(!settings.Showing);
        QVERIFY(!list.IsReady());
    }

    void shrinkAndExpandComeBackToTheSameSize()
    {
        UserInfo().Showing = true;
        Add("Unfinished task");
        TFormTaskList list(nullptr);
        list.resize(445, 280);
        list.PanelTitleDblClick();
        QVERIFY(!UserInfo().V_Expanded);
        QCOMPARE(list.size(), QSize(View(list)->ColumnWidth(ColumnSubject) + 35, 30));
        QCOMPARE(UserInfo().Height, 280);
        // Shrunk, the title shows a task's subject at once.
        QCOMPARE(Child<QLabel>(list, "LabelTitle")->text(), QStringLiteral("Unfinished task"));
        list.PanelTitleDblClick();
        QVERIFY(UserInfo().V_Expanded);
        QCOMPARE(list.size(), QSize(445, 280));
        QCOMPARE(Child<QLabel>(list, "LabelTitle")->text(), QStringLiteral("Jotterbox"));
    }

    void titleCyclesOnlyWhileItHasSomethingToShow()
    {
        UserInfo().Showing = true;
        Add("First task");
        Add("Second task");
        TFormTaskList list(nullptr);
        QVERIFY(list.isVisible());
        // Expanded with the plain title there is nothing to cycle.
        QVERIFY(!Child<QTimer>(list, "TimerTitle")->isActive());
        // A hovered row's subject stays until the next turn brings the
        // plain title back; then the timer rests again.
        const QString hovered = Rows(list).value(0);
        list.ListView1MouseMove(Cell(list, 0, ColumnSubject));
        QCOMPARE(Child<QLabel>(list, "LabelTitle")->text(), hovered);
        QVERIFY(Child<QTimer>(list, "TimerTitle")->isActive());
        QCOMPARE(Child<QTimer>(list, "TimerTitle")->interval(), 10000);
        list.TimerTitleTimer();
        QCOMPARE(Child<QLabel>(list, "LabelTitle")->text(), QStringLiteral("Jotterbox"));
        QVERIFY(!Child<QTimer>(list, "TimerTitle")->isActive());

        // Shrunk, the subjects take turns every ten seconds.
        list.PanelTitleDblClick();
        QVERIFY(Child<QTimer>(list, "TimerTitle")->isActive());
        const QString first = Child<QLabel>(list, "LabelTitle")->text();
        list.TimerTitleTimer();
        QVERIFY(Child<QLabel>(list, "LabelTitle")->text() != first);
        QVERIFY(Child<QTimer>(list, "TimerTitle")->isActive());
        // Hidden, it rests; shown again, it goes on.
        list.hide();
        QVERIFY(!Child<QTimer>(list, "TimerTitle")->isActive());
        list.show();
        QVERIFY(Child<QTimer>(list, "TimerTitle")->isActive());
        list.PanelTitleDblClick();
        QCOMPARE(Child<QLabel>(list, "LabelTitle")->text(), QStringLiteral("Jotterbox"));
        QVERIFY(!Child<QTimer>(list, "TimerTitle")->isActive());
    }

    void settingsSurviveTheWindow()
    {
        TUserInfo &settings = UserInfo();
        settings.Showing = true;
        {
            TFormTaskList list(nullptr);
            list.resize(420, 260);
            View(list)->SetColumnWidth(ColumnDueDate, 90);
            emit View(list)->ReportView()->horizontalHeader()->sectionClicked(ColumnPriority);
        }
        QCOMPARE(settings.Column5Width, 90);
        QCOMPARE(settings.Column1Width, 22);
        QCOMPARE(settings.SortColumn, int(ColumnPriority));
        QCOMPARE(settings.Height, 260);
        const int subject = settings.Column4Width;
        TFormTaskList again(nullptr);
        QCOMPARE(again.size(), QSize(subject + 0 + 22 + 22 + 16 + 90 + 15, 260));
        QCOMPARE(View(again)->SortColumn(), int(ColumnPriority));
        QCOMPARE(again.ExpandedWidthNow(), again.width());
    }

    void endOfSessionKeepsTheListShowing()
    {
        UserInfo().Showing = true;
        TFormTaskList list(nullptr);
        emit TNoteEvents::Instance().SessionEnding();
        QVERIFY(list.IsShuttingDown());
        list.close();
        QVERIFY(UserInfo().Showing);
        // Refused after all: closing hides it for good again.
        emit TNoteEvents::Instance().SessionResumed();
        list.show();
        list.close();
        QVERIFY(!UserInfo().Showing);
    }

    void aMissingSkinFileIsToldAndTheWindowStillWorks()
    {
        QFile::remove(FDir->filePath(QStringLiteral("skins/1/right_top.bmp")));
        QFile bad(FDir->filePath(QStringLiteral("skins/1/x.bmp")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a bitmap");
        bad.close();
        UserInfo().Showing = true;
        TFormTaskList list(nullptr);
        QCOMPARE(FDialogs->Errors.size(), 1);
        QVERIFY(FDialogs->Errors[0].contains(QStringLiteral("right_top.bmp")));
        QVERIFY(list.IsReady());
        // One box for the first failure; every part still has a picture,
        // the files after it too.
        for (const TSkinImage *part :
             {Child<TSkinImage>(list, "ImageRightTop"), Child<TSkinImage>(list, "ImageX"),
              Child<TSkinImage>(list, "ImageDel")})
            QVERIFY(!part->Picture().isNull());
        QFile::copy(QStringLiteral(JBX_SOURCE_DIR "/assets/skins/1/right_top.bmp"),
                    FDir->filePath(QStringLiteral("skins/1/right_top.bmp")));
        list.LoadFrameSkin();
        QCOMPARE(FDialogs->Errors.size(), 2);
        QVERIFY(FDialogs->Errors[1].contains(QStringLiteral("x.bmp")));
    }

    // A skin name that leads out of skins/ reads no picture there, even
    // where a whole skin lies.
    void aSkinNameOutOfTheSkinsFolderReadsNothingThere()
    {
        QVERIFY(QDir().mkpath(FDir->filePath(QStringLiteral("outside"))));
        for (const QString &file : QDir(FDir->filePath(QStringLiteral("skins/1"))).entryList(QDir::Files))
            QFile::copy(FDir->filePath(QStringLiteral("skins/1/") + file),
                        FDir->filePath(QStringLiteral("outside/") + file));
        UserInfo().SkinDirectoryName = QStringLiteral("../outside");
        UserInfo().Showing = true;
        TFormTaskList list(nullptr);
        // One box for the title's pictures, one for the frame's.
        QCOMPARE(FDialogs->Errors.size(), 2);
        for (const QString &error : FDialogs->Errors)
            QVERIFY2(error.startsWith(QStringLiteral("Cannot open file ")), qPrintable(error));
        QVERIFY(list.IsReady());
    }

    void exportWritesTheRowsAsTheyStand()
    {
        Add("Pay rent", EncodeDate(2026, 4, 1));
        Add("Call Anna\r\nabout the rent");
        Add("Rent a car", EncodeDate(2026, 3, 20), true);
        Add("Dentist");
        TFormTaskList list(nullptr);
        list.SearchBox()->setText(QStringLiteral("rent"));
        list.TimerUpdateListViewTimer();
        FDialogs->SavePath = FDir->filePath(QStringLiteral("out.txt"));
        list.ExportList();
        QCOMPARE(FDialogs->SaveProposed.last(), QStringLiteral("tasklist.txt"));
        QCOMPARE(FDialogs->SaveTitles.last(), QStringLiteral("Export"));
        QFile out(FDialogs->SavePath);
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll(),
                 QByteArray("Rent a car (20/03/2026)\r\nPay rent (01/04/2026)\r\nCall Anna\r\n"));
        out.close();
        // An existing file is replaced only after a Yes.
        FDialogs->Answers = {false};
        list.SearchBox()->setText(QString());
        list.TimerUpdateListViewTimer();
        list.ExportList();
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll().count('\n'), 3);
    }

    void printPutsOneBulletedLinePerRow()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed");
        Add("Pay rent", EncodeDate(2026, 4, 1));
        Add("Dentist");
        TFormTaskList list(nullptr);
        FDialogs->PrintPdfPath = FDir->filePath(QStringLiteral("list.pdf"));
        list.PrintList();
        QProcess text;
        text.start(QStringLiteral("pdftotext"),
                   {QStringLiteral("-layout"), FDialogs->PrintPdfPath, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(20000));
        QStringList lines = QString::fromUtf8(text.readAllStandardOutput()).split(u'\n');
        lines.removeIf(
            [](const QString &line) { return line.trimmed().isEmpty(); }); // and the page's form feed
        QVERIFY2(lines.size() == 2, qPrintable(lines.join(u'|')));
        QVERIFY(lines[0].contains(QStringLiteral("\u2022")));
        QVERIFY(lines[0].contains(QStringLiteral("Pay rent (01/04/2026)")));
        QVERIFY(lines[1].contains(QStringLiteral("Dentist")));
    }
};

QTEST_MAIN(TestFormTaskList)
#include "tst_formtasklist.moc"
