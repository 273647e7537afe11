#pragma once

#include <QPixmap>
#include <QPointer>
#include <QTime>
#include <QWidget>

class QAction;
class QMenu;
class QTimer;
class TSkinImage;
class TWallClockTimer;
struct TAppCommands;

// The small floating window with a clock, a new-note picture and a picture
// that shows or hides the list. It belongs to the list window (no taskbar
// entry of its own), is dragged by its clock and keeps its place and
// whether it shows in the settings.
class TFormToolBar : public QWidget {
    Q_OBJECT

public:
    explicit TFormToolBar(QWidget *listWindow);

    TSkinImage *ImageBG;
    TSkinImage *ImageClock; // the face with the hands; dragging it moves the window
    TSkinImage *Image2;     // new note
    TSkinImage *Image3;     // show or hide the list
    QPixmap ImageClock2;    // the clean face the hands are drawn on afresh
    // Redraws the clock at each turn of the minute while the toolbar is
    // shown; hidden, it sleeps.
    TWallClockTimer *Timer1;

    // Made when first opened. The shared commands are read at each opening:
    // one that does not exist yet is left out.
    QMenu *PopupMenu1 = nullptr;
    QPointer<QAction> NewNote1;
    QPointer<QAction> ShowList1;
    QAction *HideToolbar1 = nullptr;
    QPointer<QAction> Options1;

    // Set when the session has no tray: see StandInForTray.
    bool StandIn = false;

    // True from when the window manager has placed the shown window until it
    // is hidden or closed; only then are moves the user's and stored.
    bool Placed = false;

    // With no tray the toolbar is the program's only presence on screen: it
    // shows whatever ShowToolBar says (and leaves the setting as it is),
    // does not hide or close, and its menu also carries `trayCommands`.
    // Call before FormCreate.
    void StandInForTray(const QList<QAction *> &trayCommands);
    // A tray came: the toolbar is an ordinary one again.
    void StopStandingIn();
    // The commands shared with the other windows that the pictures and the
    // menu run; may be none.
    void SetCommands(const TAppCommands *commands) { FCommands = commands; }
    void FormCreate();
    void FormShow();
    // Puts the window at its stored place again once the window manager is
    // done placing it, and starts storing moves.
    void SettlePosition();
    void FormCloseQuery();
    void WMMove();

    // Standing in for the tray, the toolbar shows the tray's alert: the list
    // picture blinks until a double-click on the toolbar opens the waiting
    // notes.
    void SetAlert(bool on);
    bool Alerting() const { return FAlert; }
    QTimer *TimerAlert;
    void TimerAlertTimer();

    void Image2Click();
    void Image3Click();
    void HideToolbar1Click();
    void Timer1Timer();
    // Fills PopupMenu1 with the commands that exist now.
    void PopupMenu1Popup();

signals:
    // A double-click on the toolbar while it shows an alert.
    void AlertDblClick();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QTimer *FSettle;
    const TAppCommands *FCommands = nullptr;
    QList<QPointer<QAction>> FTrayCommands;
    bool FSessionEnding = false;
    QTime FShownMinute; // what the hands show; none before the first draw
    bool FAlert = false;
    bool FAlertLit = false; // the blink's second picture is shown
    void DoubleClicked();
};
