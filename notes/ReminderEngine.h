#pragma once

#include <QDateTime>
#include <QObject>
#include <optional>

class TTask;
class TTaskList;
class TWallClockTimer;

// What one pass of the reminder scan found.
struct TReminderScan {
    bool Fired = false;  // some reminder fell due
    bool Unseen = false; // ... for a task with no note on screen
};

// Fires every reminder whose moment has passed (strictly; the clock is read
// afresh for each task): the reminder is cleared, the task alerts, and its
// note is told to refresh, in list order.
TReminderScan ScanReminders(const TTaskList &tasks);

// The first moment at which the scan can find a reminder due: the earliest
// reminder's moment and a millisecond (a moment fires only once passed).
// Nothing while no task has a reminder.
std::optional<QDateTime> NextReminderScan(const TTaskList &tasks);

// The start-up pass over a freshly loaded list: reopens the notes saved
// open and answers whether an alerting task is left without a note.
bool ReopenNotes(const TTaskList &tasks);
// The start-up pass when the notes stay closed: no task is marked as on
// screen, so each alert goes to the tray; answers whether a task alerts.
bool ForgetOpenNotes(const TTaskList &tasks);

// The answer to the cycling tray icon: a note for every alerting task that
// has none, unrolled and blinking.
void OpenAlertingNotes(const TTaskList &tasks);
// Opens one task's note as the tray's double-click does: unrolled, and
// blinking while the task alerts.
void OpenAlertingNote(TTask *task);

// Runs the scan when a reminder can next fall due, whether or not any
// window is visible: after every scan, every change of task data and every
// setting of the clock, Timer1 is armed for that moment, so the scan finds
// each reminder in the first second after it and sleeps in between.
class TReminderEngine : public QObject {
    Q_OBJECT

public:
    explicit TReminderEngine(TTaskList &tasks, QObject *parent = nullptr);
    ~TReminderEngine() override;

    TWallClockTimer *Timer1;
    // One tick: the scan, one sound however many fired, the timer armed
    // for the next reminder.
    void Timer1Timer();
    // Arms Timer1 for the next reminder, or stops it while there is none.
    void ArmTimer1();
    // No scan any more: the program ends.
    void Halt();

signals:
    void AlertSoundDue();
    void TrayAlertDue();

private:
    TTaskList &FTasks;
    int FWatch = 0;
    bool FHalted = false;
};
