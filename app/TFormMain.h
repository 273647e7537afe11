#pragma once

#include "controls/TAppCommands.h"
#include "model/TDataStore.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QAction;
class QMenu;
class QTimer;
class TAlertNotices;
class TFormAbout;
class TFormOptions;
class TFormTaskList;
class TFormTip;
class TFormToolBar;
class THotKeys;
class TReminderEngine;
class TSyncRunner;
class TKeyring;
class TTrayIcon;
class TWallClockTimer;
class QWidget;

// The main window, which no one sees: it owns the tray icon and its menu,
// the save timers, the global hot keys and the reminder engine. The data
// store does the loading and saving; this window runs it at start, by its
// timers and at the end, and tells the user what it reports.
class TFormMain : public QObject {
    Q_OBJECT

public:
    explicit TFormMain(QObject *parent = nullptr);
    ~TFormMain() override;

    // Whether the session had a tray when the program started. Without one
    // the toolbar stands in for it: set before SetToolBar.
    void SetTrayAvailable(bool available) { TrayAvailable = available; }
    // The tray came or went while the program runs: the toolbar stands in
    // for it, or stops standing in, and an alert moves across.
    void TrayAvailabilityChanged(bool available);
    // Looks whether the tray came or went; run every few seconds.
    void TimerTrayWatchTimer();
    // The main window may close only while this is set; it never goes back.
    bool CanExit() const { return FCanExit; }
    // The manual, a page for the desktop's browser beside the program.
    QString HelpFile() const { return FHelpFile; }
    // The reminders' engine, which the list window drives too.
    TReminderEngine *ReminderEngine() const { return Reminders; }

    // Loads the data file, reopens the notes saved open, starts the tray
    // alert for an alerting task with no note.
    void FormCreate();
    // Once the notes are on screen: the tray icon, the hot keys, the sync
    // rounds and the tip of the day.
    void FormShow();
    // The final save and the release of the hot keys.
    void FormDestroy();
    // Closes the main window if it may close; the program then ends.
    void Close();
    // The session (or a signal) asks the program to end: the windows keep
    // their open state, everything is saved. False when the save failed.
    bool WMQueryEndSession();
    // The save routine: the data file when something changed (or at the
    // end), the settings with it, the daily backup. False when a write
    // failed, which the user is told in a box.
    bool TimerSaveTimer();

    // The display went away and the program is being ended by force: the
    // changes not yet saved and the settings are written, quietly, without
    // the rest of the end.
    void SaveBeforeAbruptEnd();

    // The commands the windows share, each filled in once its window is
    // set; every window is handed these, the notes by their creator.
    TAppCommands *Commands() { return &FCommands; }
    // The list window, made after the main window's creation; the list's
    // commands act on it.
    void SetTaskList(TFormTaskList *list);
    // The other windows, made after the list; each may be missing in tests.
    void SetToolBar(TFormToolBar *toolBar);
    void SetDialogs(TFormOptions *options, TFormAbout *about, TFormTip *tip);

    // The tray icon's double-click: the list, or the notes of an alert.
    void CoolTrayIcon1DblClick();
    // A command given on the command line, of this start or a later one
    // ("new-note", ...): run as its hot key or tray menu item runs it.
    void RunCommand(const QString &name);
    // The tray icon cycles its pictures, with no menu, until double-clicked;
    // without a tray the toolbar blinks in its place.
    void StartTrayAlert();
    // An alerting task has no note on screen. Beside the tray's alert the
    // desktop's notification tells of it where there is no tray (or the
    // user asked for both); with neither, the waiting note opens itself
    // when `fresh` (not when the user has just closed it).
    void AlertUnseen(bool fresh);
    // The answer to the alert (the tray's or toolbar's double-click): the
    // alert ends and every waiting note opens.
    void OpenWaitingNotes();
    TAlertNotices *AlertNotices() const { return Notices; }

