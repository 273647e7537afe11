#include "tasklist/TFormTaskList.h"

#include "controls/MenuGroups.h"
#include "controls/TAppCommands.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "model/UnitGlobalProc.h"
#include "notes/NoteEvents.h"
#include "notes/NoteWindows.h"
#include "notes/ReminderEngine.h"
#include "notes/TaskSheetMessage.h"
#include "platform/Dialogs.h"
#include "settings/TUserInfo.h"
#include "tasklist/ListFrame.h"
#include "tasklist/ListRules.h"
#include "tasklist/TListSkinFrame.h"
#include "tasklist/TTaskListModel.h"
#include "tasklist/TTaskListView.h"
#include "tasklist/TaskOrder.h"

#include <QAction>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTimer>
#include <algorithm>

namespace {
constexpr int UpdateInterval = 1000;
constexpr int SearchInterval = 300;
constexpr int ClosedNoteInterval = 10;
constexpr int ResortInterval = 100;
constexpr int TitleInterval = 10000; // the shrunk title moves on every ten seconds
} // namespace

TFormTaskList::TFormTaskList(TReminderEngine *reminders, QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Tool | StayOnTopFlag()),
      TimerUpdateListView(new QTimer(this)), TimerResort(new QTimer(this)), TimerTitle(new QTimer(this)),
      FReminders(reminders)
{
    setObjectName(QStringLiteral("FormTaskList"));
    setWindowTitle(QStringLiteral("Jotterbox"));
    setAttribute(Qt::WA_AlwaysShowToolTips);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);
    QPalette sky = palette();
    sky.setColor(QPalette::Window, QColor(166, 202, 240));
    setPalette(sky);
    setAutoFillBackground(true);
    resize(431, 335);

    BuildClient();
    BuildActions();

    // The parts by their design names: the window's users find them so.
    const std::pair<QObject *, const char *> parts[] = {
        {PanelClient2, "PanelClient2"},
        {PanelLV2Top, "PanelLV2Top"},
        {ListView1, "ListView1"},
        {ActionAddNewNote, "ActionAddNewNote"},
        {ActionEditSelectedNote, "ActionEditSelectedNote"},
        {ActionDeleteSelectedNote, "ActionDeleteSelectedNote"},
        {List1, "List1"},
        {LargeIcons1, "LargeIcons1"},
        {FinishedItems1, "FinishedItems1"},
        {PopupMenu1, "PopupMenu1"},
        {View1, "View1"},
        {TimerUpdateListView, "TimerUpdateListView"},
        {TimerResort, "TimerResort"},
        {TimerTitle, "TimerTitle"},
    };
    for (const auto &[part, name] : parts)
        part->setObjectName(QLatin1String(name));
    TimerUpdateListView->setInterval(UpdateInterval);
    connect(TimerUpdateListView, &QTimer::timeout, this, &TFormTaskList::TimerUpdateListViewTimer);
    TimerResort->setInterval(ResortInterval);
    connect(TimerResort, &QTimer::timeout, this, &TFormTaskList::TimerResortTimer);
    TimerTitle->setInterval(TitleInterval);
    connect(TimerTitle, &QTimer::timeout, this, &TFormTaskList::TimerTitleTimer);

    TNoteEvents &notes = TNoteEvents::Instance();
    connect(&notes, &TNoteEvents::ListUpdateRequested, this, [this] { RestartUpdateTimer(); });
    connect(&notes, &TNoteEvents::ListRebuildNow, this, [this] {
        // The discarded task's record goes back to the list as soon as its
        // note is gone: no row may point at it by then.
        ListView1->Model()->DropRowsNotIn(TaskList());
        RestartUpdateTimer(ClosedNoteInterval);
    });
    connect(&notes, &TNoteEvents::SessionEnding, this, &TFormTaskList::WMQueryEndSession);
    connect(&notes, &TNoteEvents::SessionResumed, this, [this] { ShuttingDown = false; });

    FormCreate();
}

TFormTaskList::~TFormTaskList()
{
    if (!FDestroyed && GlobalsExist())
        FormDestroy();
    // The rows' view outlives this part of the window: its focus leaving as
    // the children go must not call back into a window half destroyed.
    disconnect(ListView1, nullptr, this, nullptr);
}

