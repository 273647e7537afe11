#include "app/TFormMain.h"

#include "app/TAlertNotices.h"
#include "app/TSyncRunner.h"
#include "app/TrayPictures.h"
#include "base/Clock.h"
#include "base/EventLog.h"
#include "dialogs/TFormAbout.h"
#include "dialogs/TFormTip.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "model/UnitGlobalProc.h"
#include "notes/NoteEvents.h"
#include "notes/ReminderEngine.h"
#include "platform/Dialogs.h"
#include "platform/GnomeShortcuts.h"
#include "platform/Sound.h"
#include "platform/THotKeys.h"
#include "platform/TKeyring.h"
#include "platform/TTrayIcon.h"
#include "platform/TWallClockTimer.h"
#include "settings/TUserInfo.h"
#include "tasklist/TFormTaskList.h"
#include "toolbar/TFormToolBar.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {
constexpr int DefaultSaveInterval = 60000;
// How often the tray's coming and going is looked for: Qt tells of neither.
constexpr int TrayWatchInterval = 2000;

// A save a minute. Tests of what a save survives set a shorter one, so they
// need not wait a minute for every tick.
int SaveInterval()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("JBX_SAVE_INTERVAL_MS", &ok);
    return ok && ms > 0 ? ms : DefaultSaveInterval;
}
} // namespace

TFormMain::TFormMain(QObject *parent)
    : QObject(parent), CoolTrayIcon1(new TTrayIcon(this)), PMTray(new QMenu),
      Reminders(new TReminderEngine(TaskList(), this)),
      Sync(new TSyncRunner(AppDir + QStringLiteral("Jotterbox.dat"), this)), Keyring(new TKeyring(this)),
      TimerSave(new QTimer(this)), TimerBackup(new TWallClockTimer(this)), HotKeys(new THotKeys(this)),
      Notices(new TAlertNotices(TaskList(), this)), TimerTrayWatch(new QTimer(this)),
      FStore(std::make_unique<TDataStore>(AppDir + QStringLiteral("Jotterbox.dat"), TaskList(), DataModified,
                                          &UserInfo()))
{
    CoolTrayIcon1->setObjectName(QStringLiteral("CoolTrayIcon1"));
    TimerSave->setObjectName(QStringLiteral("TimerSave"));
    TimerBackup->setObjectName(QStringLiteral("TimerBackup"));
    TimerSave->setInterval(SaveInterval());
    TimerSave->setSingleShot(true);
    connect(TimerSave, &QTimer::timeout, this, [this] { TimerSaveTimer(); });
    // The first change starts the minute; later ones ride along with it.
    FModifiedWatch = DataModified.Watch([this] {
        if (!TimerSave->isActive() && FStore->State() != TDataStore::TState::Ended)
            TimerSave->start();
    });
    connect(TimerBackup, &TWallClockTimer::Due, this, [this] { TimerSaveTimer(); });

    BuildCommands();
    BuildTrayMenu();

    CoolTrayIcon1->SetHint(tr("Jotterbox"));
    CoolTrayIcon1->SetCycleInterval(500);
    CoolTrayIcon1->SetPopupMenu(PMTray);
    connect(CoolTrayIcon1, &TTrayIcon::DblClick, this, &TFormMain::CoolTrayIcon1DblClick);

    connect(Reminders, &TReminderEngine::AlertSoundDue, this, &TFormMain::PlayAlertSound);
    connect(Reminders, &TReminderEngine::TrayAlertDue, this, [this] { AlertUnseen(true); });
    connect(Notices, &TAlertNotices::NotShown, this, [this] {
        if (!TrayAvailable && FOpenIfNotShown)
            OpenWaitingNotes();
    });
    // Standing in for the tray, the toolbar stops blinking once nothing
    // waits; the tray's icon cycles on until its double-click, as it always did.
    connect(Notices, &TAlertNotices::Answered, this, [this] {
        auto *toolBar = qobject_cast<TFormToolBar *>(FToolBar.data());
        if (!TrayAvailable && toolBar && !Notices->Waiting())
            toolBar->SetAlert(false);
    });
    TimerTrayWatch->setObjectName(QStringLiteral("TimerTrayWatch"));
    TimerTrayWatch->setInterval(TrayWatchInterval);
    connect(TimerTrayWatch, &QTimer::timeout, this, &TFormMain::TimerTrayWatchTimer);
    connect(HotKeys, &THotKeys::Pressed, this, &TFormMain::WMHotKey);

    // An alert dismissed by closing its note comes back in the tray.
    connect(&TNoteEvents::Instance(), &TNoteEvents::AlertLeftUnseen, this, [this] {
        AlertUnseen(false);
        PlayAlertSound();
    });
    connect(this, &TFormMain::EndSession, &TNoteEvents::Instance(), &TNoteEvents::SessionEnding);

    Sync->SetPasswordSource(
        [this](const QString &url, const QString &user, TSyncRunner::TPasswordAnswer answer) {
            Keyring->Read(TKeyring::Key(user, url), this, std::move(answer));
        });
    connect(Sync, &TSyncRunner::TasksChanged, this, [this] {
        Reminders->ArmTimer1();
        emit TasksChanged();
    });
    connect(Sync, &TSyncRunner::DeletionsAsked, this, [this](int count) {
        if (Dialogs().YesNo(tr("Sync"),
                            tr("The server and this computer no longer agree on %1 tasks: the next "
                               "round would delete them. Delete them?")
                                .arg(count)))
            Sync->AllowManyDeletions();
    });
    connect(Sync, &TSyncRunner::Problem, this, [](const QString &message) {
        Dialogs().ErrorBoxUnasked(
            tr("Sync: %1\n\nJotterbox goes on with the tasks on this computer and tries "
               "again later.")
                .arg(message));
    });
}

