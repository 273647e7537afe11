// The floating toolbar offscreen: its clock, where it opens and which moves
// it keeps, hiding and closing, its two pictures and its menu.

#include "base/Clock.h"
#include "base/Screen.h"
#include "controls/TAppCommands.h"
#include "controls/TSkinImage.h"
#include "model/UnitGlobalData.h"
#include "notes/NoteEvents.h"
#include "platform/TWallClockTimer.h"
#include "settings/TUserInfo.h"
#include "toolbar/ClockHands.h"
#include "toolbar/TFormToolBar.h"
#include "toolbar/ToolBarPlace.h"

#include <QAction>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {
const QDate Day(2026, 3, 10);

void SetTime(int hour, int minute) { TClock::Set(QDateTime(Day, QTime(hour, minute))); }

// Whether any pixel of the area is the hands' pure blue.
bool BlueIn(const QImage &picture, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (picture.pixel(x, y) == qRgb(0, 0, 255))
                return true;
    return false;
}

QStringList Captions(const QMenu *menu)
{
    QStringList captions;
    for (const QAction *item : menu->actions())
        captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
    return captions;
}

QPoint Stored() { return {UserInfo().ToolBarLeft, UserInfo().ToolBarTop}; }

// Counts the paints of one window and its controls while it lives.
class TPaintCounter : public QObject {
public:
    explicit TPaintCounter(const QWidget *window) : FWindow(window) { qApp->installEventFilter(this); }
    int Count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->window() == FWindow)
            ++Count;
        return false;
    }

private:
    const QWidget *FWindow;
};
} // namespace

class TestFormToolBar : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<QWidget> FList; // the list window the toolbar belongs to

    // A toolbar shown at a stored place and settled there, as the user
    // meets it.
    std::unique_ptr<TFormToolBar> ShownAt(QPoint place)
    {
        UserInfo().ToolBarLeft = place.x();
        UserInfo().ToolBarTop = place.y();
        auto bar = std::make_unique<TFormToolBar>(FList.get());
        bar->FormCreate();
        bar->SettlePosition();
        return bar;
    }

