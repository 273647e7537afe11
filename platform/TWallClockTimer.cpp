#include "platform/TWallClockTimer.h"

#include "base/Clock.h"

#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <cstdint>
#include <sys/syscall.h>
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace {
// The fallback's longest single wait: a clock set meanwhile is noticed
// within this, a suspend right after it.
constexpr qint64 LongestWaitMs = 60 * 60 * 1000;
} // namespace

TWallClockTimer::TWallClockTimer(QObject *parent) : QObject(parent)
{
#ifdef Q_OS_LINUX
    FFd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (FFd >= 0) {
        FNotifier = new QSocketNotifier(qintptr(FFd), QSocketNotifier::Read, this);
        connect(FNotifier, &QSocketNotifier::activated, this, [this] {
            std::uint64_t expirations = 0;
            // EAGAIN: nothing came after all. ECANCELED: the clock was set.
            if (::read(FFd, &expirations, sizeof expirations) < 0 && errno == EAGAIN)
                return;
            Expired();
        });
        return;
    }
#endif
    FFallback = new QTimer(this);
    FFallback->setSingleShot(true);
    FFallback->setTimerType(Qt::PreciseTimer);
    connect(FFallback, &QTimer::timeout, this, [this] {
        // A long moment is waited for in steps; each step looks at the
        // clock again.
        if (TClock::Current() < FDue)
            ArmFallback();
        else
            Expired();
    });
}

TWallClockTimer::~TWallClockTimer()
{
#ifdef Q_OS_LINUX
    if (FFd >= 0)
        ::close(FFd);
#endif
}

void TWallClockTimer::ArmAt(const QDateTime &moment)
{
    if (FActive && moment == FDue)
        return;
    FDue = moment;
    FActive = true;
    if (TClock::IsSet()) {
        // Time stands still: nothing would ever come.
        Disarm();
        return;
    }
#ifdef Q_OS_LINUX
    if (FFd >= 0) {
        // The moment is on the program's clock, the kernel waits on its
        // own: the same wherever the program's clock is the system's. Both
        // are read straight from the kernel, so that a clock given to the
        // program alone (a test's) moves the moment along with it.
        timespec kernelNow{};
        ::syscall(SYS_clock_gettime, CLOCK_REALTIME, &kernelNow);
        const qint64 ahead = std::max<qint64>(0, TClock::Current().msecsTo(moment));
        const qint64 ns = qint64(kernelNow.tv_sec) * 1000000000 + kernelNow.tv_nsec + ahead * 1000000;
        itimerspec spec{};
        spec.it_value.tv_sec = time_t(ns / 1000000000);
        spec.it_value.tv_nsec = long(ns % 1000000000);
        ::syscall(SYS_timerfd_settime, FFd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &spec, nullptr);
        return;
    }
#endif
    ArmFallback();
}

void TWallClockTimer::ArmFallback()
{
    const qint64 wait = std::clamp<qint64>(TClock::Current().msecsTo(FDue), 0, LongestWaitMs);
    FFallback->start(int(wait));
}

void TWallClockTimer::Stop()
{
    FActive = false;
    Disarm();
}

void TWallClockTimer::Disarm()
{
#ifdef Q_OS_LINUX
    if (FFd >= 0) {
        const itimerspec off{};
        ::syscall(SYS_timerfd_settime, FFd, 0, &off, nullptr);
        return;
    }
#endif
    FFallback->stop();
}

void TWallClockTimer::Expired()
{
    FActive = false;
    emit Due();
}
