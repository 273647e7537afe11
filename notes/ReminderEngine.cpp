#include "notes/ReminderEngine.h"

#include "base/Clock.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "notes/NoteWindows.h"
#include "notes/TaskSheetMessage.h"

#include <QTimer>

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

void OpenAlertingNotes(const TTaskList &tasks)
{
    for (int i = 0; i < tasks.Count(); ++i) {
        TTask *task = tasks.Tasks()[size_t(i)];
        if (!task->Alerting || task->NoteOpen)
            continue;
        SendTaskSheetMessage(TaskSheetShow, task);
        if (task->NoteOpen)
            continue;
        task->RolledUp = false;
        CreateNoteWindow(task);
        SendTaskSheetMessage(TaskSheetRefresh, task);
    }
}

TReminderEngine::TReminderEngine(TTaskList &tasks, QObject *parent)
    : QObject(parent), Timer1(new QTimer(this)), FTasks(tasks)
{
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TReminderEngine::Timer1Timer);
    Timer1->start();
}

void TReminderEngine::Timer1Timer()
{
    // Off while the notes are told: a slow refresh cannot re-enter the scan.
    Timer1->stop();
    const TReminderScan scan = ScanReminders(FTasks);
    if (scan.Fired) {
        emit AlertSoundDue();
        DataModified = true;
    }
    if (scan.Unseen)
        emit TrayAlertDue();
    Timer1->start();
    emit Ticked();
}
