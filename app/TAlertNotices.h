#pragma once

#include "base/DateTime.h"

#include <QObject>
#include <QSet>

class TDesktopNotifier;
class TTask;
class TTaskList;

// What a notification's answer does to the task: the same as the note's
// blink menu. False when the task no longer waits for an answer.
bool AnswerAlert(TTask &task, const QString &action, TDateTime now);

// The alerts of tasks whose note is not on screen, as desktop
// notifications: the task's subject with "Acknowledged" and "Snooze 5
// minutes", and a click on it opens the note.
class TAlertNotices : public QObject {
    Q_OBJECT

public:
    // Action keys, as the notification service reports them.
    static QString Acknowledge() { return QStringLiteral("acknowledge"); }
    static QString Snooze() { return QStringLiteral("snooze-5"); }

    TAlertNotices(TTaskList &tasks, QObject *parent = nullptr);

    // A notification for every alerting task without a note that has none
    // yet. False when there is no session bus to send them on.
    bool Show();
    // Takes every notification off the screen (their notes were opened).
    void CloseAll();

    // The notifier's answers, public so tests can give them.
    void ActionInvoked(quint64 key, const QString &action);
    void Closed(quint64 key);

    TDesktopNotifier *Notifier() const { return FNotifier; }
    // Whether an alerting task still has no note on screen.
    bool Waiting() const;

signals:
    // The service could not show the notification: the note should open
    // itself, if nothing else is there to tell of the alert.
    void NotShown();
    // The user answered a notification.
    void Answered();

private:
    TTask *TaskOf(quint64 key) const;
    void OpenNote(TTask *task);

    TTaskList &FTasks;
    TDesktopNotifier *FNotifier;
    QSet<quint64> FShown;
};
