#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSystemTrayIcon>

class QMenu;
class QTimer;

// The notification-area icon: a tooltip, a menu that opens on a left or a
// right press, a double-click that opens no menu, and a cycle through its
// pictures while it asks for attention.
class TTrayIcon : public QObject {
    Q_OBJECT

public:
    explicit TTrayIcon(QObject *parent = nullptr);
    ~TTrayIcon() override;

    void SetHint(const QString &hint);
    void SetIcons(const QList<QIcon> &icons);
    void SetVisible(bool visible);

    // The menu opened by a press; null detaches it, so a press opens nothing.
    void SetPopupMenu(QMenu *menu);
    QMenu *PopupMenu() const { return FPopupMenu; }

    // While on, the shown picture advances every CycleInterval ms, wrapping
    // to the first; switching it on starts at picture 0. Switching it off
    // leaves the picture where it is.
    void SetCycleIcons(bool on);
    bool CycleIcons() const { return FCycleIcons; }
    void SetCycleInterval(int msecs);
    void SetIconIndex(int index);
    int IconIndex() const { return FIconIndex; }

    // The handlers of the icon's activations and of the two timers, public
    // so tests can drive them without a tray.
    void IconActivated(QSystemTrayIcon::ActivationReason reason);
    void CycleTimerTimer();
    void ClickTimerTimer();
    bool ClickPending() const;

signals:
    void DblClick();
    // The menu was opened (for tests and for callers that refresh captions).
    void MenuPopup(QMenu *menu);

private:
    void Popup(const QPoint &at);

    QSystemTrayIcon *FIcon = nullptr; // made when first shown
    QString FHint;
    QList<QIcon> FIcons;
    QPointer<QMenu> FPopupMenu;
    QTimer *FCycleTimer;
    QTimer *FClickTimer;
    QPoint FClickAt;
    QElapsedTimer FSecondClick;
    bool FCycleIcons = false;
    int FIconIndex = 0;
};
