#include "app/TFormMain.h"

#include "app/TrayPictures.h"
#include "base/Clock.h"
#include "base/DateTime.h"
#include "base/JbxError.h"
#include "base/SafeFile.h"
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
#include "platform/TTrayIcon.h"
#include "platform/TWallClockTimer.h"
#include "settings/TUserInfo.h"
#include "tasklist/TFormTaskList.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QTimer>

Q_LOGGING_CATEGORY(lcJbxEvents, "jbx.events", QtWarningMsg)

namespace {
constexpr int DefaultSaveInterval = 60000;

// A save a minute. Tests of what a save survives set a shorter one, so they
// need not wait a minute for every tick.
int SaveInterval()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("JBX_SAVE_INTERVAL_MS", &ok);
    return ok && ms > 0 ? ms : DefaultSaveInterval;
}

// A path beside the data file that names no file yet: the program folder,
// `prefix`, the moment, and a count when that moment is taken.
QString NewFileBeside(const QString &prefix)
{
    const QString stamp = TClock::Current().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = AppDir + QStringLiteral("%1_%2.dat").arg(prefix, stamp);
    for (int n = 2; QFile::exists(path); ++n)
        path = AppDir + QStringLiteral("%1_%2-%3.dat").arg(prefix, stamp).arg(n);
    return path;
}
} // namespace

TFormMain::TFormMain(QObject *parent)
    : QObject(parent), TimerSave(new QTimer(this)), TimerBackup(new TWallClockTimer(this)),
      CoolTrayIcon1(new TTrayIcon(this)), PMTray(new QMenu),
      Reminders(new TReminderEngine(TaskList(), this)), HotKeys(new THotKeys(this))
{
    TimerSave->setInterval(SaveInterval());
    TimerSave->setSingleShot(true);
    connect(TimerSave, &QTimer::timeout, this, [this] { TimerSaveTimer(); });
    // The first change starts the minute; later ones ride along with it.
    FModifiedWatch = DataModified.Watch([this] {
        if (!TimerSave->isActive() && !FFinalSave)
            TimerSave->start();
    });
    connect(TimerBackup, &TWallClockTimer::Due, this, [this] { TimerSaveTimer(); });

    BuildCommands();
    BuildTrayMenu();

    CoolTrayIcon1->SetIcons(TrayPictures());
    CoolTrayIcon1->SetHint(tr("Jotterbox"));
    CoolTrayIcon1->SetCycleInterval(500);
    CoolTrayIcon1->SetPopupMenu(PMTray);
    connect(CoolTrayIcon1, &TTrayIcon::DblClick, this, &TFormMain::CoolTrayIcon1DblClick);

    connect(Reminders, &TReminderEngine::AlertSoundDue, this, &TFormMain::PlayAlertSound);
    connect(Reminders, &TReminderEngine::TrayAlertDue, this, &TFormMain::StartTrayAlert);
    connect(HotKeys, &THotKeys::Pressed, this, &TFormMain::WMHotKey);

    // An alert dismissed by closing its note comes back in the tray.
    connect(&TNoteEvents::Instance(), &TNoteEvents::AlertLeftUnseen, this, [this] {
        StartTrayAlert();
        PlayAlertSound();
    });
    connect(this, &TFormMain::EndSession, &TNoteEvents::Instance(), &TNoteEvents::SessionEnding);
}

TFormMain::~TFormMain()
{
    DataModified.Unwatch(FModifiedWatch);
    delete PMTray;
}

void TFormMain::FormCreate()
{
    CanExit = false;
    // Our help is a page for the desktop's browser, beside the program.
    HelpFile = AppDir + QStringLiteral("Jotterbox.html");
    CoolTrayIcon1->SetVisible(true);

    DataFilePath = AppDir + QStringLiteral("Jotterbox.dat");
    // This instance holds the lock: no save of another runs here now.
    QStringList saved{DataFilePath, UserInfo().FileName()};
    for (int day = 0; day < 7; ++day) // seven days in a row: every weekday's backup
        saved << BackupFileName(day);
    RemoveLeftoverSaves(saved);
    LoadDataFile();
    // A file that could not be read ends the start here: the user deals
    // with the error first; nothing is reopened, no alert, no hot keys.
    if (FLoadFailed)
        return;
    // Reminders that fell due while the program was not running fire at
    // the first pass of the loop.
    Reminders->ArmTimer1();
    ArmTimerBackup();

    if (ReopenNotes(TaskList())) {
        StartTrayAlert();
        PlayAlertSound();
    }
    RegisterHotKeys();
}

void TFormMain::LoadDataFile()
{
    if (!QFile::exists(DataFilePath))
        return;
    QString problem;
    try {
        const qint64 unread = TaskList().LoadFromFile(DataFilePath);
        if (unread == 0)
            return;
        // A count damaged to fewer tasks than the file holds reads as a
        // whole file; saved as it stands, the rest would be gone.
        problem = tr("The data file holds %1 bytes after the %2 tasks it says it holds.")
                      .arg(unread)
                      .arg(TaskList().Count());
    } catch (const EJbxError &error) {
        FLoadFailed = true;
        problem = error.Message();
    }
    FReadInPart = true;
    // The tasks read so far stay; the file itself must survive the first
    // save, which would otherwise replace it with just those tasks. Kept
    // aside, it may be saved over; if not, the session's tasks go to a file
    // of their own, named now, so the user is told once where to find them.
    try {
        problem += tr("\n\nThe data file could not be read completely. It was kept "
                      "unchanged as %1.")
                       .arg(KeepDamagedFile());
    } catch (const EJbxError &keep) {
        FSaveAsidePath = NewFileBeside(QStringLiteral("Jotterbox_Recovered"));
        problem += tr("\n\nThe data file could not be read completely, and it could "
                      "not be kept aside (%1), so it will not be saved over. The tasks of "
                      "this session are saved to %2.")
                       .arg(keep.Message(), FSaveAsidePath);
    }
    Dialogs().ErrorBox(problem);
}

