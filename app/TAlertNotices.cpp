#include "app/TAlertNotices.h"

#include "base/Clock.h"
#include "base/EventLog.h"
#include "base/TextCodec.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "model/UnitGlobalProc.h"
#include "notes/NoteEvents.h"
#include "notes/NoteWindows.h"
#include "notes/ReminderEngine.h"
#include "notes/TaskSheetMessage.h"
#include "platform/TDesktopNotifier.h"

#include <QFileInfo>

namespace {
constexpr TDateTime SnoozeInterval = 5.0 / (24 * 60);

quint64 KeyOf(const TTask *task) { return quint64(reinterpret_cast<quintptr>(task)); }
} // namespace

bool AnswerAlert(TTask &task, const QString &action, TDateTime now)
{
    // Answered already (in its note, or by another notification).
    if (!task.Alerting)
        return false;
    if (action == TAlertNotices::Snooze())
        task.ReminderTime = now + SnoozeInterval;
    else if (action != TAlertNotices::Acknowledge())
        return false;
    task.Alerting = false;
    return true;
}

TAlertNotices::TAlertNotices(TTaskList &tasks, QObject *parent)
    : QObject(parent), FTasks(tasks), FNotifier(new TDesktopNotifier(this))
{
    connect(FNotifier, &TDesktopNotifier::ActionInvoked, this, &TAlertNotices::ActionInvoked);
    connect(FNotifier, &TDesktopNotifier::Closed, this, &TAlertNotices::Closed);
    connect(FNotifier, &TDesktopNotifier::Failed, this, [this](quint64 key, const QString &reason) {
        WriteDebugLog(QStringLiteral("Notification not shown: ") + reason);
        FShown.remove(key);
        emit NotShown();
    });
}

bool TAlertNotices::Show()
{
    if (!TDesktopNotifier::BusThere())
        return false;
    const QString icon = AppDir + QStringLiteral("icons/64x64/Jotterbox.png");
    const QList<TDesktopNotifier::TAction> actions{
        {TDesktopNotifier::DefaultAction(), tr("Open")},
        {Acknowledge(), tr("Acknowledged")},
        {Snooze(), tr("Snooze 5 minutes")},
    };
    for (int i = 0; i < FTasks.Count(); ++i) {
        TTask *task = FTasks.GetTask(i);
        const quint64 key = KeyOf(task);
        if (!task->Alerting || task->NoteOpen || FShown.contains(key))
            continue;
        QString subject = DecodeText(FirstNonBlankLine(task->Text));
        if (subject.isEmpty())
            subject = QStringLiteral("Jotterbox");
        if (!FNotifier->Notify(key, QStringLiteral("Jotterbox"), subject, tr("Reminder"), actions,
                               QFileInfo::exists(icon) ? icon : QString()))
            return false;
        FShown.insert(key);
    }
    return true;
}

void TAlertNotices::CloseAll()
{
    for (const quint64 key : std::as_const(FShown))
        FNotifier->Close(key);
    FShown.clear();
}

TTask *TAlertNotices::TaskOf(quint64 key) const
{
    for (int i = 0; i < FTasks.Count(); ++i)
        if (KeyOf(FTasks.GetTask(i)) == key)
            return FTasks.GetTask(i);
    return nullptr;
}

void TAlertNotices::ActionInvoked(quint64 key, const QString &action)
{
    TTask *task = TaskOf(key);
    FShown.remove(key);
    FNotifier->Close(key);
    if (!task)
        return;
    qCInfo(lcJbxEvents, "notification answer %s", qPrintable(action));
    if (action == TDesktopNotifier::DefaultAction()) {
        OpenNote(task);
    } else if (AnswerAlert(*task, action, TClock::Now())) {
        // A note opened meanwhile stops blinking and shows the new reminder.
        SendTaskSheetMessage(TaskSheetRefresh, task);
        emit TNoteEvents::Instance().ListUpdateRequested();
        DataModified.Mark();
    }
    emit Answered();
}

bool TAlertNotices::Waiting() const
{
    for (int i = 0; i < FTasks.Count(); ++i)
        if (FTasks.GetTask(i)->Alerting && !FTasks.GetTask(i)->NoteOpen)
            return true;
    return false;
}

void TAlertNotices::Closed(quint64 key) { FShown.remove(key); }

void TAlertNotices::OpenNote(TTask *task) { OpenAlertingNote(task); }
