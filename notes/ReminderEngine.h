#pragma once

#include <QObject>

class QTimer;
class TTaskList;

// What one pass of the reminder scan found.
struct TReminderScan {
    bool Fired = false;  // some reminder fell due
    bool Unseen = false; // ... for a task with no note on screen
};

// Fires every reminder whose moment has passed (strictly; the clock is read
// afresh for each task): the reminder is cleared, the task alerts, and its
// note is told to refresh, in list order.
TReminderScan ScanReminders(const TTaskList &tasks);

// The start-up pass over a freshly loaded list: reopens the notes saved
// open and answers whether an alerting task is left without a note.
bool ReopenNotes(const TTaskList &tasks);

// The answer to the cycling tray icon: a note for every alerting task that
// has none, unrolled and blinking.
void OpenAlertingNotes(const TTaskList &tasks);

// Runs the scan once a second, whether or not any window is visible.
class TReminderEngine : public QObject {
    Q_OBJECT

public:
    explicit TReminderEngine(TTaskList &tasks, QObject *parent = nullptr);

    QTimer *Timer1;
    // One tick: the scan, one sound however many fired, then Ticked().
    void Timer1Timer();

signals:
    void AlertSoundDue();
    void TrayAlertDue();
    // After the scan of every tick, for the list window's title.
    void Ticked();

private:
    TTaskList &FTasks;
};
