#include "platform/TTrayIcon.h"

#include <QMenu>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>

class TestTrayIcon : public QObject {
    Q_OBJECT

    static QIcon Plain(Qt::GlobalColor color)
    {
        QPixmap pixmap(16, 16);
        pixmap.fill(color);
        return QIcon(pixmap);
    }

private slots:
    void pressesOpenTheMenuButADoubleClickDoesNot()
    {
        TTrayIcon tray;
        QMenu menu;
        menu.addAction("E&xit");
        tray.SetPopupMenu(&menu);
        QSignalSpy popups(&tray, &TTrayIcon::MenuPopup);
        QSignalSpy doubles(&tray, &TTrayIcon::DblClick);

        // Left press: the menu waits out the double-click interval.
        tray.IconActivated(QSystemTrayIcon::Trigger);
        QVERIFY(tray.ClickPending());
        QCOMPARE(popups.size(), 0);
        tray.ClickTimerTimer();
        QCOMPARE(popups.size(), 1);
        menu.hide();

        // The second press of a double-click cancels the menu of the first.
        tray.IconActivated(QSystemTrayIcon::Trigger);
        tray.IconActivated(QSystemTrayIcon::DoubleClick);
        QVERIFY(!tray.ClickPending());
        QCOMPARE(doubles.size(), 1);
        QCOMPARE(popups.size(), 1);

        // Two clicks from a tray that knows no double-click make one, and a
        // tray that reports the double-click as well is heard once.
        tray.IconActivated(QSystemTrayIcon::Trigger);
        tray.IconActivated(QSystemTrayIcon::Trigger);
        tray.IconActivated(QSystemTrayIcon::DoubleClick);
        QVERIFY(!tray.ClickPending());
        QCOMPARE(doubles.size(), 2);
        QCOMPARE(popups.size(), 1);

        // Right press: at once.
        tray.IconActivated(QSystemTrayIcon::Context);
        QCOMPARE(popups.size(), 2);
        menu.hide();

        // Detached, a press opens nothing; the double-click still counts.
        tray.SetPopupMenu(nullptr);
        tray.IconActivated(QSystemTrayIcon::Context);
        tray.IconActivated(QSystemTrayIcon::Trigger);
        tray.ClickTimerTimer();
        QCOMPARE(popups.size(), 2);
        tray.IconActivated(QSystemTrayIcon::Trigger);
        tray.IconActivated(QSystemTrayIcon::DoubleClick);
        QCOMPARE(doubles.size(), 3);
    }

    void cyclingWrapsAndRestartsAtTheFirstPicture()
    {
        TTrayIcon tray;
        tray.SetIcons({Plain(Qt::yellow), Plain(Qt::red)});
        tray.CycleTimerTimer(); // not cycling: no change
        QCOMPARE(tray.IconIndex(), 0);

        tray.SetCycleIcons(true);
        tray.CycleTimerTimer();
        QCOMPARE(tray.IconIndex(), 1);
        tray.CycleTimerTimer();
        QCOMPARE(tray.IconIndex(), 0);
        tray.CycleTimerTimer();
        tray.SetCycleIcons(true); // already on: nothing changes
        QCOMPARE(tray.IconIndex(), 1);

        tray.SetCycleIcons(false);
        tray.CycleTimerTimer();
        QCOMPARE(tray.IconIndex(), 1); // the owner puts it back
        tray.SetCycleIcons(true);
        QCOMPARE(tray.IconIndex(), 0);
    }
};

QTEST_MAIN(TestTrayIcon)
#include "tst_trayicon.moc"
