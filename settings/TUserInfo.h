#pragma once

#include "base/DateTime.h"

#include <QPoint>
#include <QSize>
#include <QString>

// Every user preference and remembered window place, named as its key in
// the settings file. One global instance lives for the whole run; windows
// change the fields in memory and the save routine writes them all back.
class TUserInfo {
public:
    static constexpr const char *CurrentVersion = "1.03";

    // Installation
    QString Version = QString::fromLatin1(CurrentVersion);
    bool DebugMode = false;
    // User Interface
    bool StayOnTop = true;
    bool ShowTips = true;
    qint32 NextTip = 0;
    bool ShowToolBar = true;
    qint32 ToolBarLeft = 0;
    qint32 ToolBarTop = 10;
    bool Showing = false;
    qint32 Left = 0;
    qint32 Top = 60;
    qint32 Height = 200;
    qint32 Color = 0x00005797;
    qint32 Column0Width = 0;
    qint32 Column1Width = 20;
    qint32 Column2Width = 20;
    qint32 Column3Width = 20;
    qint32 Column4Width = 200;
    qint32 Column5Width = 70;
    bool V_Expanded = true;
    bool DisplayDueDate = true;
    bool DisplayCompletedNotes = true;
    qint32 SortColumn = 5;
    bool SortAscending = true;
    bool ViewIcon = false;
    qint32 Color1 = 0x0092CDED;
    qint32 Color2 = 0x00F0CAA6;
    qint32 Color3 = 0x00C0DCC0;
    qint32 Color4 = 0x00FFD0FF;
    qint32 Color5 = 0x009FFFFF;
    qint32 DefaultColor = 1;
    QString DefaultFontName = QStringLiteral("Comic Sans MS");
    qint32 DefaultFontSize = 11;
    bool DefaultFontBold = false;
    bool DefaultFontItalic = false;
    qint32 DefaultFontColor = 0x00000000;
    bool QuickInputMode = false;
    QString SoundFileName;
    QString SkinDirectoryName = QStringLiteral("1");
    // Whether the user was asked once to add the hot keys to GNOME's
    // keyboard shortcuts (GNOME on Wayland has no other way to them).
    bool GnomeShortcutsOffered = false;
    // A reminder for a task with no note on screen is also a desktop
    // notification where the tray icon cycles (without a tray it always is).
    bool NotifyWithTray = false;
    // Data
    bool AutoDeleteFinishedTasks = false;
    qint32 AutoDeleteFinishedTasksDays = 365;
    bool AutoDueDate = false;
    qint32 AutoDueDateDays = 2;
    bool AutoReminder = false;
    TDateTime AutoReminderTime = EncodeTime(9, 30);
    TDateTime LastBackup = 0;
    // Sync with a CalDAV task collection, off until the user sets it up.
    // The password is never kept here: it lives in the desktop's keyring,
    // or SyncPasswordCommand prints it.
    bool SyncEnabled = false;
    QString SyncUrl;
    QString SyncUser;
    qint32 SyncIntervalMinutes = 5;
    QString SyncPasswordCommand;
    QString SyncCaFile;

    // appDir ends with a separator; the settings file is appDir +
    // "Jotterbox.ini" and the default sound file appDir + "notify.wav".
    explicit TUserInfo(const QString &appDir = QString());

    QString FileName() const;
    // Note colour `number` (1 to 5): Color1 ... Color5.
    qint32 &NoteColor(int number);
    qint32 NoteColor(int number) const;
    // Where the toolbar opens when no place is stored: near the top right
    // corner of the primary screen.
    static QPoint DefaultToolBarPlace(QSize primaryScreen);
    // The sound to play for `chosen`: the file itself when it can be read,
    // else the program's own sound, so a reminder is never silent.
    QString SoundFileOrDefault(const QString &chosen) const;
    // Whether `name` (SkinDirectoryName) names a folder right inside skins/:
    // one that leads elsewhere must not have pictures read from anywhere.
    static bool IsSkinName(const QString &name);

    // Fills every field from the file; missing or unreadable values take
    // their defaults, and places, sizes and the font size are kept to what
    // can be shown. Never fails.
    void LoadSettings();
    // Writes every field; fails with "Unable to write to %s".
    void SaveSettings() const;

    // Every field back to its default; those that depend on the screen use
    // the primary screen's width now.
    void ApplyDefaults();

    bool operator==(const TUserInfo &other) const = default;

    // Whether any sync setting differs from its default: a settings file
    // gets a [Sync] section only then, or once it has one.
    bool SyncSetUp() const;

private:
    template <class Self, class Visitor> static void VisitFields(Self &self, Visitor &&visit);
    void KeepShowable();
    void InitPlaceDefaults();

    QString FAppDir;
};
