#include "notes/ReminderEngine.h"

#include "base/Clock.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "notes/NoteWindows.h"
#include "notes/TaskSheetMessage.h"
#include "platform/TWallClockTimer.h"

TReminderScan ScanReminders(const TTaskList &tasks)
{
    TReminderScan scan;
    // By index: a note refreshing itself must not invalidate the walk.
    for (int i = 0; i < tasks.Count(); ++i) {
        TTask *task = tasks.Tasks()[size_t(i)];
        if (task->ReminderTime > 0 && TClock::Now() > task->ReminderTime) {
            task->ReminderTime = 0;
            task->Alerting = true;
            SendTaskSheetMessage(TaskSheetRefresh, task);
            scan.Fired = true;
            if (!task->NoteOpen)
                scan.Unseen = true;
        }
    }
    return scan;
}

std::optional<QDateTime> NextReminderScan(const TTaskList &tasks)
{
    std::optional<TDateTime> earliest;
    for (const TTask *task : tasks.Tasks())
        if (task->ReminderTime > 0 && (!earliest || task->ReminderTime < *earliest))
            earliest = task->ReminderTime;
    if (!earliest)
        return std::nullopt;
    // The millisecond after the first moment the clock reads it (a time
    // skipped by a clock change is passed at the jump): by then the clock
    // reads strictly later.
    QDateTime moment = DateTimeToQDateTime(*earliest).addMSecs(1);
    for (int step = 0; step < 4 && moment.isValid() && QDateTimeToDateTime(moment) <= *earliest; ++step)
        moment = moment.addMSecs(1);
    // A moment beyond what a date can hold never comes, nor any later one.
    if (!moment.isValid())
        return std::nullopt;
    return moment;
}

bool ReopenNotes(const TTaskList &tasks)
{
    bool unseen = false;
    for (int i = 0; i < tasks.Count(); ++i) {
        TTask *task = tasks.Tasks()[size_t(i)];
        if (task->NoteOpen)
            CreateNoteWindow(task);
        else if (task->Alerting)
            unseen = true;
    }
    return unseen;
}

bool ForgetOpenNotes(const TTaskList &tasks)
{
    bool alerting = false;
    for (TTask *task : tasks.Tasks()) {
        task->NoteOpen = false;
        alerting = alerting || task->Alerting;
    }
    return alerting;
}

void OpenAlertingNotes(const TTaskList &tasks)
{
    for (int i = 0; i < tasks.Count(); ++i) {
        TTask *task = tasks.Tasks()[size_t(i)];
        if (task->Alerting && !task->NoteOpen)
            OpenAlertingNote(task);
    }
}

void OpenAlertingNote(TTask *task)
{
    SendTaskSheetMessage(TaskSheetShow, task);
    if (task->NoteOpen)
        return;
    task->RolledUp = false;
    CreateNoteWindow(task);
    SendTaskSheetMessage(TaskSheetRefresh, task);
}

TReminderEngine::TReminderEngine(TTaskList &tasks, QObject *parent)
    : QObject(parent), Timer1(new TWallClockTimer(this)), FTasks(tasks)
{
    connect(Timer1, &TWallClockTimer::Due, this, &TReminderEngine::Timer1Timer);
    // Every change of a reminder or of a finished mark sets DataModified.
    FWatch = DataModified.Watch([this] { ArmTimer1(); });
    ArmTimer1();
}

TReminderEngine::~TReminderEngine() { DataModified.Unwatch(FWatch); }

void TReminderEngine::Timer1Timer()
{
    // Off while the notes are told: a slow refresh cannot re-enter the scan.
    Timer1->Stop();
    const TReminderScan scan = ScanReminders(FTasks);
    if (scan.Fired) {
        emit AlertSoundDue();
        DataModified.Mark();
    }
    if (scan.Unseen)
        emit TrayAlertDue();
    ArmTimer1();
}

void TReminderEngine::ArmTimer1()
{
    if (FHalted)
        return;
    if (const std::optional<QDateTime> next = NextReminderScan(FTasks))
        Timer1->ArmAt(*next);
    else
        Timer1->Stop();
}

void TReminderEngine::Halt()
{
    FHalted = true;
    Timer1->Stop();
}
