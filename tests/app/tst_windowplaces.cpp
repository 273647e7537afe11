// Where the program learns nothing of its windows' places (Wayland), the
// places stored from an earlier session stay as they were, whatever Qt
// reports; elsewhere the windows' moves are kept.

#include "model/TTask.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "notes/NoteWindows.h"
#include "notes/TFormNote.h"
#include "platform/DisplayPlatform.h"
#include "settings/TUserInfo.h"
#include "support/ShellFixture.h"
#include "tasklist/TFormTaskList.h"
#include "toolbar/TFormToolBar.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {
constexpr QPoint KStored(100, 120);
constexpr QPoint KMovedTo(150, 160);
constexpr QPoint KNoPlace(TTask::NoPosition, TTask::NoPosition);

enum class TWindowKind { StoredNote, NewNote, List, ToolBar };
} // namespace

Q_DECLARE_METATYPE(TWindowKind)

class TestWindowPlaces : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TScriptedDialogs> FDialogs;

    static QPoint NotePlace(const TTask *task) { return {task->Left, task->Top}; }

    // Opens a window of the kind as the user meets it (shown, then settled
    // where the window manager put it), moves it, and gives each path that
    // stores its place its turn. The stored place right after the settle and
    // after the move.
    static void OpenAndMove(TWindowKind kind, QPoint &settled, QPoint &moved)
    {
        TUserInfo &settings = UserInfo();
        switch (kind) {
        case TWindowKind::StoredNote:
        case TWindowKind::NewNote: {
            TTask *task = TaskList().AddNewTask();
            task->Text = "Call Anna";
            task->Width = 300;
            task->Height = 220;
            task->Left = kind == TWindowKind::StoredNote ? KStored.x() : TTask::NoPosition;
            task->Top = kind == TWindowKind::StoredNote ? KStored.y() : TTask::NoPosition;
            CreateNoteWindow(task);
            TFormNote *note = TFormNote::OpenNotes().last();
            note->SettlePosition();
            settled = NotePlace(task);
            note->move(KMovedTo);
            note->EditSubjectChange(); // the text typed stores the place too
            moved = NotePlace(task);
            return;
        }
        case TWindowKind::List: {
            settings.Showing = true;
            settings.Left = KStored.x();
            settings.Top = KStored.y();
            TFormTaskList list(nullptr);
            list.SettlePosition();
            settled = QPoint(settings.Left, settings.Top);
            list.move(KMovedTo);
            moved = QPoint(settings.Left, settings.Top);
            return;
        }
        case TWindowKind::ToolBar: {
            settings.ToolBarLeft = KStored.x();
            settings.ToolBarTop = KStored.y();
            settings.Left = 500;
            settings.Top = 400;
            QWidget owner;
            TFormToolBar bar(&owner);
            bar.FormCreate();
            bar.SettlePosition();
            settled = QPoint(settings.ToolBarLeft, settings.ToolBarTop);
            bar.move(KMovedTo);
            moved = QPoint(settings.ToolBarLeft, settings.ToolBarTop);
            // Its list picture opens the list below it, where it stands.
            bar.Image3Click();
            QCOMPARE(QPoint(settings.Left, settings.Top),
                     WindowPlacesKnown() ? KMovedTo + QPoint(0, 26) : QPoint(500, 400));
            return;
        }
        }
    }

