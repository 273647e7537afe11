#include "app/TFormMain.h"
#include "app/TGuardedApplication.h"
#include "app/TShownWatch.h"
#include "base/Clock.h"
#include "base/EventLog.h"
#include "base/LocaleFormats.h"
#include "base/Screen.h"
#include "dialogs/TFormAbout.h"
#include "dialogs/TFormOptions.h"
#include "dialogs/TFormTip.h"
#include "model/UnitGlobalData.h"
#include "model/UnitGlobalProc.h"
#include "notes/TFormNote.h"
#include "notes/TaskSheetMessage.h"
#include "platform/AbruptEnd.h"
#include "platform/CommandClient.h"
#include "platform/CommandLine.h"
#include "platform/CommandServer.h"
#include "platform/DesktopEntry.h"
#include "platform/Dialogs.h"
#include "platform/DisplayPlatform.h"
#include "platform/FolderLock.h"
#include "platform/Fonts.h"
#include "platform/SessionEnd.h"
#include "platform/SingleInstance.h"
#include "platform/Translations.h"
#include "settings/SettingsCodec.h"
#include "tasklist/TFormTaskList.h"
#include "toolbar/TFormToolBar.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPaintEvent>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <memory>

// Off unless asked for (QT_LOGGING_RULES=jbx.paint=true): one line per
// widget paint, so a measurement can tell which window repaints while the
// program should be idle.
Q_LOGGING_CATEGORY(lcJbxPaint, "jbx.paint", QtWarningMsg)

namespace {

// Sees every event of the application, so it is installed only when its
// category is on: off, it costs nothing.
class TPaintLog : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            const auto *widget = static_cast<const QWidget *>(watched);
            const QWidget *window = widget->window();
            const QRect area = static_cast<const QPaintEvent *>(event)->rect();
            qCInfo(lcJbxPaint, "paint %s '%s' in %s '%s' %dx%d+%d+%d", widget->metaObject()->className(),
                   qPrintable(widget->objectName()), window->metaObject()->className(),
                   qPrintable(window->objectName()), area.width(), area.height(), area.x(), area.y());
        }
        return false;
    }
};

TFormMain *LiveMain = nullptr;
TSingleInstance *LiveInstance = nullptr;
TFolderLock *LiveFolderLock = nullptr;

// Qt ends the process with exit() when the display connection breaks (an
// X server gone at logout without a session manager): no loop, no final
// save. This still writes what changed. At the normal end nothing is live
// any more and it leaves the end alone.
// Until the program is up (LiveMain set) it only gives the lock back: a save
// then could need Qt data already destroyed, and there is nothing to keep.
bool AbruptEnd()
{
    if (!LiveMain && !LiveInstance)
        return false;
    if (LiveMain)
        LiveMain->SaveBeforeAbruptEnd();
    // The folder first: a start that finds the instance gone must find the
    // folder free too.
    if (LiveFolderLock)
        LiveFolderLock->Unlock();
    if (LiveInstance)
        LiveInstance->Unlock();
    return true;
}

// The abrupt end runs among the exit-time clean-ups, and those run in the
// reverse order of their registration. Qt makes much of its data on first
// use and registers its destruction then: the locale's data is made by the
// first date or time read from the settings, long after the first arming,
// and would be gone when the handler's settings save formats a time. So
// before the handler is armed again, each locale-dependent text the save
// writes (times with and without milliseconds, moments, the dates of the
// debug log) is made once: whatever Qt needs for them exists from then on
// and is destroyed only after the handler has run. The windows' data the
// save reads was made by the start.
void PrepareAbruptEndSave()
{
    const TDateTime now = TClock::Now();
    SettingsCodec::ParseTime(SettingsCodec::FormatTime(EncodeTime(9, 30, 15, 250)));
    SettingsCodec::ParseTime(SettingsCodec::FormatTime(TimeOf(now)));
    SettingsCodec::ParseDateTime(SettingsCodec::FormatDateTime(now));
    TLocaleFormats::DateTimeToStr(now);
}

// --install-desktop and --uninstall-desktop: the program in the desktop's
// menu, or out of it. They touch only the user's menu and icon folders and
// end at once, with no display and no lock, whether or not the program runs.
int DesktopCommand(int argc, char *argv[], bool install)
{
    QCoreApplication core(argc, argv);
    const DesktopEntry::TPlaces places = DesktopEntry::TPlaces::User();
    const QString error = install ? DesktopEntry::Install(QCoreApplication::applicationDirPath(), places)
                                  : DesktopEntry::Uninstall(places);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "Jotterbox: %s\n", qPrintable(error));
        return 1;
    }
    std::printf(install ? "Jotterbox: added to the desktop's menu (%s)\n"
                        : "Jotterbox: removed from the desktop's menu (%s)\n",
                qPrintable(DesktopEntry::InstalledFiles(places).first()));
    return 0;
}