void TFormTaskList::SetCommands(TAppCommands *commands)
{
    FCommands = commands;
    if (commands)
        commands->ActionAddNewNote = ActionAddNewNote;
}

void TFormTaskList::BuildActions()
{
    ActionAddNewNote = new QAction(tr("New &Note"), this);
    ActionAddNewNote->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_N));
    ActionEditSelectedNote = new QAction(tr("&Open Selected Note"), this);
    ActionDeleteSelectedNote = new QAction(tr("&Delete Selected Note"), this);
    addActions({ActionAddNewNote, ActionEditSelectedNote, ActionDeleteSelectedNote});
    connect(ActionAddNewNote, &QAction::triggered, this, &TFormTaskList::ActionAddNewNoteExecute);
    connect(ActionEditSelectedNote, &QAction::triggered, this, &TFormTaskList::ActionEditSelectedNoteExecute);
    connect(ActionDeleteSelectedNote, &QAction::triggered, this,
            &TFormTaskList::ActionDeleteSelectedNoteExecute);

    List1 = new QAction(tr("&List"), this);
    LargeIcons1 = new QAction(tr("Large &Icons"), this);
    FinishedItems1 = new QAction(tr("Finished Items"), this);
    auto *views = new QActionGroup(this);
    for (QAction *item : {List1, LargeIcons1}) {
        item->setCheckable(true);
        views->addAction(item);
    }
    FinishedItems1->setCheckable(true);
    connect(List1, &QAction::triggered, this, &TFormTaskList::List1Click);
    connect(LargeIcons1, &QAction::triggered, this, &TFormTaskList::LargeIcons1Click);
    connect(FinishedItems1, &QAction::triggered, this, &TFormTaskList::FinishedItems1Click);

    PopupMenu1 = new QMenu(this);
    // The enabling of open and delete holds for the menu's items; once it
    // closes, Enter and Del act on whatever is selected then.
    connect(PopupMenu1, &QMenu::aboutToHide, this, [this] {
        ActionEditSelectedNote->setEnabled(true);
        ActionDeleteSelectedNote->setEnabled(true);
    });
    View1 = new QMenu(tr("&View"), this);
    View1->addActions({List1, LargeIcons1});
    View1->addSeparator();
    View1->addAction(FinishedItems1);

    connect(ListView1, &TTaskListView::MouseDown, this, &TFormTaskList::ListView1MouseDown);
    connect(ListView1, &TTaskListView::MouseUp, this, &TFormTaskList::ListView1MouseUp);
    connect(ListView1, &TTaskListView::MouseMove, this, &TFormTaskList::ListView1MouseMove);
    connect(ListView1, &TTaskListView::DblClick, this, &TFormTaskList::ActionEditSelectedNoteExecute);
    connect(ListView1, &TTaskListView::FocusEnter, this, &TFormTaskList::ListView1Enter);
    connect(ListView1, &TTaskListView::FocusExit, this, &TFormTaskList::ListView1Exit);
    connect(ListView1, &TTaskListView::Resized, this, &TFormTaskList::ListView1Resize);
    connect(ListView1->Model(), &TTaskListModel::RowLeaving, this, &TFormTaskList::ListView1Deletion);
    connect(ListView1, &TTaskListView::ColumnsResized, this, [this] {
        // The window follows its columns while expanded: a wider Due Date
        // column widens the window.
        ApplyMinimumSize();
        const int width = ListView1->ColumnWidthSum() + ListWidthExtra;
        if (UserInfo().V_Expanded && width != this->width())
            resize(width, height());
    });
}

// --- the rows ------------------------------------------------------------

void TFormTaskList::FillList()
{
    const TUserInfo &settings = UserInfo();
    ListView1->Model()->SetRows(
        ListedTasks(TaskList(), settings.DisplayCompletedNotes, EditSearch ? EditSearch->text() : QString()));
    ListView1->Resort();
}

void TFormTaskList::AddRowFor(TTask *task)
{
    ListView1->Model()->AppendRow(task);
    ListView1->Resort();
}

