#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class TUserInfo;

// GNOME on Wayland gives no program global keys; its settings daemon runs
// commands bound to keys of the user's choosing ("custom shortcuts" under
// org.gnome.settings-daemon.plugins.media-keys). These helpers write such
// shortcuts through the `gsettings` tool, so whichever settings backend the
// session uses gets them.

struct TCustomShortcut {
    QString Path;    // the dconf folder of this shortcut, ending in '/'
    QString Name;    // what GNOME's keyboard settings list
    QString Command; // a command line, parsed by GNOME as a shell would
    QString Binding; // in GTK's accelerator form: "<Control><Alt>n"
};

// The program's two: a new note and showing or hiding the list, each
// running `executable` with the option of the same name.
QList<TCustomShortcut> JotterboxShortcuts(const QString &executable);

// `text` as one word for a POSIX shell (and GLib's shell parser).
QString ShellQuote(const QString &text);
// `text` as a GVariant string literal, as gsettings reads values.
QString GVariantString(const QString &text);
// An array of strings as gsettings prints it ("@as []", "['a', 'b']");
// nothing when the text is no such array.
std::optional<QStringList> ParseGVariantStrings(const QString &text);
QString FormatGVariantStrings(const QStringList &strings);

// Writes each shortcut (replacing one at the same path, so a moved program
// folder gets its new path) and adds it to the list of custom shortcuts,
// keeping the user's own. False with `error` set when gsettings is missing,
// the schema is not installed or a write fails.
bool AddGnomeShortcuts(const QList<TCustomShortcut> &shortcuts, QString *error);

// Asks the user once, ever, whether to add the program's shortcuts to
// GNOME's settings; the answer is remembered in `info` (and saved at once).
// Returns whether the shortcuts were added now.
bool OfferGnomeShortcutsOnce(TUserInfo &info, const QString &executable);