QString TFormMain::KeepDamagedFile()
{
    const QString path = NewFileBeside(QStringLiteral("Jotterbox_Damaged"));
    QFile damaged(DataFilePath);
    if (!damaged.copy(path))
        throw EJbxError(tr("Cannot copy %1 to %2: %3").arg(DataFilePath, path, damaged.errorString()));
    // A copy takes the permissions of what it copies; like every data file
    // this one is for its owner's eyes only.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    FDamagedKeptAs = path;
    return path;
}

QString TFormMain::SavePath() const { return FSaveAsidePath.isEmpty() ? DataFilePath : FSaveAsidePath; }

void TFormMain::FormShow()
{
    // No taskbar button to hide: no window of the program has one.
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
    return CanExit;
}

void TFormMain::Close()
{
    if (FormCloseQuery())
        emit Closed();
}

void TFormMain::Exit1Click()
{
    CanExit = true;
    Close();
}

bool TFormMain::WMQueryEndSession()
{
    WriteDebugLog(QStringLiteral("WMQueryEndSession"));
    TimerSave->stop();
    // The windows first, so the save writes the notes as open.
    emit EndSession();
    CanExit = true;
    FSessionEnded = TimerSaveTimer();
    // Refused: the session goes on, and closing a note means closing it again.
    if (!FSessionEnded)
        emit TNoteEvents::Instance().SessionResumed();
    return FSessionEnded;
}

void TFormMain::FormDestroy()
{
    WriteDebugLog(QStringLiteral("FormDestroy"));
    // Nothing may change the tasks behind the final save's back, even while
    // a box about it waits for the user.
    Reminders->Halt();
    CanExit = true;
    FFinalSave = true;
    const bool saved = TimerSaveTimer();
    TimerSave->stop();
    TimerBackup->Stop();
    if (saved)
        UnregisterHotKeys();
}

bool TFormMain::TimerSaveTimer()
{
    WriteDebugLog(QStringLiteral("TimerSaveTimer"));
    TimerSave->stop();
    TimerBackup->Stop();
    bool ok = true;
    try {
        if (DataModified || CanExit) {
            // The file of its own, for a data file that may not be saved
            // over, is made for something new only: without a change there
            // is nothing to keep that the data file does not hold.
            if (FSaveAsidePath.isEmpty() || DataModified) {
                TaskList().SaveToFile(SavePath());
                DataModified = false;
            }
            UserInfo().SaveSettings();
        }
        // A list read only in part must not take the place of a backup that
        // may be the one whole copy left: backups wait for a start that
        // reads the file whole.
        const TDateTime now = TClock::Now();
        if (!FReadInPart && now - UserInfo().LastBackup >= 1.0) {
            // Made afresh when due, even over a file of the same bytes.
            TaskList().SaveToFile(BackupFileName(now), true);
            UserInfo().LastBackup = now;
            UserInfo().SaveSettings();
        }
    } catch (const EJbxError &error) {
        ok = false;
        // At the very end the box must be seen before the program goes;
        // otherwise it stays up while the program runs on.
        if (FFinalSave && !FSessionEnded)
            Dialogs().ErrorBoxAndWait(error.Message());
        else
            Dialogs().ErrorBox(error.Message());
    }
    // After a failure the next minute tries again; otherwise the timer
    // waits for the next change.
    if (!FFinalSave && (!ok || DataModified))
        TimerSave->start();
    ArmTimerBackup();
    return ok;
}

void TFormMain::ArmTimerBackup()
{
    // A list read only in part makes no backup; at the end none is due.
    if (FReadInPart || FFinalSave) {
        TimerBackup->Stop();
        return;
    }
    // A day after the last one, and never sooner than a save's minute from
    // now: the first start makes its backup a minute in, a failed one is
    // tried again a minute later.
    const QDateTime due = DateTimeToQDateTime(UserInfo().LastBackup + 1.0);
    const QDateTime soonest = TClock::Current().addMSecs(TimerSave->interval());
    TimerBackup->ArmAt(std::max(due, soonest));
}

QString TFormMain::BackupFileName(double moment)
{
    return AppDir + QStringLiteral("Jotterbox_Backup_%1.dat").arg(DayOfTheWeek(moment) % 7);
}

void TFormMain::CoolTrayIcon1DblClick()
{
    if (!CoolTrayIcon1->CycleIcons()) {
        ActionShowList->trigger();
        return;
    }
    CoolTrayIcon1->SetCycleIcons(false);
    CoolTrayIcon1->SetIconIndex(0);
    CoolTrayIcon1->SetPopupMenu(PMTray);
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
    CoolTrayIcon1->SetCycleIcons(true);
    CoolTrayIcon1->SetPopupMenu(nullptr);
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
    try {
        if (DataModified) {
            TaskList().SaveToFile(SavePath());
            DataModified = false;
        }
        UserInfo().SaveSettings();
    } catch (...) {
        // Nobody is left to tell.
    }
}

void TFormMain::UnregisterHotKeys()
{
    if (HotKeyNewNote == 0)
        return;
    HotKeys->UnregisterAll();
    HotKeyNewNote = 0;
    HotKeyShowList = 0;
}
