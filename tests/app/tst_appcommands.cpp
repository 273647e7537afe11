// The main window's commands with the real windows they act on: the tray
// menu, the show/hide commands and their captions, the options command with
// its restart question, help, and the keys every window hands on.

#include "app/TAlertNotices.h"
#include "app/TFormMain.h"
#include "base/Clock.h"
#include "base/DateTime.h"
#include "controls/TZELBlinkImage.h"
#include "dialogs/TFormAbout.h"
#include "dialogs/TFormOptions.h"
#include "dialogs/TFormTip.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "notes/NoteWindows.h"
#include "notes/TFormNote.h"
#include "notes/TNoteMenu.h"
#include "platform/Fonts.h"
#include "platform/SessionEnd.h"
#include "platform/TTrayIcon.h"
#include "settings/TUserInfo.h"
#include "support/FindChild.h"
#include "support/ShellFixture.h"
#include "support/TestSkins.h"
#include "tasklist/TFormTaskList.h"
#include "toolbar/TFormToolBar.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <memory>

namespace {
const QDateTime Monday10(QDate(2026, 12, 7), QTime(10, 0));

QStringList Captions(const QMenu &menu)
{
    QStringList captions;
    for (const QAction *action : menu.actions())
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return captions;
}
} // namespace

class TestAppCommands : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TScriptedDialogs> FDialogs;
    std::unique_ptr<TRecordedShell> FShell;
    // The program's windows in the order of their making, as at start-up.
    std::unique_ptr<TFormMain> FMain;
    std::unique_ptr<TFormTaskList> FList;
    std::unique_ptr<TFormOptions> FOptions;
    std::unique_ptr<TFormAbout> FAbout;
    std::unique_ptr<TFormTip> FTip;
    std::unique_ptr<TFormToolBar> FToolBar;

    void Start(bool tray = true)
    {
        FMain = std::make_unique<TFormMain>();
        FMain->SetTrayAvailable(tray);
        FMain->FormCreate();
        FList = std::make_unique<TFormTaskList>(FMain->ReminderEngine());
        FMain->SetTaskList(FList.get());
        FOptions = std::make_unique<TFormOptions>();
        FAbout = std::make_unique<TFormAbout>();
        FTip = std::make_unique<TFormTip>();
        FMain->SetDialogs(FOptions.get(), FAbout.get(), FTip.get());
        FToolBar = std::make_unique<TFormToolBar>(FList.get());
        FMain->SetToolBar(FToolBar.get());
        FToolBar->FormCreate();
        FMain->FormShow();
    }

    // A command of the main window, by its design name.
    QAction *MainAction(const char *name) const { return Child<QAction>(*FMain, name); }

    // Runs the options command; `inDialog` acts on the open dialog, which
    // is then left with OK or Cancel.
    // A control of the options dialog, by its name.
    template <typename T> T *OptionsControl(const char *name) const
    {
        T *control = FOptions->findChild<T *>(QLatin1String(name));
        if (!control)
            qFatal("the options dialog has no %s", name);
        return control;
    }
    void FlipStayOnTop() const
    {
        auto *box = OptionsControl<QCheckBox>("CBStayOnTop");
        box->setChecked(!box->isChecked());
    }

    void RunOptions(bool ok, const std::function<void()> &inDialog = {})
    {
        QTimer::singleShot(0, FOptions.get(), [this, ok, inDialog] {
            QVERIFY(FOptions->isVisible());
            if (inDialog)
                inDialog();
            OptionsControl<QPushButton>(ok ? "BtnOK" : "BtnCancel")->click();
        });
        MainAction("ActionOptions")->trigger();
        QVERIFY(!FOptions->isVisible());
    }