// An instance that is starting holds the lock before it listens for
// commands: a command is tried again until it is up, this long at most.
constexpr int CommandWaitMs = 20000;
constexpr int CommandRetryMs = 20;
constexpr int CommandAnswerMs = 5000;
// The rest of the start waits this long at most for the notes to show.
constexpr int NotesShownBoundMs = 500;

int Fail(const QString &message, int code)
{
    std::fprintf(stderr, "Jotterbox: %s\n", qUtf8Printable(message));
    return code;
}

// The folder the program and its data live in, known before the
// application object that would tell it exists.
QString ProgramFolder() { return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath(); }

// A start on a folder another process holds gives up with this: on stderr,
// and in a box when there is a display to show one (opened only now, so
// without one the start ends quietly on stderr).
int RefuseForHeldFolder(int argc, char *argv[], const QString &folder, const TFolderHolder &holder)
{
    const QString message =
        QStringLiteral("The folder %1 is in use by another Jotterbox (%2), which this start cannot reach. "
                       "It ends without reading or writing anything there.")
            .arg(QDir::toNativeSeparators(folder), holder.Describe());
    Fail(message, 1);
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return 1;
    auto platform = std::make_unique<TChosenDisplayPlatform>();
    QApplication app(argc, argv);
    platform.reset();
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Jotterbox"), message, QMessageBox::Ok);
    // Above the other copy's notes, which stay on top by default.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
    return 1;
}

// The data folder is held by another process: one started from another
// session or runtime folder, which the instance lock does not see. The
// command goes to it when its socket can be reached (a plain start then
// ends as beside a running instance); -1 when the holder ended meanwhile
// and this process holds the folder now.
// A holder that is starting has not said yet where it takes commands, and
// is waited for as long as a command waits for a starting instance; one
// that said so but does not answer may be ending, and gets a moment.
constexpr int UnreachableHolderMs = 2000;

int HandToFolderHolder(int argc, char *argv[], TFolderLock &folderLock, const QString &folder,
                       const TCommandLine &line)
{
    const QDeadlineTimer deadline(CommandWaitMs);
    QDeadlineTimer unreachable(QDeadlineTimer::Forever);
    TFolderHolder holder;
    for (;;) {
        if (folderLock.TryLock() == TFolderLock::TResult::Held)
            return -1;
        holder = folderLock.Holder();
        if (!holder.CommandSocket.isEmpty()) {
            // A plain start has nothing to send: that the holder takes
            // commands is enough, as a running instance is for it.
            if (line.Kind == TCommandLine::Start && CommandsReach(holder.CommandSocket))
                return 0;
            const TCommandSent sent = line.Kind == TCommandLine::Start
                                          ? TCommandSent::NoListener
                                          : SendCommand(holder.CommandSocket, line.Command, CommandAnswerMs);
            if (sent == TCommandSent::Delivered)
                return 0;
            if (sent == TCommandSent::Unknown)
                return Fail(QStringLiteral("the running Jotterbox does not know --%1").arg(line.Command), 1);
            if (sent != TCommandSent::NoListener)
                break;
            if (unreachable.isForever())
                unreachable.setRemainingTime(UnreachableHolderMs);
            if (unreachable.hasExpired())
                break;
        }
        if (deadline.hasExpired())
            break;
        QThread::msleep(CommandRetryMs);
    }
    return RefuseForHeldFolder(argc, argv, folder, holder);
}

// Hands the command to the instance holding the lock. -1 when this process
// took the lock meanwhile (the other ended): it is the instance now.
int SendToRunningInstance(TSingleInstance &instance, const QString &socket, const QString &command)
{
    const QDeadlineTimer deadline(CommandWaitMs);
    for (;;) {
        switch (SendCommand(socket, command, CommandAnswerMs)) {
        case TCommandSent::Delivered: return 0;
        case TCommandSent::Unknown:
            return Fail(QStringLiteral("the running Jotterbox does not know --%1").arg(command), 1);
        case TCommandSent::Foreign:
            return Fail(QStringLiteral("%1 belongs to another user: nothing was sent").arg(socket), 1);
        case TCommandSent::NoAnswer: return Fail(QStringLiteral("the running Jotterbox does not answer"), 1);
        case TCommandSent::NoListener: break;
        }
        if (instance.TryLock(0))
            return -1;
        if (deadline.hasExpired())
            return Fail(QStringLiteral("the running Jotterbox does not take commands"), 1);
        QThread::msleep(CommandRetryMs);
    }
}
} // namespace