void TFormTaskList::ActionAddNewNoteExecute()
{
    if (TTask *unwritten = UnwrittenNewNote(TaskList())) {
        OpenNoteForTask(unwritten);
        return;
    }
    TTask *task = TaskList().AddNewTask();
    CreateNoteWindow(task);
    // Shown whatever the filters say, until the next rebuild.
    AddRowFor(task);
    ListView1->ClearSelection();
    if (UserInfo().V_Expanded)
        ListView1->SelectRow(ListView1->Model()->RowOf(task));
}

void TFormTaskList::ActionEditSelectedNoteExecute()
{
    TTask *task = ListView1->SelectedTask();
    if (!task) {
        ActionAddNewNoteExecute();
        return;
    }
    SendTaskSheetMessage(TaskSheetShow, task);
    if (!task->NoteOpen) {
        task->RolledUp = false;
        CreateNoteWindow(task);
        DataModified.Mark();
    }
}

void TFormTaskList::ActionDeleteSelectedNoteExecute()
{
    TTask *task = ListView1->SelectedTask();
    if (!task)
        return;
    if (!Dialogs().YesNo(tr("Confirmation"), tr("Are you sure that you want to delete the selected note?")))
        return;
    // The rows may have been rebuilt while the question was up: the task
    // the user confirmed goes, wherever its row is now, and only if it is
    // still a task.
    const std::vector<TTask *> &tasks = TaskList().Tasks();
    if (std::find(tasks.begin(), tasks.end(), task) == tasks.end())
        return;
    const QString subject = SubjectText(*task);
    DeletingByUser = true;
    if (const int row = ListView1->Model()->RowOf(task); row >= 0)
        ListView1->Model()->RemoveRow(row);
    else
        ListView1Deletion(task);
    DeletingByUser = false;
    // Qt moves the selection to the next row; a second Del would then ask
    // about a task the user never chose.
    ListView1->ClearSelection();
    // Nor does the title go on naming the task that is gone.
    if (FTitle == subject) {
        Title.TitleTick = -1;
        TitleTick();
    }
    DataModified.Mark();
}

void TFormTaskList::ListView1Deletion(TTask *task)
{
    if (!DeletingByUser)
        return;
    // Out of the list before its note closes, so the note knows the task
    // is gone and leaves no alert behind. The record stays alive after
    // Remove: the closing note still reads it.
    TaskList().Remove(task);
    SendTaskSheetMessage(TaskSheetClose, task);
    DataModified.Mark();
}

void TFormTaskList::ListView1MouseDown(Qt::MouseButton, QPoint point)
{
    DownX = point.x();
    DownY = point.y();
    FDownTask = ListView1->Model()->Task(ListView1->RowAt(point));
}

void TFormTaskList::ListView1MouseUp(Qt::MouseButton, QPoint point)
{
    // Large icons have no finished column to click.
    if (ListView1->IsIconView())
        return;
    const QHeaderView *header = ListView1->ReportView()->horizontalHeader();
    const int left = header->sectionViewportPosition(ColumnFinished);
    const int right = left + header->sectionSize(ColumnFinished);
    auto inColumn = [left, right](int x) { return x >= left && x < right; };
    if (!inColumn(point.x()) || !inColumn(DownX))
        return;
    // The same row under press and release, and the same task: a rebuild
    // in between may have put another task there.
    const int row = ListView1->RowAt(point);
    if (row < 0 || row != ListView1->RowAt(QPoint(DownX, DownY)))
        return;
    TTask *task = ListView1->Model()->Task(row);
    if (task != FDownTask)
        return;
    task->Finished = !task->Finished;
    if (task->Finished)
        task->ReminderTime = 0;
    ListView1->RedrawRow(row);
    SendTaskSheetMessage(TaskSheetRefresh, task);
    RestartUpdateTimer();
    DataModified.Mark();
}

void TFormTaskList::ListView1MouseMove(QPoint point)
{
    const TTask *task = ListView1->Model()->Task(ListView1->RowAt(point));
    ShowTitle(task ? SubjectText(*task) : QStringLiteral("Jotterbox"));
}

void TFormTaskList::ListView1Enter()
{
    // Enter and Del act on tasks only while the list has the focus, not
    // while the search box has it.
    ActionEditSelectedNote->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    ActionDeleteSelectedNote->setShortcut(QKeySequence(Qt::Key_Delete));
}