TFormMain::~TFormMain()
{
    DataModified.Unwatch(FModifiedWatch);
    delete PMTray;
}

void TFormMain::FormCreate()
{
    FCanExit = false;
    // Our help is a page for the desktop's browser, beside the program.
    FHelpFile = AppDir + QString::fromLatin1(TFormAbout::ManualFileName);

    // A file read in part leaves no backup and no hot keys, and its notes
    // closed while the user deals with the error; the reminders of the
    // tasks read still come, as at every start.
    FLoaded = LoadDataFile();
    // A folder that cannot be written is told now, not at the first change.
    const QString folderProblem = FStore->FolderProblem();
    if (!folderProblem.isEmpty()) {
        FToldFailure = folderProblem;
        Dialogs().ErrorBox(tr("%1\n\nUntil it can be written, your tasks are saved to a file of their own in "
                              "%2, named when the first change is saved.")
                               .arg(folderProblem, TDataStore::DefaultRecoveryFolders().value(0)));
    }
    if (FLoaded)
        ArmTimerBackup();
    const bool unseen = FLoaded ? ReopenNotes(TaskList()) : ForgetOpenNotes(TaskList());
    // Reminders that fell due while the program was not running fire at
    // the first pass of the loop.
    Reminders->ArmTimer1();
    if (unseen) {
        // Whether a tray is there is known once the notes are shown: the
        // rest of the alert follows then.
        FAlertAtStart = true;
        StartTrayAlert();
        PlayAlertSound();
    }
}

bool TFormMain::LoadDataFile()
{
    const TLoadResult load = FStore->Load();
    const TReadResult &read = load.Read;
    if (read.Complete())
        return true;
    QString problem;
    if (read.Failed())
        problem = read.Error;
    else
        problem = tr("The data file holds %1 bytes after the %2 tasks it says it holds.")
                      .arg(read.BytesAfter)
                      .arg(TaskList().Count());
    if (!load.KeptAs.isEmpty())
        problem += tr("\n\nThe data file could not be read completely. It was kept "
                      "unchanged as %1.")
                       .arg(load.KeptAs);
    else
        problem += tr("\n\nThe data file could not be read completely, and it could "
                      "not be kept aside (%1), so it will not be saved over. The tasks of "
                      "this session are saved to %2.")
                       .arg(load.KeepError, load.SavedTo);
    Dialogs().ErrorBox(problem);
    return !read.Failed();
}

void TFormMain::FormShow()
{
    // No taskbar button to hide: no window of the program has one. The
    // pictures are drawn only now: nobody sees them before.
    CoolTrayIcon1->SetIcons(TrayPictures());
    CoolTrayIcon1->SetVisible(true);
    // Offscreen (the tests' windows) there is no tray to come or go.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        TimerTrayWatch->start();
    if (FAlertAtStart) {
        FAlertAtStart = false;
        AlertUnseen(true);
    }
    if (FLoaded) {
        RegisterHotKeys();
        Sync->Start();
    }
    // The tip is there to be read, not needed to start: it follows in the
    // next pass, once the tray and the hot keys are ready.
    if (UserInfo().ShowTips && FTip)
        QTimer::singleShot(0, FTip, [tip = FTip] {
            if (tip)
                tip->show();
        });
}

bool TFormMain::FormCloseQuery()
{
    WriteDebugLog(QStringLiteral("FormCloseQuery"));
    return FCanExit;
}

void TFormMain::Close()
{
    if (FormCloseQuery())
        emit Closed();
}

void TFormMain::Exit1Click()
{
    if (!MayEndWithoutSaving())
        return;
    FSessionEnding = false;
    FCanExit = true;
    Close();
}

