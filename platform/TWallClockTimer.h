#pragma once

#include <QDateTime>
#include <QObject>

class QSocketNotifier;
class QTimer;

// A timer for a moment of the wall clock rather than after an interval: it
// fires once the clock reads the moment, at once after a suspend that slept
// past it, and also whenever the clock is set, since a moment may then have
// passed or moved away. On Linux a timerfd on the real-time clock; elsewhere
// a plain timer that looks at the clock again at least once an hour.
//
// The moment is read against the program's clock: while a test has set
// that clock, time stands still and the timer only remembers its moment;
// the test calls the handler of whoever armed it.
class TWallClockTimer : public QObject {
    Q_OBJECT

public:
    explicit TWallClockTimer(QObject *parent = nullptr);
    ~TWallClockTimer() override;

    // Replaces any earlier moment; a moment already passed fires at the
    // next pass of the event loop.
    void ArmAt(const QDateTime &moment);
    void Stop();
    bool IsActive() const { return FActive; }
    QDateTime DueAt() const { return FDue; }

signals:
    // The moment came, or the clock was set: time to look again.
    void Due();

private:
    void Expired();
    void ArmFallback();
    void Disarm();

    bool FActive = false;
    QDateTime FDue;
    int FFd = -1;
    QSocketNotifier *FNotifier = nullptr;
    QTimer *FFallback = nullptr;
};
