#pragma once

#include <QString>
#include <QStringList>

// The program in the desktop's menu and among the programs started at
// login, by the XDG rules: a desktop entry (and the icons) under the user's
// data folder, an entry in the autostart folder. Each entry points at the
// executable of the program folder it was made from.
namespace DesktopEntry {

// Where the user's files go: XDG_DATA_HOME and XDG_CONFIG_HOME, or their
// defaults under the home folder.
struct TPlaces {
    QString DataHome;   // ~/.local/share
    QString ConfigHome; // ~/.config
    static TPlaces User();
};

// The executable as an Exec value: quoted where the rules want it, with
// the characters they reserve escaped.
QString ExecValue(const QString &executable);
// The text of the menu entry (autostart = false) or of the autostart entry.
QString EntryText(const QString &executable, bool autostart);

// The files Install writes, as full paths: the menu entry first, then the
// icons.
QStringList InstalledFiles(const TPlaces &places);
QString AutostartFile(const TPlaces &places);

// Writes the menu entry for `appDir`'s executable and copies the icons of
// `appDir`/icons; empty, or what failed (nothing half-written stays).
QString Install(const QString &appDir, const TPlaces &places);
// Removes exactly the files Install writes, where they are; empty, or what
// could not be removed.
QString Uninstall(const TPlaces &places);

// Start at login: the state is the autostart entry's presence.
bool AutostartEnabled(const TPlaces &places);
// Writes (for `appDir`'s executable) or removes the autostart entry;
// empty, or what failed.
QString SetAutostart(bool enabled, const QString &appDir, const TPlaces &places);

} // namespace DesktopEntry
