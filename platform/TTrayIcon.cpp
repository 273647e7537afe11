#include "platform/TTrayIcon.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QStyleHints>
#include <QTimer>

TTrayIcon::TTrayIcon(QObject *parent)
    : QObject(parent), FCycleTimer(new QTimer(this)), FClickTimer(new QTimer(this))
{
    FCycleTimer->setInterval(500);
    connect(FCycleTimer, &QTimer::timeout, this, &TTrayIcon::CycleTimerTimer);
    // A left press waits out the double-click interval before it opens the
    // menu: a double-click must open no menu.
    FClickTimer->setSingleShot(true);
    FClickTimer->setInterval(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    connect(FClickTimer, &QTimer::timeout, this, &TTrayIcon::ClickTimerTimer);
}

TTrayIcon::~TTrayIcon() = default;

void TTrayIcon::SetHint(const QString &hint)
{
    FHint = hint;
    if (FIcon)
        FIcon->setToolTip(hint);
}

void TTrayIcon::SetIcons(const QList<QIcon> &icons)
{
    FIcons = icons;
    SetIconIndex(FIconIndex < FIcons.size() ? FIconIndex : 0);
}

void TTrayIcon::SetVisible(bool visible)
{
    // Made at its first showing: asking the session for its tray takes a
    // few milliseconds the start need not wait for.
    if (!FIcon && visible) {
        FIcon = new QSystemTrayIcon(this);
        FIcon->setToolTip(FHint);
        SetIconIndex(FIconIndex);
        connect(FIcon, &QSystemTrayIcon::activated, this, &TTrayIcon::IconActivated);
    }
    if (FIcon)
        FIcon->setVisible(visible);
}

void TTrayIcon::SetPopupMenu(QMenu *menu)
{
    if (FPopupMenu && FPopupMenu != menu)
        FPopupMenu->hide();
    FPopupMenu = menu;
}

void TTrayIcon::SetCycleIcons(bool on)
{
    if (on == FCycleIcons)
        return;
    FCycleIcons = on;
    if (on) {
        SetIconIndex(0);
        FCycleTimer->start();
    } else {
        FCycleTimer->stop();
    }
}

void TTrayIcon::SetCycleInterval(int msecs) { FCycleTimer->setInterval(msecs); }

void TTrayIcon::SetIconIndex(int index)
{
    FIconIndex = index;
    if (FIcon && index >= 0 && index < FIcons.size())
        FIcon->setIcon(FIcons[index]);
}

void TTrayIcon::CycleTimerTimer()
{
    if (!FCycleIcons || FIcons.isEmpty())
        return;
    SetIconIndex((FIconIndex + 1) % int(FIcons.size()));
}

void TTrayIcon::IconActivated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        // Trays that speak D-Bus report two clicks, never a double-click:
        // a second click within the interval is one.
        if (FClickTimer->isActive()) {
            FClickTimer->stop();
            FSecondClick.start();
            emit DblClick();
            break;
        }
        FSecondClick.invalidate();
        FClickAt = QCursor::pos();
        FClickTimer->start();
        break;
    case QSystemTrayIcon::DoubleClick:
        // A tray that reports both for one double-click is heard once.
        if (FSecondClick.isValid() && FSecondClick.elapsed() < FClickTimer->interval()) {
            FSecondClick.invalidate();
            break;
        }
        FClickTimer->stop();
        emit DblClick();
        break;
    case QSystemTrayIcon::Context:
        FClickTimer->stop();
        Popup(QCursor::pos());
        break;
    default: break;
    }
}

void TTrayIcon::ClickTimerTimer()
{
    FClickTimer->stop();
    Popup(FClickAt);
}

bool TTrayIcon::ClickPending() const { return FClickTimer->isActive(); }

void TTrayIcon::Popup(const QPoint &at)
{
    if (!FPopupMenu)
        return;
    // Activated first, so that a click elsewhere closes the menu.
    FPopupMenu->popup(at);
    FPopupMenu->activateWindow();
    emit MenuPopup(FPopupMenu);
}