bool TFormMain::MayEndWithoutSaving()
{
    if (!DataModified || FStore->State() == TDataStore::TState::Unloaded)
        return true;
    // Tried now, so the question comes while the program can still go on.
    const TSaveResult result = SaveData(TDataStore::TSaveKind::Changes);
    if (result.Ok)
        FToldFailure.clear();
    if (result.TasksKept())
        return true;
    // Said in the question: the final save need not say it again.
    FToldFailure = result.Error;
    return Dialogs().YesNo(
        tr("Confirmation"),
        tr("%1\n\nThe changes since the last save will be lost. End Jotterbox all the same?")
            .arg(result.Error));
}

bool TFormMain::WMQueryEndSession()
{
    WriteDebugLog(QStringLiteral("WMQueryEndSession"));
    TimerSave->stop();
    // The windows first, so the save writes the notes as open.
    emit EndSession();
    FCanExit = true;
    FSessionEnding = true;
    // Tasks kept in a recovery file are kept: only a save that found no
    // place at all may hold the session up.
    const bool saved = Save(TDataStore::TSaveKind::SessionEnd).TasksKept();
    // Refused: the session goes on, and closing a note means closing it again.
    if (!saved)
        emit TNoteEvents::Instance().SessionResumed();
    return saved;
}

void TFormMain::FormDestroy()
{
    WriteDebugLog(QStringLiteral("FormDestroy"));
    // Nothing may change the tasks behind the final save's back, even while
    // a box about it waits for the user.
    Reminders->Halt();
    FCanExit = true;
    // What the server holds goes into the final save; a slow server holds
    // up the end a few seconds at most.
    if (FStore->State() != TDataStore::TState::Unloaded)
        Sync->FinalRound(3000);
    const bool saved = Save(TDataStore::TSaveKind::Final).Ok;
    TimerSave->stop();
    TimerBackup->Stop();
    if (saved)
        UnregisterHotKeys();
}

bool TFormMain::TimerSaveTimer()
{
    return Save(FCanExit ? TDataStore::TSaveKind::Everything : TDataStore::TSaveKind::Changes).Ok;
}

TSaveResult TFormMain::Save(TDataStore::TSaveKind kind)
{
    WriteDebugLog(QStringLiteral("TimerSaveTimer"));
    TimerSave->stop();
    TimerBackup->Stop();
    // At the very end the box must be seen before the program goes, unless
    // the session or a signal ends it: that waits for no one (it would hold
    // up the logout, and the system's stop would kill it). Otherwise the box
    // stays up while the program runs on.
    const bool lastWord = kind == TDataStore::TSaveKind::Final && !FSessionEnding;
    const TSaveResult result = SaveData(kind);
    TellSaveFailure(result, lastWord);
    // After a failure the next minute tries again; otherwise the timer
    // waits for the next change.
    if (FStore->State() != TDataStore::TState::Ended && (!result.Ok || DataModified))
        TimerSave->start();
    ArmTimerBackup();
    return result;
}

void TFormMain::TellSaveFailure(const TSaveResult &result, bool wait)
{
    if (result.Ok) {
        FToldFailure.clear();
        return;
    }
    WriteDebugLog(result.Error);
    if (result.Error == FToldFailure)
        return;
    FToldFailure = result.Error;
    // A save that failed on its own (the minute's) must not take the
    // keyboard from a note being typed in.
    if (wait)
        Dialogs().ErrorBoxAndWait(result.Error);
    else
        Dialogs().ErrorBoxUnasked(result.Error);
}

void TFormMain::ArmTimerBackup()
{
    // A list read only in part makes no backup; at the end none is due.
    QDateTime due = FStore->BackupDue();
    // A last backup that lies ahead makes one due now, not on that day.
    if (FStore->BackupDueNow())
        due = TClock::Current();
    if (!due.isValid()) {
        TimerBackup->Stop();
        return;
    }
    // A day after the last one, and never sooner than a save's minute from
    // now: the first start makes its backup a minute in, a failed one is
    // tried again a minute later.
    const QDateTime soonest = TClock::Current().addMSecs(TimerSave->interval());
    TimerBackup->ArmAt(std::max(due, soonest));
}

void TFormMain::CoolTrayIcon1DblClick()
{
    if (!CoolTrayIcon1->CycleIcons()) {
        ActionShowList->trigger();
        return;
    }
    OpenWaitingNotes();
}

void TFormMain::OpenWaitingNotes()
{
    CoolTrayIcon1->SetCycleIcons(false);
    CoolTrayIcon1->SetIconIndex(0);
    CoolTrayIcon1->SetPopupMenu(PMTray);
    if (auto *toolBar = qobject_cast<TFormToolBar *>(FToolBar.data()))
        toolBar->SetAlert(false);
    // The notes tell of the alerts now.
    Notices->CloseAll();
    OpenAlertingNotes(TaskList());
    emit TasksChanged();
}