int main(int argc, char *argv[])
{
    // What was asked comes first: help, the version and a mistyped option
    // end here, having touched nothing.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const TCommandLine line = ParseCommandLine(arguments);
    switch (line.Kind) {
    case TCommandLine::Invalid:
        return Fail(line.Error + QStringLiteral("\nTry 'Jotterbox --help' for the options."), 2);
    case TCommandLine::Local:
        if (line.Command.endsWith(QLatin1String("-desktop")))
            return DesktopCommand(argc, argv, line.Command == QLatin1String("install-desktop"));
        std::fputs(qUtf8Printable(line.Command == QLatin1String("help") ? CommandLineHelp() : VersionText()),
                   stdout);
        return 0;
    case TCommandLine::Start:
    case TCommandLine::Remote: break;
    }

    // The lock comes next, before the display is opened or any file read:
    // a second start ends at once, having read and written nothing, or
    // hands its command over to the running instance.
    // No waiting for the lock: it is taken and given back whole (a file
    // made or removed in one step), so there is no moment to wait out.
    TSingleInstance instance(QStringLiteral("App_ZEL_Task_Sheet"));
    const QString commandSocket = instance.CommandSocket();
    if (!instance.TryLock(0)) {
        if (instance.Error().isEmpty() && line.Kind == TCommandLine::Start)
            return 0;
        if (instance.Error().isEmpty()) {
            const int sent = SendToRunningInstance(instance, commandSocket, line.Command);
            if (sent >= 0)
                return sent;
        } else {
            // No place for a lock at all: better one instance too many than none.
            Dialogs().ErrorBox(instance.Error()); // no display yet: stderr only
        }
    }
    // The data folder's own lock: the instance lock lives in the runtime
    // folder, which another session, user or cron job does not share. Held
    // from here to the end: one writer per folder. --exit makes no lock
    // file: without one nothing runs there that could be ended.
    const QString folder = ProgramFolder();
    TFolderLock folderLock(folder);
    const bool exitOnly = line.Command == QLatin1String("exit");
    bool folderUnlocked = false;
    switch (folderLock.TryLock(!exitOnly)) {
    case TFolderLock::TResult::Held:
    case TFolderLock::TResult::Absent: break;
    case TFolderLock::TResult::Busy:
        if (const int handed = HandToFolderHolder(argc, argv, folderLock, folder, line); handed >= 0)
            return handed;
        break;
    case TFolderLock::TResult::Unsupported:
        // Better unguarded than not at all, as the program ran before.
        folderUnlocked = true;
        break;
    }
    // Nothing runs that could be ended.
    if (exitOnly)
        return 0;
    // Before the display opens: a session that ends from here on gets the
    // orderly end with its save.
    TSessionEnd::InstallSignalHandlers();
    // Armed now for an end during the start (it gives the lock back), and
    // again once the program is up.
    LiveInstance = &instance;
    LiveFolderLock = &folderLock;
    SetAbruptEndHandler(AbruptEnd);
    ArmAbruptEnd();

    // In a Wayland session the program runs on Xwayland where it can, so
    // its windows keep their places.
    auto platform = std::make_unique<TChosenDisplayPlatform>();
    TGuardedApplication app(argc, argv);
    platform.reset();
    QApplication::setApplicationName(QStringLiteral("Jotterbox"));
    QApplication::setQuitOnLastWindowClosed(false);
    // Every window and box speaks the user's language: translated before
    // the first of them is made.
    InstallTranslations(QLocale::system().uiLanguages(),
                        QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (lcJbxPaint().isInfoEnabled())
        app.installEventFilter(new TPaintLog(&app));
    InstallFontSubstitutions();
    SetPrimaryScreenSizeFunction([] {
        const QScreen *screen = QGuiApplication::primaryScreen();
        return screen ? screen->size() : QSize(1024, 768);
    });

    CreateGlobals(QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + u'/'));
    if (folderUnlocked) {
        WriteDebugLog(folderLock.Error() + QStringLiteral("; started without the folder's lock"));
        qCInfo(lcJbxEvents, "%s; started without the folder's lock", qPrintable(folderLock.Error()));
    }
    RegisterTaskSheetMessage();
    {
        // While it lives, the loop's end leaves every window as it is: they
        // are destroyed after it, not closed as by the user.
        TSessionEnd sessionEnd;
        TFormMain formMain;
        // Notes come from here on, the ones saved open first.
        TFormNote::InstallCreator(formMain.Commands());
        QObject::connect(&formMain, &TFormMain::Closed, &app, &QCoreApplication::quit);
        QObject::connect(&sessionEnd, &TSessionEnd::EndRequested, &formMain,
                         [&formMain](bool &agree) { agree = formMain.WMQueryEndSession(); });
        QObject::connect(&sessionEnd, &TSessionEnd::EndAgreed, &formMain, &TFormMain::Close);
        QObject::connect(&sessionEnd, &TSessionEnd::EndForced, &formMain, &TFormMain::Close);

        formMain.FormCreate();
        // The notes saved open are what the user waits for: the rest of the
        // start follows once they are on screen.
        std::unique_ptr<TFormTaskList> formTaskList;
        std::unique_ptr<TFormOptions> formOptions;
        std::unique_ptr<TFormAbout> formAbout;
        std::unique_ptr<TFormTip> formTip;
        std::unique_ptr<TFormToolBar> formToolBar;
        TCommandServer commands;
        QObject::connect(&commands, &TCommandServer::CommandReceived, &formMain, &TFormMain::RunCommand);
        const QList<TFormNote *> notes = TFormNote::OpenNotes();
        const TShownWatch notesShown({notes.begin(), notes.end()}, NotesShownBoundMs, [&] {
            qCInfo(lcJbxEvents, "notes shown");
            // Without a tray at start, the toolbar stands in for it.
            formMain.SetTrayAvailable(QSystemTrayIcon::isSystemTrayAvailable());
            formTaskList = std::make_unique<TFormTaskList>(formMain.ReminderEngine());
            formMain.SetTaskList(formTaskList.get());
            // Each made once, cheaply: their controls come at their first showing.
            formOptions = std::make_unique<TFormOptions>();
            formAbout = std::make_unique<TFormAbout>();
            formTip = std::make_unique<TFormTip>();
            formMain.SetDialogs(formOptions.get(), formAbout.get(), formTip.get());
            // Owned by the list window, so it has no taskbar button of its own.
            formToolBar = std::make_unique<TFormToolBar>(formTaskList.get());
            formMain.SetToolBar(formToolBar.get());
            formToolBar->FormCreate();
            formMain.FormShow();
            qCInfo(lcJbxEvents, "platform %s", qPrintable(QGuiApplication::platformName()));
            // Commands of later starts are taken once the windows are up;
            // until then those starts wait.
            if (!commands.Listen(commandSocket)) {
                WriteDebugLog(commands.Error());
                qCInfo(lcJbxEvents, "%s", qPrintable(commands.Error()));
            } else {
                // Later starts from another runtime folder find it here.
                folderLock.Announce(commandSocket);
            }
            qCInfo(lcJbxEvents, "idle");
            // Settings and data read, windows made and shown, the event log
            // in use: from here on an abrupt end saves, run ahead of every
            // clean-up registered so far.
            PrepareAbruptEndSave();
            LiveMain = &formMain;
            ArmAbruptEnd();
            // In a pass of its own: a dialog it opens holds up nothing above.
            if (line.Kind == TCommandLine::Remote)
                QTimer::singleShot(0, &formMain, [&formMain, &line] { formMain.RunCommand(line.Command); });
        });
        QApplication::exec();
        // The end is under way: a signal now must not start another, and
        // a command must wait for the next instance.
        sessionEnd.blockSignals(true);
        commands.Close();
        // Notes on screen go without their close query: they stay marked
        // open and come back at the next start.
        TFormNote::DestroyAll();
        formToolBar.reset();
        formTip.reset();
        formAbout.reset();
        formOptions.reset();
        formTaskList.reset();
        // Windows go in the reverse order of their making; the main window,
        // made first, goes last with the final save.
        formMain.FormDestroy();
        LiveMain = nullptr;
    }
    // Only now may another instance start and read the data file; the
    // folder goes first, so a start that gets the instance lock gets the
    // folder too.
    folderLock.Unlock();
    LiveFolderLock = nullptr;
    instance.Unlock();
    LiveInstance = nullptr;
    DestroyGlobals();
    return 0;
}