private slots:
    void init()
    {
        FDir = std::make_unique<QTemporaryDir>();
        CreateGlobals(FDir->path() + u'/');
        FDialogs = std::make_unique<TScriptedDialogs>();
        TFormNote::InstallCreator();
    }

    void cleanup()
    {
        TFormNote::DestroyAll();
        SetNoteCreator({});
        SetWindowPlacesKnownFunction({});
        FDialogs.reset();
        DestroyGlobals();
        FDir.reset();
    }

    void storedPlacesFollowOnlyKnownPlaces_data()
    {
        QTest::addColumn<TWindowKind>("kind");
        QTest::addColumn<bool>("known");
        QTest::addColumn<QPoint>("settled");
        QTest::addColumn<QPoint>("moved");
        // A new note takes the place the window manager chose, where it can
        // be known: here, the offscreen platform's.
        QTest::newRow("X11: stored note") << TWindowKind::StoredNote << true << KStored << KMovedTo;
        QTest::newRow("X11: new note") << TWindowKind::NewNote << true << QPoint(-1, -1) << KMovedTo;
        QTest::newRow("X11: list") << TWindowKind::List << true << KStored << KMovedTo;
        QTest::newRow("X11: toolbar") << TWindowKind::ToolBar << true << KStored << KMovedTo;
        QTest::newRow("Wayland: stored note") << TWindowKind::StoredNote << false << KStored << KStored;
        QTest::newRow("Wayland: new note") << TWindowKind::NewNote << false << KNoPlace << KNoPlace;
        QTest::newRow("Wayland: list") << TWindowKind::List << false << KStored << KStored;
        QTest::newRow("Wayland: toolbar") << TWindowKind::ToolBar << false << KStored << KStored;
    }

    void storedPlacesFollowOnlyKnownPlaces()
    {
        QFETCH(TWindowKind, kind);
        QFETCH(bool, known);
        QFETCH(QPoint, settled);
        QFETCH(QPoint, moved);
        SetWindowPlacesKnownFunction([known] { return known; });
        QPoint afterSettle, afterMove;
        OpenAndMove(kind, afterSettle, afterMove);
        if (QTest::currentTestFailed())
            return;
        if (settled != QPoint(-1, -1))
            QCOMPARE(afterSettle, settled);
        else
            QVERIFY(afterSettle != KNoPlace);
        QCOMPARE(afterMove, moved);
    }

    void theRuleOfThePlatforms_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<bool>("known");
        QTest::newRow("xcb") << "xcb" << true;
        QTest::newRow("offscreen") << "offscreen" << true;
        QTest::newRow("wayland") << "wayland" << false;
        QTest::newRow("wayland-egl") << "wayland-egl" << false;
        QTest::newRow("Wayland, any case") << "Wayland" << false;
    }

    void theRuleOfThePlatforms()
    {
        QFETCH(QString, platform);
        QFETCH(bool, known);
        QCOMPARE(PlacesKnownOn(platform), known);
    }

    void theProgramStartsOnXwaylandWherePossible_data()
    {
        // QT_QPA_PLATFORM, XDG_SESSION_TYPE, WAYLAND_DISPLAY, DISPLAY in;
        // the platform asked for out (empty: Qt's own choice).
        QTest::addColumn<QString>("qtPlatform");
        QTest::addColumn<QString>("session");
        QTest::addColumn<QString>("wayland");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("chosen");
        const QString xwayland = QStringLiteral("xcb;wayland");
        QTest::newRow("X11 session") << ""
                                     << "x11"
                                     << ""
                                     << ":0"
                                     << "";
        QTest::newRow("Wayland session with Xwayland") << ""
                                                       << "wayland"
                                                       << "wayland-0"
                                                       << ":0" << xwayland;
        QTest::newRow("Wayland socket, no session type") << ""
                                                         << ""
                                                         << "wayland-0"
                                                         << ":1" << xwayland;
        QTest::newRow("session type only") << ""
                                           << "Wayland"
                                           << ""
                                           << ":0" << xwayland;
        QTest::newRow("Wayland session, no X display") << ""
                                                       << "wayland"
                                                       << "wayland-0"
                                                       << ""
                                                       << "";
        QTest::newRow("blank X display") << ""
                                         << "wayland"
                                         << "wayland-0"
                                         << "  "
                                         << "";
        QTest::newRow("the user asked for Wayland") << "wayland"
                                                    << "wayland"
                                                    << "wayland-0"
                                                    << ":0"
                                                    << "";
        QTest::newRow("the user asked for xcb") << "xcb"
                                                << "wayland"
                                                << "wayland-0"
                                                << ":0"
                                                << "";
        QTest::newRow("tty, nothing") << ""
                                      << "tty"
                                      << ""
                                      << ""
                                      << "";
    }

    void theProgramStartsOnXwaylandWherePossible()
    {
        QFETCH(QString, qtPlatform);
        QFETCH(QString, session);
        QFETCH(QString, wayland);
        QFETCH(QString, display);
        QFETCH(QString, chosen);
        QCOMPARE(ChosenDisplayPlatform({qtPlatform, session, wayland, display}), chosen);
    }

    // X11 painting without shared memory is for this process's own start:
    // set while the application is made, gone after, and a value the user
    // gave is left as it was.
    void paintingWithoutSharedMemoryIsForTheStartAlone()
    {
        const QByteArray saved = qgetenv("QT_XCB_NO_MITSHM");
        const bool wasSet = qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM");
        for (const char *given : {static_cast<const char *>(nullptr), "0"}) {
            if (given)
                qputenv("QT_XCB_NO_MITSHM", given);
            else
                qunsetenv("QT_XCB_NO_MITSHM");
            {
                TChosenDisplayPlatform chosen;
                QCOMPARE(qgetenv("QT_XCB_NO_MITSHM"), QByteArray(given ? given : "1"));
            }
            QCOMPARE(qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"), given != nullptr);
        }
        if (wasSet)
            qputenv("QT_XCB_NO_MITSHM", saved);
        else
            qunsetenv("QT_XCB_NO_MITSHM");
    }
};

QTEST_MAIN(TestWindowPlaces)
#include "tst_windowplaces.moc"
