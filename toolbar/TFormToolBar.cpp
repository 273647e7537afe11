#include "toolbar/TFormToolBar.h"

#include "base/Clock.h"
#include "base/EventLog.h"
#include "base/Screen.h"
#include "controls/MenuGroups.h"
#include "controls/TAppCommands.h"
#include "controls/TSkinImage.h"
#include "model/UnitGlobalData.h"
#include "model/UnitGlobalProc.h"
#include "notes/NoteEvents.h"
#include "platform/DisplayPlatform.h"
#include "platform/NativePlace.h"
#include "platform/TWallClockTimer.h"
#include "platform/TWindowDrag.h"
#include "settings/TUserInfo.h"
#include "toolbar/ClockHands.h"
#include "toolbar/ToolBarPictures.h"
#include "toolbar/ToolBarPlace.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

namespace {
constexpr QSize BarSize(67, 26);
// Openbox can drop the first placement of a frameless window: it is put
// there again this long after the show.
constexpr int SettleDelay = 250;
// The pace of the tray icon's cycling, which the toolbar stands in for.
constexpr int AlertBlinkInterval = 500;

TSkinImage *NewImage(QWidget *parent, const QPixmap &picture, QPoint place)
{
    auto *image = new TSkinImage(parent);
    image->SetPicture(picture);
    image->move(place);
    return image;
}

// Whole screens, panels included: a toolbar parked on a panel is still in
// sight and keeps its place.
QList<QRect> ScreenAreas()
{
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas << screen->geometry();
    return areas;
}
} // namespace

TFormToolBar::TFormToolBar(QWidget *listWindow)
    : QWidget(listWindow, Qt::Tool | Qt::FramelessWindowHint | StayOnTopFlag()),
      Timer1(new TWallClockTimer(this)), TimerAlert(new QTimer(this)), FSettle(new QTimer(this))
{
    setWindowTitle(tr("Jotterbox"));
    // Hints show although a tool window is seldom the active one.
    setAttribute(Qt::WA_AlwaysShowToolTips);

    ImageBG = NewImage(this, ToolBarBackgroundPicture(), QPoint(0, 0));
    ImageClock2 = ClockFacePicture();
    ImageClock = NewImage(this, ImageClock2, QPoint(2, 3));
    ImageClock->setCursor(Qt::SizeAllCursor);
    // Any button drags the clock, the right one too: a menu opening on its
    // press would take the pointer away from the drag.
    ImageClock->setContextMenuPolicy(Qt::PreventContextMenu);
    Image2 = NewImage(this, NewNoteButtonPicture(), QPoint(24, 3));
    Image2->setToolTip(tr("New Note"));
    Image3 = NewImage(this, ListButtonPicture(), QPoint(44, 3));
    Image3->setToolTip(tr("Show/Hide List"));
    for (TSkinImage *button : {Image2, Image3})
        button->setCursor(Qt::PointingHandCursor);
    connect(Image2, &TSkinImage::Clicked, this, &TFormToolBar::Image2Click);
    connect(Image3, &TSkinImage::Clicked, this, &TFormToolBar::Image3Click);
    for (TSkinImage *image : {ImageClock, Image2, Image3})
        connect(image, &TSkinImage::DoubleClicked, this, &TFormToolBar::DoubleClicked);
    TimerAlert->setInterval(AlertBlinkInterval);
    connect(TimerAlert, &QTimer::timeout, this, &TFormToolBar::TimerAlertTimer);

    auto *drag = new TWindowDrag(this);
    TDragZone clockZone;
    clockZone.Move = true;
    clockZone.Cursor = Qt::SizeAllCursor;
    clockZone.AnyButton = true;
    drag->AddPart(ImageClock, [clockZone](QPoint, QSize) { return clockZone; });
    // Dragged before it settled: settle now, or the settle would undo the drag.
    connect(drag, &TWindowDrag::Starting, this, [this] {
        if (FSettle->isActive())
            SettlePosition();
    });

    connect(Timer1, &TWallClockTimer::Due, this, &TFormToolBar::Timer1Timer);
    FSettle->setSingleShot(true);
    FSettle->setInterval(SettleDelay);
    connect(FSettle, &QTimer::timeout, this, &TFormToolBar::SettlePosition);

    // Windows closed while the session ends must not count as the user
    // hiding the toolbar for good.
    TNoteEvents &shared = TNoteEvents::Instance();
    connect(&shared, &TNoteEvents::SessionEnding, this, [this] { FSessionEnding = true; });
    connect(&shared, &TNoteEvents::SessionResumed, this, [this] { FSessionEnding = false; });
}

// --- showing, placing, closing ----------------------------------------------

void TFormToolBar::StandInForTray(const QList<QAction *> &trayCommands)
{
    StandIn = true;
    FTrayCommands.clear();
    for (QAction *command : trayCommands)
        FTrayCommands << command;
}

void TFormToolBar::StopStandingIn()
{
    StandIn = false;
    FTrayCommands.clear();
}

void TFormToolBar::FormCreate()
{
    Placed = false;
    setFixedSize(BarSize);
    if (UserInfo().ShowToolBar || StandIn)
        show();
}