    // Where a data file that could not be read was kept, if one was.
    QString DamagedFileKeptAs() const { return FStore->DamagedKeptAs(); }

signals:
    // The main window has closed: the message loop should end.
    void Closed();
    // The session is ending: every window keeps its open state.
    void EndSession();
    // Ctrl+Alt+N was pressed; the new-note command answers it.
    void NewNoteRequested();
    // Notes were opened for alerting tasks: the list should be rebuilt.
    void TasksChanged();

private:
    bool FCanExit = false;
    // The session or a signal asked the program to end, and the user has
    // not asked since: the final save's box waits for no one then.
    bool FSessionEnding = false;
    // The last save failure the user was told of; cleared by a save that worked.
    QString FToldFailure;
    // The data file was read, whole or in part: the start goes on.
    bool FLoaded = false;
    QString FHelpFile;
    bool TrayAvailable = true;

    TTrayIcon *CoolTrayIcon1;
    // A window of its own (no parent widget), deleted with the main window.
    QMenu *PMTray;
    QAction *NewNote1;
    QAction *Exit1;
    // The program's commands, one action each, shown by every menu that
    // offers them; their shortcuts work in every window of the program.
    // Shows the list window, or hides it when it is up.
    QAction *ActionShowList;
    QAction *ActionShowToolbar;
    QAction *ActionOptions;
    QAction *ActionAbout;
    QAction *ActionHelp;
    QAction *ActionPrintList;
    QAction *ActionExportList;
    TReminderEngine *Reminders;
    // The sync rounds with the user's CalDAV server, when set up.
    TSyncRunner *Sync;
    // The sync password's home, for the runner and the Sync page.
    TKeyring *Keyring;
    QAction *ActionSyncNow;

    // Identifiers of the two global hot keys; 0 until they were registered.
    int HotKeyNewNote = 0;
    int HotKeyShowList = 0;

    // Runs while something is unsaved: the change is on disk within a
    // minute. Idle when nothing waits.
    QTimer *TimerSave;
    // Armed for the moment the daily backup falls due.
    TWallClockTimer *TimerBackup;
    THotKeys *HotKeys;
    TAlertNotices *Notices;
    // Follows the tray's coming and going.
    QTimer *TimerTrayWatch;
    // A notification that failed opens its note only after a fresh alert.
    bool FOpenIfNotShown = false;
    // The start found an alerting task without a note.
    bool FAlertAtStart = false;
    std::unique_ptr<TDataStore> FStore;

    bool FormCloseQuery();
    // The tray's Exit (and the toolbar's, standing in for it): the program ends.
    void Exit1Click();
    void ActionShowListExecute();
    // --show-list: the list up and expanded, never hidden.
    void ShowListCommand();
    void ActionShowToolbarExecute();
    void ActionOptionsExecute();
    void ActionAboutExecute();
    void ActionHelpExecute();
    // The manual's part (its anchor) about the window the user is in; empty
    // for its top.
    QString HelpSection() const;
    // Captions of the two show/hide commands from what is on screen now.
    void ActionShowListUpdate();
    void ActionShowToolbarUpdate();
    void WMHotKey(int id);
    void PlayAlertSound();
    // Loads the data file; false when it broke off, which ends the start.
    bool LoadDataFile();
    // Every save goes through here: its box, and the timers armed after it.
    TSaveResult Save(TDataStore::TSaveKind kind);
    // A failed save's message, unless the user has just been told the same:
    // a save that keeps failing the same way tells once, not every minute.
    void TellSaveFailure(const TSaveResult &result, bool wait);
    // The tray's Exit with tasks that could be saved nowhere: whether the
    // user will lose them and end all the same.
    bool MayEndWithoutSaving();
    TSaveResult SaveData(TDataStore::TSaveKind kind);
    void ArmTimerBackup();
    void RegisterHotKeys();
    void UnregisterHotKeys();

    // The toolbar stands in for a missing tray; `running`: the tray came or
    // went after the start, so the toolbar is shown or hidden here.
    void StandToolBarInForTray(TFormToolBar *toolBar, bool running);
    void BuildCommands();
    void BuildTrayMenu();
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool OfferShortcut(const QKeyCombination &keys);

    QPointer<TFormTaskList> FTaskList;
    TAppCommands FCommands;
    // Only shown and hidden from here; as a plain widget it can still be
    // asked while it is being destroyed (its last hide).
    QPointer<QWidget> FToolBar;
    QPointer<TFormOptions> FOptions;
    QPointer<TFormAbout> FAbout;
    QPointer<TFormTip> FTip;
    int FModifiedWatch = 0;
};
