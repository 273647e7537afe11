#include "settings/TUserInfo.h"

#include "base/Screen.h"
#include "settings/IniFile.h"
#include "settings/SettingsCodec.h"

#include <QFileInfo>
#include <algorithm>

namespace {
// BooleanIfSet: a later setting, written once it is on (or once the file
// holds it), so files that never used it stay as they were.
enum class TKind { Integer, Boolean, BooleanIfSet, String, Time, DateTime };

const QString Installation = QStringLiteral("Installation");
const QString UserInterface = QStringLiteral("User Interface");
const QString Data = QStringLiteral("Data");
const QString Sync = QStringLiteral("Sync");

// Reads one value into the field, which already holds its default.
struct TReader {
    const TIniFile &Ini;

    template <class T> void operator()(const QString &section, const char *key, T &field, TKind kind) const
    {
        const std::optional<QString> stored = Ini.Value(section, QString::fromLatin1(key));
        if (!stored)
            return;
        const QString &text = *stored;
        if constexpr (std::is_same_v<T, QString>) {
            field = text;
        } else if constexpr (std::is_same_v<T, bool>) {
            if (auto value = SettingsCodec::ParseInteger(text))
                field = *value != 0;
        } else if constexpr (std::is_same_v<T, qint32>) {
            if (auto value = SettingsCodec::ParseInteger(text))
                field = *value;
        } else {
            auto value =
                kind == TKind::Time ? SettingsCodec::ParseTime(text) : SettingsCodec::ParseDateTime(text);
            if (value)
                field = *value;
        }
    }
};

struct TWriter {
    TIniFile &Ini;
    bool WithSync = true;

    template <class T>
    void operator()(const QString &section, const char *key, const T &field, TKind kind) const
    {
        if (section == Sync && !WithSync)
            return;
        if constexpr (std::is_same_v<T, bool>)
            if (kind == TKind::BooleanIfSet && !field && !Ini.Value(section, QString::fromLatin1(key)))
                return;
        QString text;
        if constexpr (std::is_same_v<T, QString>)
            text = field;
        else if constexpr (std::is_same_v<T, bool>)
            text = field ? QStringLiteral("1") : QStringLiteral("0");
        else if constexpr (std::is_same_v<T, qint32>)
            text = SettingsCodec::FormatInteger(field);
        else
            text =
                kind == TKind::Time ? SettingsCodec::FormatTime(field) : SettingsCodec::FormatDateTime(field);
        Ini.WriteString(section, QString::fromLatin1(key), text);
    }
};

// X11 places windows at 16-bit coordinates: a place or size beyond them can
// never be shown, and would overflow where the windows add them up.
constexpr qint32 KMinCoordinate = -32768;
constexpr qint32 KMaxCoordinate = 32767;
// From small print to what still fits a note a few words wide: beyond, the
// text of a new note cannot be seen.
constexpr qint32 KMinFontSize = 6;
constexpr qint32 KMaxFontSize = 72;

} // namespace

bool TUserInfo::IsSkinName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(u'/') && !name.contains(u'\\') && !name.contains(QChar(0));
}

// The keys in the order in which they are read and written.
template <class Self, class Visitor> void TUserInfo::VisitFields(Self &s, Visitor &&visit)
{
    visit(Installation, "Version", s.Version, TKind::String);
    visit(Installation, "DebugMode", s.DebugMode, TKind::Boolean);
    visit(UserInterface, "StayOnTop", s.StayOnTop, TKind::Boolean);
    visit(UserInterface, "ShowTips", s.ShowTips, TKind::Boolean);
    visit(UserInterface, "NextTip", s.NextTip, TKind::Integer);
    visit(UserInterface, "ShowToolBar", s.ShowToolBar, TKind::Boolean);
    visit(UserInterface, "ToolBarLeft", s.ToolBarLeft, TKind::Integer);
    visit(UserInterface, "ToolBarTop", s.ToolBarTop, TKind::Integer);
    visit(UserInterface, "Showing", s.Showing, TKind::Boolean);
    visit(UserInterface, "Left", s.Left, TKind::Integer);
    visit(UserInterface, "Top", s.Top, TKind::Integer);
    visit(UserInterface, "Height", s.Height, TKind::Integer);
    visit(UserInterface, "Color", s.Color, TKind::Integer);
    visit(UserInterface, "Column0Width", s.Column0Width, TKind::Integer);
    visit(UserInterface, "Column1Width", s.Column1Width, TKind::Integer);
    visit(UserInterface, "Column2Width", s.Column2Width, TKind::Integer);
    visit(UserInterface, "Column3Width", s.Column3Width, TKind::Integer);
    visit(UserInterface, "Column4Width", s.Column4Width, TKind::Integer);
    visit(UserInterface, "Column5Width", s.Column5Width, TKind::Integer);
    visit(UserInterface, "V_Expanded", s.V_Expanded, TKind::Boolean);
    visit(UserInterface, "DisplayDueDate", s.DisplayDueDate, TKind::Boolean);
    visit(UserInterface, "DisplayCompletedNotes", s.DisplayCompletedNotes, TKind::Boolean);
    visit(UserInterface, "SortColumn", s.SortColumn, TKind::Integer);
    visit(UserInterface, "SortAscending", s.SortAscending, TKind::Boolean);
    visit(UserInterface, "ViewIcon", s.ViewIcon, TKind::Boolean);
    visit(UserInterface, "Color1", s.Color1, TKind::Integer);
    visit(UserInterface, "Color2", s.Color2, TKind::Integer);
    visit(UserInterface, "Color3", s.Color3, TKind::Integer);
    visit(UserInterface, "Color4", s.Color4, TKind::Integer);
    visit(UserInterface, "Color5", s.Color5, TKind::Integer);
    visit(UserInterface, "DefaultColor", s.DefaultColor, TKind::Integer);
    visit(UserInterface, "DefaultFontName", s.DefaultFontName, TKind::String);
    visit(UserInterface, "DefaultFontSize", s.DefaultFontSize, TKind::Integer);
    visit(UserInterface, "DefaultFontBold", s.DefaultFontBold, TKind::Boolean);
    visit(UserInterface, "DefaultFontItalic", s.DefaultFontItalic, TKind::Boolean);
    visit(UserInterface, "DefaultFontColor", s.DefaultFontColor, TKind::Integer);
    visit(UserInterface, "QuickInputMode", s.QuickInputMode, TKind::Boolean);
    visit(UserInterface, "SoundFileName", s.SoundFileName, TKind::String);
    visit(UserInterface, "SkinDirectoryName", s.SkinDirectoryName, TKind::String);
    visit(UserInterface, "GnomeShortcutsOffered", s.GnomeShortcutsOffered, TKind::Boolean);
    visit(UserInterface, "NotifyWithTray", s.NotifyWithTray, TKind::BooleanIfSet);
    visit(Data, "AutoDeleteFinishedTasks", s.AutoDeleteFinishedTasks, TKind::Boolean);
    visit(Data, "AutoDeleteFinishedTasksDays", s.AutoDeleteFinishedTasksDays, TKind::Integer);
    visit(Data, "AutoDueDate", s.AutoDueDate, TKind::Boolean);
    visit(Data, "AutoDueDateDays", s.AutoDueDateDays, TKind::Integer);
    visit(Data, "AutoReminder", s.AutoReminder, TKind::Boolean);
    visit(Data, "AutoReminderTime", s.AutoReminderTime, TKind::Time);
    visit(Data, "LastBackup", s.LastBackup, TKind::DateTime);
    visit(Sync, "Enabled", s.SyncEnabled, TKind::Boolean);
    visit(Sync, "Url", s.SyncUrl, TKind::String);
    visit(Sync, "User", s.SyncUser, TKind::String);
    visit(Sync, "IntervalMinutes", s.SyncIntervalMinutes, TKind::Integer);
    visit(Sync, "PasswordCommand", s.SyncPasswordCommand, TKind::String);
    visit(Sync, "CaFile", s.SyncCaFile, TKind::String);
}