void TFormToolBar::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormToolBar::FormShow()
{
    TUserInfo &settings = UserInfo();
    if (!StandIn)
        settings.ShowToolBar = true;
    Placed = false;
    const QPoint place = ToolBarPlaceOnScreen(QPoint(settings.ToolBarLeft, settings.ToolBarTop), BarSize,
                                              ScreenAreas(), PrimaryScreenSize());
    settings.ToolBarLeft = place.x();
    settings.ToolBarTop = place.y();
    move(place);
    Image2->move(24, 3);
    Image3->move(44, 3);
    Timer1Timer();
    FSettle->start();
}

void TFormToolBar::SettlePosition()
{
    FSettle->stop();
    if (!isVisible())
        return;
    PinWindowPlace(this, QPoint(UserInfo().ToolBarLeft, UserInfo().ToolBarTop));
    Placed = true;
}

void TFormToolBar::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return;
    // Shown again, the window is placed afresh; what the window manager
    // reports meanwhile is not the user's doing.
    FSettle->stop();
    Placed = false;
    Timer1->Stop();
}

void TFormToolBar::closeEvent(QCloseEvent *event)
{
    // Closed, it would leave nothing of the program to reach it by.
    if (StandIn && !FSessionEnding) {
        event->ignore();
        return;
    }
    FormCloseQuery();
    event->accept();
}

void TFormToolBar::FormCloseQuery()
{
    if (!FSessionEnding && !StandIn)
        UserInfo().ShowToolBar = false;
    Placed = false;
}

void TFormToolBar::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    WMMove();
}

void TFormToolBar::WMMove()
{
    // The widget's own place, not the window system's: while a drag moves
    // the window by hand the system still reports the place before.
    if (!Placed || !WindowPlacesKnown())
        return;
    UserInfo().ToolBarLeft = x();
    UserInfo().ToolBarTop = y();
}

// --- the pictures ------------------------------------------------------------

void TFormToolBar::Image2Click()
{
    if (QAction *newNote = FCommands ? FCommands->ActionAddNewNote : nullptr)
        newNote->trigger();
}

void TFormToolBar::Image3Click()
{
    // The list opens right below the toolbar, where its place is known.
    if (WindowPlacesKnown()) {
        UserInfo().Left = x();
        UserInfo().Top = y() + BarSize.height();
    }
    if (QAction *showList = FCommands ? FCommands->ActionShowList : nullptr)
        showList->trigger();
    raise();
}

void TFormToolBar::Timer1Timer()
{
    const QDateTime current = TClock::Current();
    const QTime now = current.time();
    // Next at the turn of the minute, while anyone can see the clock.
    if (isVisible())
        Timer1->ArmAt(QDateTime(current.date(), QTime(now.hour(), now.minute())).addSecs(60));
    // The hands and the hint show hours and minutes: a clock set or a
    // wake-up within the minute already drawn would only repaint the
    // toolbar for nothing.
    const QTime minute(now.hour(), now.minute());
    if (minute == FShownMinute)
        return;
    FShownMinute = minute;
    ImageClock->setToolTip(ClockHint(now));
    ImageClock->SetPicture(ClockWithHands(ImageClock2, now));
}

// --- the alert ---------------------------------------------------------------

void TFormToolBar::SetAlert(bool on)
{
    if (on == FAlert)
        return;
    FAlert = on;
    FAlertLit = false;
    if (on) {
        qCInfo(lcJbxEvents, "toolbar alert");
        TimerAlert->start();
    } else {
        qCInfo(lcJbxEvents, "toolbar alert ended");
        TimerAlert->stop();
    }
    Image3->SetPicture(ListButtonPicture());
}

void TFormToolBar::TimerAlertTimer()
{
    FAlertLit = FAlert && !FAlertLit;
    Image3->SetPicture(FAlertLit ? AlertButtonPicture() : ListButtonPicture());
}

void TFormToolBar::mouseDoubleClickEvent(QMouseEvent *event)
{
    QWidget::mouseDoubleClickEvent(event);
    DoubleClicked();
}

void TFormToolBar::DoubleClicked()
{
    if (FAlert) {
        qCInfo(lcJbxEvents, "toolbar double-click");
        emit AlertDblClick();
    }
}

// --- the menu ----------------------------------------------------------------

void TFormToolBar::HideToolbar1Click() { close(); }

void TFormToolBar::PopupMenu1Popup()
{
    if (!PopupMenu1) {
        PopupMenu1 = new QMenu(this);
        HideToolbar1 = new QAction(tr("Hide Toolbar"), this);
        connect(HideToolbar1, &QAction::triggered, this, &TFormToolBar::HideToolbar1Click);
    }
    const TAppCommands shared = FCommands ? *FCommands : TAppCommands();
    NewNote1 = shared.ActionAddNewNote;
    ShowList1 = shared.ActionShowList;
    Options1 = shared.ActionOptions;

    // In groups with a line between; a missing command is left out. Standing
    // in for the tray, the toolbar cannot go, and the tray's last commands join
    // Options as they stand in its menu.
    QList<QAction *> last{Options1};
    for (QAction *command : FTrayCommands)
        last << command;
    PopupMenu1->clear();
    AddActionGroups(PopupMenu1, {{NewNote1}, {ShowList1, StandIn ? nullptr : HideToolbar1}, last});
    QStringList captions;
    for (const QAction *item : PopupMenu1->actions())
        if (!item->isSeparator())
            captions << item->text();
    qCInfo(lcJbxEvents, "toolbar menu: %s", qPrintable(captions.join(QStringLiteral(" | "))));
}

void TFormToolBar::contextMenuEvent(QContextMenuEvent *event)
{
    PopupMenu1Popup();
    PopupMenu1->popup(event->globalPos());
}
