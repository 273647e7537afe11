#include "app/TShownWatch.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

TShownWatch::TShownWatch(const QList<QWidget *> &windows, int boundMs, std::function<void()> then,
                         QObject *parent)
    : QObject(parent), FThen(std::move(then))
{
    for (QWidget *widget : windows) {
        QWindow *window = widget->windowHandle();
        if (!window || window->isExposed())
            continue;
        FPending << window;
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, this, &TShownWatch::Forget);
    }
    FBound.setSingleShot(true);
    connect(&FBound, &QTimer::timeout, this, &TShownWatch::Finish);
    if (FPending.isEmpty())
        FinishSoon();
    else
        FBound.start(boundMs);
}

bool TShownWatch::eventFilter(QObject *watched, QEvent *event)
{
    // The expose is handled after this, and the window draws itself then.
    if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
        watched->removeEventFilter(this);
        Forget(watched);
    }
    return false;
}

void TShownWatch::Forget(QObject *window)
{
    FPending.removeAll(window);
    FPending.removeAll(nullptr);
    if (FPending.isEmpty())
        FinishSoon();
}

void TShownWatch::FinishSoon()
{
    // Posted, not timed: it comes ahead of the timers already due, as the
    // first pass of the loop would.
    QMetaObject::invokeMethod(this, &TShownWatch::Finish, Qt::QueuedConnection);
}

void TShownWatch::Finish()
{
    FBound.stop();
    for (const QPointer<QWindow> &window : std::as_const(FPending))
        if (window)
            window->removeEventFilter(this);
    FPending.clear();
    if (auto then = std::exchange(FThen, nullptr))
        then();
}