private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void init()
    {
        FDir = std::make_unique<QTemporaryDir>();
        TClock::Set(Monday10);
        CreateGlobals(FDir->path() + u'/');
        InstallShippedSkin(FDir->path());
        UserInfo().ShowTips = false;
        FDialogs = std::make_unique<TScriptedDialogs>();
        FShell = std::make_unique<TRecordedShell>();
    }

    void cleanup()
    {
        TFormNote::DestroyAll();
        SetNoteCreator({});
        FToolBar.reset();
        FTip.reset();
        FAbout.reset();
        FOptions.reset();
        FList.reset();
        FMain.reset();
        FShell.reset();
        FDialogs.reset();
        DestroyGlobals();
        TClock::Reset();
        FDir.reset();
    }

    void trayMenuOffersTheCommandsInOrder()
    {
        Start();
        QCOMPARE(Captions(*TopLevel<QMenu>("PMTray")),
                 (QStringList{"New &Note", "-", "Show &List", "Hide Toolbar", "-", "&Options...",
                              "&About Jotterbox...", "E&xit"}));
        QCOMPARE(TopLevel<QMenu>("PMTray")->defaultAction(), MainAction("ActionShowList"));
        QCOMPARE(MainAction("NewNote1")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+N")));
        QCOMPARE(MainAction("ActionShowList")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+L")));
        QCOMPARE(MainAction("ActionHelp")->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(MainAction("ActionHelp")->text(), QStringLiteral("Jotterbox &Help"));

        // New Note reaches the list's command: an untouched note is made.
        QSignalSpy asked(FMain.get(), &TFormMain::NewNoteRequested);
        MainAction("NewNote1")->trigger();
        QCOMPARE(asked.size(), 1);
    }

    // A session with no tray: the toolbar is up whatever the setting says,
    // offers no way to hide it, and reaches About and Exit.
    void withoutATrayTheToolbarStandsInForIt()
    {
        UserInfo().ShowToolBar = false;
        Start(false);
        QVERIFY(FToolBar->isVisible());
        QVERIFY(!MainAction("ActionShowToolbar")->isVisible());
        MainAction("ActionShowToolbar")->trigger();
        QVERIFY(FToolBar->isVisible());
        FToolBar->PopupMenu1Popup();
        const QList<QAction *> items = FToolBar->PopupMenu1->actions();
        QVERIFY(items.contains(MainAction("ActionAbout")));
        QVERIFY(items.contains(MainAction("Exit1")));
        QVERIFY(!items.contains(FToolBar->HideToolbar1));
        QVERIFY(!items.contains(MainAction("ActionShowToolbar")));

        QSignalSpy closed(FMain.get(), &TFormMain::Closed);
        items.last()->trigger();
        QCOMPARE(closed.size(), 1);
        QVERIFY(!UserInfo().ShowToolBar);
    }

    // A tray that comes after the start (autostart at login) or goes while
    // the program runs: the toolbar stops standing in for it, or starts, and
    // a running alert moves across; the user's ShowToolBar is kept.
    void trayThatComesAndGoesIsFollowed_data()
    {
        QTest::addColumn<bool>("trayAtStart");
        QTest::addColumn<bool>("showToolBar");
        QTest::newRow("tray comes, toolbar was hidden by the user") << false << false;
        QTest::newRow("tray comes, toolbar wanted") << false << true;
        QTest::newRow("tray goes while the toolbar is hidden") << true << false;
    }
    void trayThatComesAndGoesIsFollowed()
    {
        QFETCH(bool, trayAtStart);
        QFETCH(bool, showToolBar);
        UserInfo().ShowToolBar = showToolBar;
        Start(trayAtStart);
        auto *tray = Child<TTrayIcon>(*FMain, "CoolTrayIcon1");
        FMain->StartTrayAlert();
        QCOMPARE(FToolBar->Alerting(), !trayAtStart);
        QCOMPARE(tray->CycleIcons(), trayAtStart);

        const bool tray2 = !trayAtStart;
        FMain->TrayAvailabilityChanged(tray2);
        QCOMPARE(FToolBar->isVisible(), !tray2 || showToolBar);
        QCOMPARE(MainAction("ActionShowToolbar")->isVisible(), tray2);
        FToolBar->PopupMenu1Popup();
        const QList<QAction *> items = FToolBar->PopupMenu1->actions();
        QCOMPARE(items.contains(MainAction("Exit1")), !tray2);
        QCOMPARE(items.contains(FToolBar->HideToolbar1), tray2);
        // The alert is where the user can see it, with its menu-less icon.
        QCOMPARE(FToolBar->Alerting(), !tray2);
        QCOMPARE(tray->CycleIcons(), tray2);
        QCOMPARE(tray->PopupMenu() == nullptr, tray2);
        QCOMPARE(UserInfo().ShowToolBar, showToolBar);
    }

    // A notification answered after the note's own menu answered the alert
    // changes nothing; the answers otherwise do what the blink menu does.
    void notificationAnswersActAsTheBlinkMenu_data()
    {
        QTest::addColumn<bool>("alerting");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<double>("reminder");
        const TDateTime now = QDateTimeToDateTime(Monday10);
        QTest::newRow("acknowledged") << true << TAlertNotices::Acknowledge() << true << 0.0;
        QTest::newRow("snoozed") << true << TAlertNotices::Snooze() << true << now + 5.0 / 1440;
        QTest::newRow("answered in the note already") << false << TAlertNotices::Snooze() << false << 0.0;
        QTest::newRow("an action not of ours") << true << QStringLiteral("inline-reply") << false << 0.0;
    }
    void notificationAnswersActAsTheBlinkMenu()
    {
        QFETCH(bool, alerting);
        QFETCH(QString, action);
        QFETCH(bool, answered);
        QFETCH(double, reminder);
        TTask task(UserInfo());
        task.Alerting = alerting;
        task.ReminderTime = 0;
        QCOMPARE(AnswerAlert(task, action, QDateTimeToDateTime(Monday10)), answered);
        QCOMPARE(task.Alerting, alerting && !answered);
        QCOMPARE(task.ReminderTime, reminder);
    }

    void showCommandsToggleAndTheirCaptionsFollowTheScreen()
    {
        Start();
        // The list shrunk to its title bar when it was closed comes back whole.
        UserInfo().V_Expanded = false;
        MainAction("ActionShowList")->trigger();
        QVERIFY(FList->isVisible());
        QVERIFY(UserInfo().V_Expanded);
        QTRY_VERIFY(FList->IsReady());
        QCOMPARE(MainAction("ActionShowList")->text(), QStringLiteral("Hide &List"));
        MainAction("ActionShowList")->trigger();
        QVERIFY(!FList->isVisible());
        QCOMPARE(MainAction("ActionShowList")->text(), QStringLiteral("Show &List"));

        // The main window's toggle hides the toolbar without its close: it
        // is back at the next start.
        QVERIFY(FToolBar->isVisible());
        MainAction("ActionShowToolbar")->trigger();
        QVERIFY(!FToolBar->isVisible());
        QVERIFY(UserInfo().ShowToolBar);
        QCOMPARE(MainAction("ActionShowToolbar")->text(), QStringLiteral("Show Toolbar"));
        MainAction("ActionShowToolbar")->trigger();
        QVERIFY(FToolBar->isVisible());
        QCOMPARE(MainAction("ActionShowToolbar")->text(), QStringLiteral("Hide Toolbar"));
        // Its own "Hide Toolbar" closes it for good, and the caption follows.
        FToolBar->HideToolbar1Click();
        QVERIFY(!UserInfo().ShowToolBar);
        QCOMPARE(MainAction("ActionShowToolbar")->text(), QStringLiteral("Show Toolbar"));
    }

    void toolBarsListPictureOpensTheListRightBelowIt()
    {
        UserInfo().ToolBarLeft = 300;
        UserInfo().ToolBarTop = 200;
        Start();
        FToolBar->Image3Click();
        QVERIFY(FList->isVisible());
        QCOMPARE(FList->pos(), QPoint(300, 226));
        FToolBar->Image3Click();
        QVERIFY(!FList->isVisible());
    }

    void tipShowsAtStartOnlyWhenWanted()
    {
        UserInfo().ShowTips = true;
        Start();
        QTRY_VERIFY(FTip->isVisible());
        FTip->close();
        cleanup();
        init();
        Start();
        QCoreApplication::processEvents(); // the pass in which it would have shown
        QVERIFY(!FTip->isVisible());
    }

    void optionsOkAppliesTheDueDateColumnAndRebuildsAtOnce()
    {
        Start();
        UserInfo().Column5Width = 95;
        UserInfo().ViewIcon = true; // as an edited settings file may say
        RunOptions(true);
        QVERIFY(Child<QWidget>(*FList, "PanelLV2Top")->isVisibleTo(FList.get()));
        QVERIFY(!StayOnTopChanged);
        QVERIFY(FDialogs->Questions.isEmpty());
        QCOMPARE(UserInfo().Column5Width, 70);
        QVERIFY(Child<QTimer>(*FList, "TimerUpdateListView")->isActive());
        QCOMPARE(Child<QTimer>(*FList, "TimerUpdateListView")->interval(), 10);
        QVERIFY(FDialogs->Errors.isEmpty());
    }

    void cancelledOptionsStillReloadTheSkinAndChangeNothingElse()
    {
        Start();
        UserInfo().Column5Width = 95;
        UserInfo().SkinDirectoryName = QStringLiteral("gone");
        RunOptions(false);
        QCOMPARE(UserInfo().Column5Width, 95);
        QVERIFY(!Child<QTimer>(*FList, "TimerUpdateListView")->isActive());
        // The reload looked for the skin named in the settings: the title's
        // pictures, then the frame's.
        QCOMPARE(FDialogs->Errors.size(), 2);
        for (const QString &error : FDialogs->Errors)
            QVERIFY2(error.contains(QStringLiteral("/gone/")), qPrintable(error));
    }

    void endWhileOptionsAreOpenAddsNoMoreBoxes()
    {
        Start();
        UserInfo().SkinDirectoryName = QStringLiteral("gone");
        QSignalSpy closed(FMain.get(), &TFormMain::Closed);
        RunOptions(false, [this] { MainAction("Exit1")->trigger(); });
        QCOMPARE(closed.size(), 1);
        QVERIFY(FDialogs->Errors.isEmpty());
    }

    void changedStayOnTopOffersARestart()
    {
        const QString question =
            QStringLiteral("Confirmation|You have changed the setting of \"Stay on top of all windows\" for "
                           "Jotterbox. This will not take effect until you restart the program. Would you "
                           "like to restart Jotterbox now?");
        Start();
        QSignalSpy closed(FMain.get(), &TFormMain::Closed);
        const bool before = UserInfo().StayOnTop;
        auto flip = [this] { FlipStayOnTop(); };

        // No: the program goes on; the new value waits for the next start.
        RunOptions(true, flip);
        QVERIFY(StayOnTopChanged);
        QCOMPARE(FDialogs->Questions, QStringList{question});
        QCOMPARE(UserInfo().StayOnTop, !before);
        QVERIFY(FShell->Started.isEmpty());
        QCOMPARE(closed.size(), 0);
        QVERIFY(!FMain->CanExit());

        // Yes: the restarter is started and the program ends.
        FDialogs->Answers = {true};
        RunOptions(true, flip);
        QCOMPARE(FShell->Started, QStringList{AppDir + QStringLiteral("startjbx")});
        QVERIFY(FMain->CanExit());
        QCOMPARE(closed.size(), 1);

        // Even when the restarter cannot start, the program ends as asked.
        cleanup();
        init();
        Start();
        FShell->StartSucceeds = false;
        FDialogs->Answers = {true};
        QSignalSpy closedAgain(FMain.get(), &TFormMain::Closed);
        RunOptions(true, [this] { FlipStayOnTop(); });
        QCOMPARE(closedAgain.size(), 1);
    }

    // The ways the program itself ends its loop. With notes on the desktop
    // (one blinking, one new and untouched), the list and the toolbar up,
    // none of them is closed as if by the user: they stay as they are for
    // their destruction, so the next start shows them again.
    void endLeavesEveryWindowForTheNextStart_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("tray Exit") << 0;
        QTest::newRow("restart for stay on top") << 1;
        QTest::newRow("end of the session") << 2;
        QTest::newRow("--exit") << 3;
    }

    void endLeavesEveryWindowForTheNextStart()
    {
        QFETCH(int, way);
        UserInfo().Showing = true;
        UserInfo().ShowToolBar = true;
        Start();
        // The end as the program has it.
        TSessionEnd sessionEnd;
        connect(FMain.get(), &TFormMain::Closed, qApp, &QCoreApplication::quit);
        TCountedSound sound;
        TFormNote::InstallCreator();
        TTask *blinking = TaskList().AddNewTask();
        blinking->Text = "Call the dentist";
        blinking->Alerting = true;
        CreateNoteWindow(blinking);
        TTask *fresh = TaskList().AddNewTask();
        CreateNoteWindow(fresh);
        QCOMPARE(TFormNote::OpenNotes().size(), 2);
        QVERIFY(Child<TZELBlinkImage>(*TFormNote::OpenNotes()[0], "ImageTaskInfo")->Blink());
        QVERIFY(FList->isVisible());
        QVERIFY(FToolBar->isVisible());

        QTimer::singleShot(0, FMain.get(), [this, way] {
            if (way == 0) {
                MainAction("Exit1")->trigger();
            } else if (way == 1) {
                FDialogs->Answers = {true};
                RunOptions(true, [this] { FlipStayOnTop(); });
            } else if (way == 3) {
                FMain->RunCommand(QStringLiteral("exit"));
            } else if (FMain->WMQueryEndSession()) {
                FMain->Close();
            }
        });
        QCOMPARE(QApplication::exec(), 0);

        QCOMPARE(TaskList().Count(), 2);
        QVERIFY(blinking->NoteOpen);
        QVERIFY(fresh->NoteOpen);
        QCOMPARE(TFormNote::OpenNotes().size(), 2);
        QVERIFY(UserInfo().Showing);
        QVERIFY(UserInfo().ShowToolBar);
        QVERIFY(sound.Played.isEmpty());
        QVERIFY(!Child<TTrayIcon>(*FMain, "CoolTrayIcon1")->CycleIcons());
    }

    // What later starts send (Jotterbox --new-note ...) runs the commands
    // of the hot keys and the tray menu.
    void commandLineCommandsRunAsTheirKeysAndMenus()
    {
        Start();
        TFormNote::InstallCreator();
        QSignalSpy notes(FMain.get(), &TFormMain::NewNoteRequested);
        FMain->RunCommand(QStringLiteral("new-note"));
        QCOMPARE(notes.size(), 1);
        QCOMPARE(TFormNote::OpenNotes().size(), 1);

        // --show-list never hides; --toggle-list does both.
        for (const bool shown : {true, true}) {
            FMain->RunCommand(QStringLiteral("show-list"));
            QTRY_VERIFY(FList->IsReady());
            QCOMPARE(FList->isVisible(), shown);
        }
        FMain->RunCommand(QStringLiteral("toggle-list"));
        QVERIFY(!FList->isVisible());
        FMain->RunCommand(QStringLiteral("toggle-list"));
        QVERIFY(FList->isVisible());

        // Asked again while they are open, the options stay the one dialog
        // (not a second run of it, which Qt refuses with a warning).
        QTest::failOnWarning(QRegularExpression(QStringLiteral("Recursive call")));
        QSignalSpy closed(FMain.get(), &TFormMain::Closed);
        QTimer::singleShot(0, FOptions.get(), [this] {
            QVERIFY(FOptions->isVisible());
            FMain->RunCommand(QStringLiteral("options"));
            QVERIFY(FOptions->isVisible());
            FMain->RunCommand(QStringLiteral("no-such-command"));
            OptionsControl<QPushButton>("BtnCancel")->click();
        });
        FMain->RunCommand(QStringLiteral("options"));
        QVERIFY(!FOptions->isVisible());
        QCOMPARE(notes.size(), 1);
        QCOMPARE(closed.size(), 0);

        FMain->RunCommand(QStringLiteral("exit"));
        QVERIFY(FMain->CanExit());
        QCOMPARE(closed.size(), 1);
    }

    void helpOpensTheManualFromEveryPlaceThatOffersIt()
    {
        Start();
        // Missing: said so, nothing opened.
        MainAction("ActionHelp")->trigger();
        QCOMPARE(FDialogs->Errors.size(), 1);
        QVERIFY(FDialogs->Errors[0].contains(QStringLiteral("Jotterbox.html")));
        QVERIFY(FShell->Opened.isEmpty());

        QFile manual(FMain->HelpFile());
        QVERIFY(manual.open(QIODevice::WriteOnly));
        manual.close();
        emit FList->HelpRequested();
        emit FOptions->HelpRequested();
        emit FAbout->HelpRequested();
        QCOMPARE(FShell->Opened, QStringList(3, FMain->HelpFile()));
        QCOMPARE(FMain->HelpFile(), AppDir + QStringLiteral("Jotterbox.html"));

        // No program to show it: said so.
        FShell->OpenSucceeds = false;
        MainAction("ActionHelp")->trigger();
        QCOMPARE(FDialogs->Errors.size(), 2);
    }

    // Help asked from the options opens the manual at the part about the
    // page in front, not at its top.
    void helpFromTheOptionsOpensItsPart_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("anchor");
        QTest::newRow("general") << "TSGeneral"
                                 << "options";
        QTest::newRow("sync") << "TSSync"
                              << "sync";
    }
    void helpFromTheOptionsOpensItsPart()
    {
        QFETCH(QString, page);
        QFETCH(QString, anchor);
        QFile manual(AppDir + QStringLiteral("Jotterbox.html"));
        QVERIFY(manual.open(QIODevice::WriteOnly));
        manual.close();
        Start();
        RunOptions(false, [&] {
            auto *pages = OptionsControl<QTabWidget>("PageControl1");
            pages->setCurrentWidget(OptionsControl<QWidget>(page.toLatin1().constData()));
            OptionsControl<QPushButton>("BtnHelp")->click();
        });
        QCOMPARE(FShell->Opened.size(), 1);
        QUrl expected = QUrl::fromLocalFile(FMain->HelpFile());
        expected.setFragment(anchor);
        QCOMPARE(FShell->Opened.first(), expected.toString());
    }

    void keysAWindowLeavesUnusedReachTheCommands()
    {
        QFile manual(AppDir + QStringLiteral("Jotterbox.html"));
        QVERIFY(manual.open(QIODevice::WriteOnly));
        manual.close();
        Start();
        MainAction("ActionShowList")->trigger();
        QTRY_VERIFY(FList->IsReady());

        // F1 in the list's search box, which has no use for it.
        QTest::keyClick(FList->SearchBox(), Qt::Key_F1);
        QCOMPARE(FShell->Opened.size(), 1);
        // Ctrl+Alt+L in the toolbar hides the list, and again shows it.
        QTest::keyClick(FToolBar.get(), Qt::Key_L, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(!FList->isVisible());
        QTest::keyClick(FToolBar.get(), Qt::Key_L, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(FList->isVisible());
        // A key the program has no command for goes nowhere.
        QTest::keyClick(FToolBar.get(), Qt::Key_F2);
        QCOMPARE(FShell->Opened.size(), 1);
        // A held key acts once.
        QTest::keyPress(FToolBar.get(), Qt::Key_F1);
        QKeyEvent repeated(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(FToolBar.get(), &repeated);
        QTest::keyRelease(FToolBar.get(), Qt::Key_F1);
        QCOMPARE(FShell->Opened.size(), 2);

        // Behind a modal dialog only help is within reach.
        QTimer::singleShot(0, FOptions.get(), [this] {
            QTest::keyClick(FOptions.get(), Qt::Key_L, Qt::ControlModifier | Qt::AltModifier);
            QTest::keyClick(FOptions.get(), Qt::Key_F1);
            OptionsControl<QPushButton>("BtnCancel")->click();
        });
        MainAction("ActionOptions")->trigger();
        QVERIFY(FList->isVisible());
        QCOMPARE(FShell->Opened.size(), 3);

        // With a menu open, the keys are the menu's (a menu that shows one of
        // the commands runs it by its own shortcut, as any menu does).
        QMenu menu;
        menu.addAction(QStringLiteral("Elsewhere"));
        QTimer::singleShot(0, &menu, [&menu] {
            QTest::keyClick(&menu, Qt::Key_L, Qt::ControlModifier | Qt::AltModifier);
            QTest::keyClick(&menu, Qt::Key_F1);
            menu.close();
        });
        menu.exec(QPoint(10, 10));
        QVERIFY(FList->isVisible());
        QCOMPARE(FShell->Opened.size(), 3);
    }

    // Each window's menu offers the commands of the others that it was
    // handed as the program put the windows together, and notes opened
    // elsewhere start the list's rebuild, leaving one on its way as it is.
    void windowsOfferTheCommandsHandedToThem()
    {
        Start();
        TFormNote::InstallCreator(FMain->Commands());
        QContextMenuEvent press(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
        QApplication::sendEvent(FList.get(), &press);
        auto *listMenu = Child<QMenu>(*FList, "PopupMenu1");
        QCOMPARE(Captions(*listMenu),
                 (QStringList{"New &Note", "&Open Selected Note", "&Delete Selected Note", "-", "&View", "-",
                              "Show &List", "Hide Toolbar", "-", "Print List...", "Export List...", "-",
                              "&Options..."}));
        listMenu->close();
        FToolBar->PopupMenu1Popup();
        QCOMPARE(Captions(*FToolBar->PopupMenu1),
                 (QStringList{"New &Note", "-", "Show &List", "Hide Toolbar", "-", "&Options..."}));

        FMain->RunCommand(QStringLiteral("new-note"));
        QCOMPARE(TFormNote::OpenNotes().size(), 1);
        auto *noteMenu = Child<TNoteMenu>(*TFormNote::OpenNotes()[0], "Menu");
        noteMenu->PMSysMenuPopup();
        const QStringList noteCaptions = Captions(*noteMenu->PMSysMenu);
        QCOMPARE(noteCaptions.first(), QStringLiteral("New &Note"));
        QCOMPARE(noteCaptions.mid(noteCaptions.size() - 4),
                 (QStringList{"Show &List", "Hide Toolbar", "-", "&Options..."}));

        auto *rebuild = Child<QTimer>(*FList, "TimerUpdateListView");
        rebuild->stop();
        emit FMain->TasksChanged();
        QVERIFY(rebuild->isActive());
        FList->SearchBox()->setText(QStringLiteral("call"));
        emit FMain->TasksChanged();
        QCOMPARE(rebuild->interval(), 300); // still the search's own countdown
    }
};

QTEST_MAIN(TestAppCommands)
#include "tst_appcommands.moc"
