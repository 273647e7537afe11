#include "platform/DesktopEntry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

namespace DesktopEntry {

namespace {
const QString KName = QStringLiteral("Jotterbox");
constexpr int KIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Icons under the program folder and under the user's icon theme, each the
// same picture: (source relative to the program folder, target relative to
// the theme).
QList<std::pair<QString, QString>> Icons()
{
    QList<std::pair<QString, QString>> icons;
    for (const int size : KIconSizes) {
        const QString folder = QStringLiteral("%1x%1").arg(size);
        icons.append({QStringLiteral("icons/%1/%2.png").arg(folder, KName),
                      QStringLiteral("%1/apps/%2.png").arg(folder, KName)});
    }
    icons.append({QStringLiteral("icons/scalable/%1.svg").arg(KName),
                  QStringLiteral("scalable/apps/%1.svg").arg(KName)});
    return icons;
}

QString MenuFile(const TPlaces &places)
{
    return places.DataHome + QStringLiteral("/applications/") + KName + QStringLiteral(".desktop");
}

QString ThemeFolder(const TPlaces &places) { return places.DataHome + QStringLiteral("/icons/hicolor/"); }

QString Executable(const QString &appDir) { return QDir(appDir).absoluteFilePath(KName); }

// Written whole or not at all.
QString WriteFile(const QString &path, const QByteArray &bytes)
{
    if (!QDir().mkpath(QFileInfo(path).path()))
        return QCoreApplication::translate("DesktopEntry", "cannot make the folder of %1").arg(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QCoreApplication::translate("DesktopEntry", "cannot write %1: %2")
            .arg(path, file.errorString());
    return {};
}

QString RemoveFile(const QString &path)
{
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return {};
    return QFile::remove(path) ? QString()
                               : QCoreApplication::translate("DesktopEntry", "cannot remove %1").arg(path);
}

QString UserFolder(const char *variable, const QString &fallback)
{
    const QString value = qEnvironmentVariable(variable);
    // The rules take only absolute paths; anything else means the default.
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QDir::homePath() + fallback;
}
} // namespace

TPlaces TPlaces::User()
{
    return {UserFolder("XDG_DATA_HOME", QStringLiteral("/.local/share")),
            UserFolder("XDG_CONFIG_HOME", QStringLiteral("/.config"))};
}

QString ExecValue(const QString &executable)
{
    // Inside quotes the Exec rules escape " ` $ and \ with a backslash;
    // the string rules of the file then double every backslash. A field
    // code character is doubled everywhere.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool quote =
        std::any_of(executable.begin(), executable.end(), [](QChar c) { return reserved.contains(c); });
    QString value;
    for (const QChar c : executable) {
        if (c == u'%')
            value += QStringLiteral("%%");
        else if (quote && (c == u'"' || c == u'`' || c == u'$' || c == u'\\'))
            value += QStringLiteral("\\\\") + (c == u'\\' ? QStringLiteral("\\\\") : QString(c));
        else if (c == u'\n')
            value += QStringLiteral("\\n");
        else
            value += c;
    }
    return quote ? u'"' + value + u'"' : value;
}

QString EntryText(const QString &executable, bool autostart)
{
    // GLib looks for the program named by the Exec value before it undoes
    // the "%%" there, finds none and will not launch the entry at all; a
    // program it finds ("env") starting ours keeps the path as the rules
    // want it.
    const QString exec =
        (executable.contains(u'%') ? QStringLiteral("env ") : QString()) + ExecValue(executable);
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Jotterbox\n"
                                  "GenericName=Sticky Notes\n"
                                  "Comment=Keep your tasks as sticky notes on the desktop, with reminders\n"
                                  "Exec=%1\n"
                                  "Icon=Jotterbox\n"
                                  "Terminal=false\n"
                                  "StartupNotify=false\n")
                       .arg(exec);
    if (autostart)
        return text + QStringLiteral("NoDisplay=true\nX-GNOME-Autostart-enabled=true\n");
    return text +
           QStringLiteral("Categories=Utility;\n"
                          "Keywords=notes;sticky;tasks;to-do;reminder;\n"
                          "Actions=new-note;show-list;options;\n"
                          "\n[Desktop Action new-note]\nName=New Note\nExec=%1 --new-note\n"
                          "\n[Desktop Action show-list]\nName=Show the Task List\nExec=%1 --show-list\n"
                          "\n[Desktop Action options]\nName=Options\nExec=%1 --options\n")
               .arg(exec);
}

QStringList InstalledFiles(const TPlaces &places)
{
    QStringList files{MenuFile(places)};
    for (const auto &[source, target] : Icons())
        files << ThemeFolder(places) + target;
    return files;
}

QString AutostartFile(const TPlaces &places)
{
    return places.ConfigHome + QStringLiteral("/autostart/") + KName + QStringLiteral(".desktop");
}

QString Install(const QString &appDir, const TPlaces &places)
{
    // Every icon read first: a folder without them writes nothing.
    QList<std::pair<QString, QByteArray>> writes;
    for (const auto &[source, target] : Icons()) {
        QFile icon(QDir(appDir).filePath(source));
        if (!icon.open(QIODevice::ReadOnly))
            return QCoreApplication::translate("DesktopEntry", "cannot read %1: %2")
                .arg(icon.fileName(), icon.errorString());
        writes.append({ThemeFolder(places) + target, icon.readAll()});
    }
    writes.prepend({MenuFile(places), EntryText(Executable(appDir), false).toUtf8()});
    for (const auto &[path, bytes] : writes)
        if (const QString error = WriteFile(path, bytes); !error.isEmpty()) {
            Uninstall(places);
            return error;
        }
    return {};
}

QString Uninstall(const TPlaces &places)
{
    QStringList errors;
    for (const QString &path : InstalledFiles(places))
        if (const QString error = RemoveFile(path); !error.isEmpty())
            errors << error;
    return errors.join(u'\n');
}

bool AutostartEnabled(const TPlaces &places) { return QFileInfo::exists(AutostartFile(places)); }

QString SetAutostart(bool enabled, const QString &appDir, const TPlaces &places)
{
    if (!enabled)
        return RemoveFile(AutostartFile(places));
    return WriteFile(AutostartFile(places), EntryText(Executable(appDir), true).toUtf8());
}

} // namespace DesktopEntry