private slots:
    void init()
    {
        FDir = std::make_unique<QTemporaryDir>();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        SetTime(9, 5);
        SetPrimaryScreenSizeFunction([] { return QGuiApplication::primaryScreen()->size(); });
        CreateGlobals(FDir->path() + u'/');
        FList = std::make_unique<QWidget>();
    }

    void cleanup()
    {
        FList.reset();
        DestroyGlobals();
        SetPrimaryScreenSizeFunction({});
        TClock::Reset();
        QLocale::setDefault(QLocale::c());
        FDir.reset();
    }

    void clockHandsEndWhereTruncationPutsThem()
    {
        struct TCase {
            int Hour, Minute;
            QPoint MinuteEnd, HourEnd;
        };
        // 7:40 and 9:45 have negative cosines and sines (trunc, not floor);
        // 0:10 and 7:40 have sines of exactly a half, where floating point
        // lands a hair below the whole pixel.
        const TCase cases[] = {
            {3, 0, {10, 0}, {17, 10}},  {12, 30, {10, 20}, {11, 3}}, {15, 15, {20, 10}, {17, 11}},
            {7, 40, {2, 15}, {5, 14}},  {9, 45, {0, 10}, {3, 8}},    {0, 10, {18, 5}, {10, 3}},
            {18, 0, {10, 0}, {10, 17}}, {23, 50, {2, 5}, {10, 3}},
        };
        for (const TCase &c : cases) {
            const QByteArray at = QTime(c.Hour, c.Minute).toString().toLatin1();
            QVERIFY2(MinuteHandEnd(c.Minute) == c.MinuteEnd, at);
            QVERIFY2(HourHandEnd(c.Hour, c.Minute) == c.HourEnd, at);
        }
        QCOMPARE(ClockHint(QTime(9, 5)), QStringLiteral("9:05 - Jotterbox"));
        QCOMPARE(ClockHint(QTime(14, 7)), QStringLiteral("14:07 - Jotterbox"));
    }

    void clockFollowsTheSetTimeAndDropsOldHands()
    {
        TFormToolBar bar(FList.get());
        bar.FormCreate();
        QCOMPARE(bar.ImageClock->toolTip(), QStringLiteral("9:05 - Jotterbox"));
        // Shown, it wakes at the turn of the minute; hidden, not at all,
        // and a tick then draws without waking it again.
        QVERIFY(bar.Timer1->IsActive());
        QCOMPARE(bar.Timer1->DueAt(), QDateTime(Day, QTime(9, 6)));
        TClock::Set(QDateTime(Day, QTime(9, 5, 59, 999)));
        bar.Timer1Timer();
        QCOMPARE(bar.Timer1->DueAt(), QDateTime(Day, QTime(9, 6)));
        bar.hide();
        QVERIFY(!bar.Timer1->IsActive());

        SetTime(3, 0);
        bar.Timer1Timer();
        QImage face = bar.ImageClock->Picture().toImage();
        QVERIFY(BlueIn(face, QRect(9, 1, 3, 7)));   // minutes up
        QVERIFY(BlueIn(face, QRect(12, 9, 5, 3)));  // hours right
        QVERIFY(!BlueIn(face, QRect(1, 1, 8, 18))); // nothing left of the centre

        SetTime(14, 7);
        bar.Timer1Timer();
        QCOMPARE(bar.ImageClock->toolTip(), QStringLiteral("14:07 - Jotterbox"));
        face = bar.ImageClock->Picture().toImage();
        QVERIFY(!BlueIn(face, QRect(9, 1, 3, 5))); // the old minute hand is gone
        QVERIFY(BlueIn(face, QRect(12, 1, 5, 8)));
        QVERIFY(!bar.Timer1->IsActive());
        bar.show();
        QCOMPARE(bar.Timer1->DueAt(), QDateTime(Day, QTime(14, 8)));
    }

    void clockRepaintsOnlyWhenTheMinuteTurns()
    {
        auto bar = ShownAt(QPoint(100, 100));
        QVERIFY(QTest::qWaitForWindowExposed(bar.get()));
        TPaintCounter paints(bar.get());
        QCoreApplication::processEvents();
        const QImage drawn = bar->ImageClock->Picture().toImage();
        paints.Count = 0;
        // Two more ticks of the 20 s timer within 9:05: nothing to redraw.
        for (int second : {20, 40}) {
            TClock::Set(QDateTime(Day, QTime(9, 5, second)));
            bar->Timer1Timer();
            QCoreApplication::processEvents();
        }
        QCOMPARE(paints.Count, 0);
        QCOMPARE(bar->ImageClock->Picture().toImage(), drawn);

        // The minute turns: the hint follows, and the hands, painted.
        SetTime(9, 6);
        bar->Timer1Timer();
        QCOMPARE(bar->ImageClock->toolTip(), QStringLiteral("9:06 - Jotterbox"));
        SetTime(9, 10);
        bar->Timer1Timer();
        QCoreApplication::processEvents();
        QVERIFY(paints.Count > 0);
        QVERIFY(bar->ImageClock->Picture().toImage() != drawn);
        // A clock set back to the minute drawn before is drawn again too.
        SetTime(9, 5);
        bar->Timer1Timer();
        QCOMPARE(bar->ImageClock->Picture().toImage(), drawn);
    }

    void opensAtTheStoredPlaceOrNearTheTopRightCorner()
    {
        const QList<QRect> screens = {QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 1000)};
        const QSize primary(1920, 1080), size(67, 26);
        QCOMPARE(ToolBarPlaceOnScreen({2500, 500}, size, screens, primary), QPoint(2500, 500));
        QCOMPARE(ToolBarPlaceOnScreen({-60, 10}, size, screens, primary), QPoint(-60, 10)); // a corner shows
        QCOMPARE(ToolBarPlaceOnScreen({3300, 10}, size, screens, primary), QPoint(1780, 10));
        // Below the shorter screen, beside the taller one: lost all the same.
        QCOMPARE(ToolBarPlaceOnScreen({2000, 1010}, size, screens, primary), QPoint(1780, 10));

        // First start, no settings file.
        const QPoint corner(QGuiApplication::primaryScreen()->size().width() - 140, 10);
        TFormToolBar bar(FList.get());
        bar.FormCreate();
        QVERIFY(bar.isVisible() && bar.isWindow() && !FList->isVisible());
        QCOMPARE(bar.geometry(), QRect(corner, QSize(67, 26)));

        // A place left behind on a monitor now gone.
        bar.hide();
        UserInfo().ToolBarLeft = 5000;
        UserInfo().ToolBarTop = 3000;
        bar.show();
        QCOMPARE(bar.pos(), corner);
        QCOMPARE(Stored(), corner);

        UserInfo().ShowToolBar = false;
        TFormToolBar hidden(FList.get());
        hidden.FormCreate();
        QVERIFY(!hidden.isVisible());
    }

    void movesAreKeptOnlyOncePlaced()
    {
        UserInfo().ToolBarLeft = 300;
        UserInfo().ToolBarTop = 200;
        TFormToolBar bar(FList.get());
        bar.FormCreate();
        QVERIFY(!bar.Placed);
        bar.move(0, 0); // the window manager, placing it
        QCOMPARE(Stored(), QPoint(300, 200));
        bar.SettlePosition();
        QVERIFY(bar.Placed);
        QCOMPARE(bar.pos(), QPoint(300, 200));
        bar.move(120, 130);
        QCOMPARE(Stored(), QPoint(120, 130));

        // Dragged by its clock, with the right button too.
        const QPoint grip(10, 10);
        const QPoint from = bar.ImageClock->mapToGlobal(grip);
        QTest::mousePress(bar.ImageClock, Qt::RightButton, {}, grip);
        for (const QPoint step : {QPoint(2, 2), QPoint(32, 22)}) {
            QMouseEvent motion(QEvent::MouseMove, grip + step, from + step, Qt::NoButton, Qt::RightButton,
                               {});
            QApplication::sendEvent(bar.ImageClock, &motion);
        }
        QTest::mouseRelease(bar.ImageClock, Qt::RightButton, {}, grip + QPoint(32, 22));
        QCOMPARE(bar.pos(), QPoint(150, 150));
        QCOMPARE(Stored(), QPoint(150, 150));
    }

    void dragBeforeTheSettleIsKept()
    {
        UserInfo().ToolBarLeft = 300;
        UserInfo().ToolBarTop = 200;
        TFormToolBar bar(FList.get());
        bar.FormCreate();
        QVERIFY(!bar.Placed);
        // Grabbed at once, before the settle step would put it back.
        const QPoint grip(10, 10);
        const QPoint from = bar.ImageClock->mapToGlobal(grip);
        QTest::mousePress(bar.ImageClock, Qt::LeftButton, {}, grip);
        for (const QPoint step : {QPoint(2, 2), QPoint(40, 30)}) {
            QMouseEvent motion(QEvent::MouseMove, grip + step, from + step, Qt::NoButton, Qt::LeftButton, {});
            QApplication::sendEvent(bar.ImageClock, &motion);
        }
        QTest::mouseRelease(bar.ImageClock, Qt::LeftButton, {}, grip + QPoint(40, 30));
        QVERIFY(bar.Placed);
        bar.SettlePosition(); // the settle step, late: nothing more to do
        // The drag follows the pointer from its first motion on.
        QCOMPARE(bar.pos(), QPoint(338, 228));
        QCOMPARE(Stored(), QPoint(338, 228));
    }

    void hidingKeepsTheSettingClosingDropsIt()
    {
        auto bar = ShownAt({120, 130});
        // The main window's toggle hides without closing.
        bar->hide();
        QVERIFY(UserInfo().ShowToolBar);
        QVERIFY(!bar->Placed);
        bar->move(0, 0);
        QCOMPARE(Stored(), QPoint(120, 130));
        bar->show();
        QCOMPARE(bar->pos(), QPoint(120, 130));

        bar->PopupMenu1Popup();
        bar->HideToolbar1->trigger();
        QVERIFY(!bar->isVisible());
        QVERIFY(!UserInfo().ShowToolBar);
        QVERIFY(!bar->Placed);
        bar->show();
        QVERIFY(UserInfo().ShowToolBar);

        // Windows closed as the session ends leave the setting alone.
        emit TNoteEvents::Instance().SessionEnding();
        bar->close();
        emit TNoteEvents::Instance().SessionResumed();
        QVERIFY(UserInfo().ShowToolBar);
    }

    // With no tray the toolbar is all the user has of the program: it shows
    // whatever the setting says, leaves the setting alone, will not go, and
    // its menu carries the tray's last commands.
    void standingInForTheTrayItStaysUpAndCarriesTheTrayCommands()
    {
        QAction newNote(QStringLiteral("New &Note")), showList(QStringLiteral("Show &List")),
            options(QStringLiteral("&Options...")), about(QStringLiteral("&About Jotterbox...")),
            exit(QStringLiteral("E&xit"));
        TAppCommands shared;
        shared.ActionAddNewNote = &newNote;
        shared.ActionShowList = &showList;
        shared.ActionOptions = &options;
        UserInfo().ShowToolBar = false;
        TFormToolBar bar(FList.get());
        bar.SetCommands(&shared);
        bar.StandInForTray({&about, &exit});
        bar.FormCreate();
        QVERIFY(bar.isVisible());
        QVERIFY(!UserInfo().ShowToolBar);

        bar.PopupMenu1Popup();
        QCOMPARE(Captions(bar.PopupMenu1), (QStringList{"New &Note", "-", "Show &List", "-", "&Options...",
                                                        "&About Jotterbox...", "E&xit"}));
        QSignalSpy exits(&exit, &QAction::triggered);
        bar.PopupMenu1->actions().last()->trigger();
        QCOMPARE(exits.size(), 1);

        // Closed by the window manager (Alt+F4): it stays.
        QVERIFY(!bar.close());
        QVERIFY(bar.isVisible());
        QVERIFY(!UserInfo().ShowToolBar);
        // Hidden and shown by the program, the setting is still the user's.
        bar.hide();
        bar.show();
        QVERIFY(!UserInfo().ShowToolBar);
    }

    void picturesMakeANoteAndOpenTheListBelow()
    {
        QAction newNote, showList;
        QSignalSpy notes(&newNote, &QAction::triggered), lists(&showList, &QAction::triggered);
        auto bar = ShownAt({400, 50});
        TAppCommands shared;
        bar->SetCommands(&shared);
        // Nothing to run yet: the list's place is still set.
        QTest::mouseClick(bar->Image2, Qt::LeftButton);
        QTest::mouseClick(bar->Image3, Qt::LeftButton);
        QCOMPARE(QPoint(UserInfo().Left, UserInfo().Top), QPoint(400, 76));

        shared.ActionAddNewNote = &newNote;
        shared.ActionShowList = &showList;
        bar->move(410, 60);
        QTest::mouseClick(bar->ImageClock, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseClick(bar->Image2, Qt::LeftButton);
        QCOMPARE(notes.count(), 1);
        QCOMPARE(lists.count(), 0);
        QTest::mouseClick(bar->Image3, Qt::LeftButton);
        QCOMPARE(lists.count(), 1);
        QCOMPARE(notes.count(), 1);
        QCOMPARE(QPoint(UserInfo().Left, UserInfo().Top), QPoint(410, 86));
    }

    void menuOffersTheSharedCommandsThatExist()
    {
        QAction newNote(QStringLiteral("New &Note")), showList(QStringLiteral("Show &List"));
        auto options = std::make_unique<QAction>(QStringLiteral("&Options..."));
        TAppCommands shared;
        shared.ActionAddNewNote = &newNote;
        shared.ActionShowList = &showList;
        shared.ActionOptions = options.get();
        auto bar = ShownAt({200, 200});
        bar->SetCommands(&shared);

        // A right press on the clock drags; it opens no menu.
        QTest::mouseClick(bar->windowHandle(), Qt::RightButton, {}, QPoint(12, 13));
        QVERIFY(!bar->PopupMenu1 || !bar->PopupMenu1->isVisible());
        QTest::mouseClick(bar->windowHandle(), Qt::RightButton, {}, QPoint(34, 13));
        QVERIFY(bar->PopupMenu1 && bar->PopupMenu1->isVisible());
        QCOMPARE(Captions(bar->PopupMenu1),
                 (QStringList{"New &Note", "-", "Show &List", "Hide Toolbar", "-", "&Options..."}));
        bar->PopupMenu1->hide();

        // Read again at each opening: the list's caption follows its state.
        showList.setText(QStringLiteral("Hide &List"));
        options.reset();
        bar->PopupMenu1Popup();
        QCOMPARE(Captions(bar->PopupMenu1), (QStringList{"New &Note", "-", "Hide &List", "Hide Toolbar"}));
        shared.ActionAddNewNote = nullptr;
        shared.ActionShowList = nullptr;
        bar->PopupMenu1Popup();
        QCOMPARE(Captions(bar->PopupMenu1), QStringList{"Hide Toolbar"});
    }
};

QTEST_MAIN(TestFormToolBar)
#include "tst_formtoolbar.moc"