void TFormMain::WMHotKey(int id)
{
    if (id == 0)
        return;
    if (id == HotKeyNewNote) {
        qCInfo(lcJbxEvents, "hot key Ctrl+Alt+N");
        emit NewNoteRequested();
    } else if (id == HotKeyShowList) {
        qCInfo(lcJbxEvents, "hot key Ctrl+Alt+L");
        ActionShowList->trigger();
    }
}

void TFormMain::StartTrayAlert()
{
    qCInfo(lcJbxEvents, "tray alert");
    auto *toolBar = qobject_cast<TFormToolBar *>(FToolBar.data());
    if (!TrayAvailable && toolBar) {
        toolBar->SetAlert(true);
        return;
    }
    CoolTrayIcon1->SetCycleIcons(true);
    CoolTrayIcon1->SetPopupMenu(nullptr);
}

void TFormMain::AlertUnseen(bool fresh)
{
    StartTrayAlert();
    if (TrayAvailable && !UserInfo().NotifyWithTray)
        return;
    FOpenIfNotShown = fresh;
    if (Notices->Show()) {
        qCInfo(lcJbxEvents, "alert notification");
        return;
    }
    if (!TrayAvailable && fresh)
        OpenWaitingNotes();
}

void TFormMain::TimerTrayWatchTimer() { TrayAvailabilityChanged(QSystemTrayIcon::isSystemTrayAvailable()); }

void TFormMain::TrayAvailabilityChanged(bool available)
{
    if (available == TrayAvailable)
        return;
    qCInfo(lcJbxEvents, available ? "tray came" : "tray went");
    auto *toolBar = qobject_cast<TFormToolBar *>(FToolBar.data());
    // The alert, if one runs, moves to what now stands for the program.
    const bool alerting = CoolTrayIcon1->CycleIcons() || (toolBar && toolBar->Alerting());
    TrayAvailable = available;
    if (toolBar) {
        toolBar->SetAlert(false);
        StandToolBarInForTray(toolBar, true);
    }
    CoolTrayIcon1->SetCycleIcons(false);
    CoolTrayIcon1->SetIconIndex(0);
    CoolTrayIcon1->SetPopupMenu(PMTray);
    if (alerting)
        StartTrayAlert();
}

void TFormMain::PlayAlertSound()
{
    qCInfo(lcJbxEvents, "alert sound");
    PlaySoundAsync(UserInfo().SoundFileOrDefault(UserInfo().SoundFileName));
}

void TFormMain::RegisterHotKeys()
{
    if (!HotKeys->Available()) {
        const QString executable = AppDir + QStringLiteral("Jotterbox");
        QString line = QStringLiteral("Global hot keys unavailable: %1").arg(HotKeys->UnavailableReason());
        if (HotKeys->Route() != THotKeyRoute::X11)
            line += QStringLiteral("; ") + HotKeyCommandsHint(executable);
        WriteDebugLog(line);
        qCInfo(lcJbxEvents, "%s", qPrintable(line));
        if (HotKeys->Route() == THotKeyRoute::GnomeShortcuts)
            OfferGnomeShortcutsOnce(UserInfo(), executable);
        return;
    }
    // A combination another program holds is silently unavailable.
    const Qt::KeyboardModifiers ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
    HotKeyNewNote = 1;
    HotKeyShowList = 2;
    if (!HotKeys->Register(HotKeyNewNote, Qt::Key_N, ctrlAlt, QStringLiteral("New note")))
        WriteDebugLog(QStringLiteral("Ctrl+Alt+N is taken by another program"));
    if (!HotKeys->Register(HotKeyShowList, Qt::Key_L, ctrlAlt, QStringLiteral("Show or hide the list")))
        WriteDebugLog(QStringLiteral("Ctrl+Alt+L is taken by another program"));
}

void TFormMain::SaveBeforeAbruptEnd()
{
    // The windows' places and sizes are worth keeping too.
    if (FTaskList)
        FTaskList->StoreState();
    // Nobody is left to tell of a failure.
    SaveData(TDataStore::TSaveKind::AbruptEnd);
}

TSaveResult TFormMain::SaveData(TDataStore::TSaveKind kind)
{
    const TSaveResult result = FStore->Save(kind);
    // The sync state follows the data file to disk, never ahead of it:
    // whichever way the program ends, the next round starts from the two
    // as they were saved together.
    if (result.Ok && FStore->State() != TDataStore::TState::Unloaded)
        Sync->DataSaved();
    return result;
}

void TFormMain::UnregisterHotKeys()
{
    if (HotKeyNewNote == 0)
        return;
    HotKeys->UnregisterAll();
    HotKeyNewNote = 0;
    HotKeyShowList = 0;
}