TUserInfo::TUserInfo(const QString &appDir) : FAppDir(appDir) { InitPlaceDefaults(); }

void TUserInfo::InitPlaceDefaults()
{
    const QSize screen = PrimaryScreenSize();
    const QPoint toolBar = DefaultToolBarPlace(screen);
    ToolBarLeft = toolBar.x();
    ToolBarTop = toolBar.y();
    Left = screen.width() - 420;
    SoundFileName = FAppDir + QStringLiteral("notify.wav");
}

QString TUserInfo::FileName() const { return FAppDir + QStringLiteral("Jotterbox.ini"); }

qint32 &TUserInfo::NoteColor(int number)
{
    static constexpr qint32 TUserInfo::*Colors[] = {
        &TUserInfo::Color1, &TUserInfo::Color2, &TUserInfo::Color3, &TUserInfo::Color4, &TUserInfo::Color5};
    return this->*Colors[std::clamp(number, 1, 5) - 1];
}

qint32 TUserInfo::NoteColor(int number) const { return const_cast<TUserInfo *>(this)->NoteColor(number); }

QPoint TUserInfo::DefaultToolBarPlace(QSize primaryScreen) { return {primaryScreen.width() - 140, 10}; }

QString TUserInfo::SoundFileOrDefault(const QString &chosen) const
{
    const QFileInfo file(chosen);
    if (!chosen.isEmpty() && file.isFile() && file.isReadable())
        return chosen;
    return FAppDir + QStringLiteral("notify.wav");
}

bool TUserInfo::SyncSetUp() const
{
    const TUserInfo defaults;
    return SyncEnabled != defaults.SyncEnabled || SyncUrl != defaults.SyncUrl ||
           SyncUser != defaults.SyncUser || SyncIntervalMinutes != defaults.SyncIntervalMinutes ||
           SyncPasswordCommand != defaults.SyncPasswordCommand || SyncCaFile != defaults.SyncCaFile;
}

void TUserInfo::ApplyDefaults() { *this = TUserInfo(FAppDir); }

void TUserInfo::LoadSettings()
{
    ApplyDefaults();
    TIniFile ini(FileName());
    ini.Load();
    VisitFields(*this, TReader{ini});
    // The stamp names the program that writes the file, not what it read.
    Version = QString::fromLatin1(CurrentVersion);
    KeepShowable();
}

void TUserInfo::KeepShowable()
{
    for (qint32 *place : {&ToolBarLeft, &ToolBarTop, &Left, &Top})
        *place = std::clamp(*place, KMinCoordinate, KMaxCoordinate);
    for (qint32 *size :
         {&Height, &Column0Width, &Column1Width, &Column2Width, &Column3Width, &Column4Width, &Column5Width})
        *size = std::clamp(*size, 0, KMaxCoordinate);
    DefaultFontSize = std::clamp(DefaultFontSize, KMinFontSize, KMaxFontSize);
}

void TUserInfo::SaveSettings() const
{
    TIniFile ini(FileName());
    ini.Load();
    const bool hasSync = ini.Value(Sync, QStringLiteral("Enabled")) || ini.Value(Sync, QStringLiteral("Url"));
    VisitFields(*this, TWriter{ini, hasSync || SyncSetUp()});
    ini.Save();
}