void TFormTaskList::ListView1Exit()
{
    ActionEditSelectedNote->setShortcuts({});
    ActionDeleteSelectedNote->setShortcuts({});
}

void TFormTaskList::PopupMenu1Popup()
{
    const bool selected = ListView1->SelectedRow() >= 0;
    ActionEditSelectedNote->setEnabled(selected);
    ActionDeleteSelectedNote->setEnabled(selected);
    LargeIcons1->setChecked(UserInfo().ViewIcon);
    List1->setChecked(!UserInfo().ViewIcon);
    FinishedItems1->setChecked(UserInfo().DisplayCompletedNotes);
}

void TFormTaskList::contextMenuEvent(QContextMenuEvent *event)
{
    PopupMenu1Popup();
    PopupMenu1->clear();
    PopupMenu1->addActions({ActionAddNewNote, ActionEditSelectedNote, ActionDeleteSelectedNote});
    PopupMenu1->addSeparator();
    PopupMenu1->addMenu(View1);
    // The main window's commands, in groups; a group with none is left out.
    const TAppCommands shared = FCommands ? *FCommands : TAppCommands();
    AddActionGroups(PopupMenu1, {
                                    {shared.ActionShowList, shared.ActionShowToolbar},
                                    {shared.ActionPrintList, shared.ActionExportList},
                                    {shared.ActionOptions},
                                });
    PopupMenu1->popup(event->globalPos());
}

// --- the views -----------------------------------------------------------

void TFormTaskList::ApplyViewStyle(bool resort)
{
    const TUserInfo &settings = UserInfo();
    PanelLV2Top->setVisible(settings.ViewIcon);
    ListView1->SetIconView(settings.ViewIcon);
    if (!resort)
        return;
    if (settings.ViewIcon)
        ListView1->AlphaSort(ColumnFinished, false); // finished tasks first
    else
        ListView1->AlphaSort(settings.SortColumn, settings.SortAscending);
}

void TFormTaskList::LargeIcons1Click()
{
    TUserInfo &settings = UserInfo();
    if (settings.ViewIcon)
        return;
    settings.SortColumn = ListView1->SortColumn();
    settings.SortAscending = ListView1->SortAscending();
    settings.ViewIcon = true;
    ApplyViewStyle();
    FillList();
}

void TFormTaskList::List1Click()
{
    if (!UserInfo().ViewIcon)
        return;
    UserInfo().ViewIcon = false;
    ApplyViewStyle();
    FillList();
}

void TFormTaskList::ListView1Resize()
{
    if (!UserInfo().ViewIcon)
        return;
    TimerResort->stop();
    TimerResort->start();
}

void TFormTaskList::TimerResortTimer()
{
    TimerResort->stop();
    ListView1->Resort();
}

void TFormTaskList::ApplyDueDateColumn(bool boundsOnly)
{
    TUserInfo &settings = UserInfo();
    const int width = settings.DisplayDueDate ? 70 : 0;
    ListView1->SetColumnBounds(ColumnDueDate, width, settings.DisplayDueDate ? 140 : 0);
    if (boundsOnly)
        return;
    ListView1->SetColumnWidth(ColumnDueDate, width);
    settings.Column5Width = width;
}

// --- deferred rebuilds and the filters -----------------------------------

void TFormTaskList::TimerUpdateListViewTimer()
{
    TimerUpdateListView->stop();
    TimerUpdateListView->setInterval(UpdateInterval);
    FillList();
}

void TFormTaskList::RestartUpdateTimer(int interval)
{
    TimerUpdateListView->stop();
    if (interval > 0)
        TimerUpdateListView->setInterval(interval);
    TimerUpdateListView->start();
}

void TFormTaskList::RequestRebuild()
{
    if (!TimerUpdateListView->isActive())
        TimerUpdateListView->start();
}

void TFormTaskList::EditSearchChange() { RestartUpdateTimer(SearchInterval); }

void TFormTaskList::FinishedItems1Click()
{
    UserInfo().DisplayCompletedNotes = !UserInfo().DisplayCompletedNotes;
    FillList();
}
