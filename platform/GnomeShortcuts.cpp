#include "platform/GnomeShortcuts.h"

#include "base/JbxError.h"
#include "model/UnitGlobalProc.h"
#include "platform/Dialogs.h"
#include "settings/TUserInfo.h"

#include <QCoreApplication>
#include <QProcess>
#include <algorithm>

namespace {
const QString KSchema = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys");
const QString KListKey = QStringLiteral("custom-keybindings");
const QString KShortcutSchema =
    QStringLiteral("org.gnome.settings-daemon.plugins.media-keys.custom-keybinding");
const QString KFolder = QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/");
constexpr int KToolWaitMs = 10000;

// Runs gsettings with `arguments`; its output, or nothing with `error` set.
std::optional<QString> GSettings(const QStringList &arguments, QString *error)
{
    QProcess tool;
    tool.start(QStringLiteral("gsettings"), arguments);
    if (!tool.waitForStarted(KToolWaitMs)) {
        *error = QStringLiteral("gsettings could not be started: %1").arg(tool.errorString());
        return std::nullopt;
    }
    tool.closeWriteChannel();
    if (!tool.waitForFinished(KToolWaitMs)) {
        tool.kill();
        tool.waitForFinished();
        *error = QStringLiteral("gsettings did not finish: %1").arg(arguments.join(u' '));
        return std::nullopt;
    }
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
        *error =
            QStringLiteral("gsettings %1 failed: %2")
                .arg(arguments.join(u' '), QString::fromLocal8Bit(tool.readAllStandardError()).trimmed());
        return std::nullopt;
    }
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

bool IsShellSafe(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           QStringView(u"_-./+:,=@%").contains(c);
}
} // namespace

QList<TCustomShortcut> JotterboxShortcuts(const QString &executable)
{
    const QString program = ShellQuote(executable);
    return {
        {KFolder + QStringLiteral("jotterbox-new-note/"), QStringLiteral("Jotterbox: new note"),
         program + QStringLiteral(" --new-note"), QStringLiteral("<Control><Alt>n")},
        {KFolder + QStringLiteral("jotterbox-toggle-list/"),
         QStringLiteral("Jotterbox: show or hide the list"), program + QStringLiteral(" --toggle-list"),
         QStringLiteral("<Control><Alt>l")},
    };
}

QString ShellQuote(const QString &text)
{
    if (!text.isEmpty() && std::all_of(text.begin(), text.end(), IsShellSafe))
        return text;
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

QString GVariantString(const QString &text)
{
    QString quoted = text;
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'\'', QStringLiteral("\\'"));
    return u'\'' + quoted + u'\'';
}

std::optional<QStringList> ParseGVariantStrings(const QString &text)
{
    QString rest = text.trimmed();
    if (rest.startsWith(QLatin1String("@as")))
        rest = rest.mid(3).trimmed();
    if (!rest.startsWith(u'[') || !rest.endsWith(u']'))
        return std::nullopt;
    QStringList strings;
    int i = 1;
    const int end = rest.size() - 1;
    auto skipSpace = [&] {
        while (i < end && rest[i].isSpace())
            ++i;
    };
    skipSpace();
    while (i < end) {
        const QChar quote = rest[i];
        if (quote != u'\'' && quote != u'"')
            return std::nullopt;
        QString value;
        for (++i;; ++i) {
            if (i >= end)
                return std::nullopt; // unterminated
            if (rest[i] == quote)
                break;
            if (rest[i] == u'\\' && i + 1 < end)
                ++i;
            value += rest[i];
        }
        ++i;
        strings << value;
        skipSpace();
        if (i < end) {
            if (rest[i] != u',')
                return std::nullopt;
            ++i;
            skipSpace();
            if (i >= end)
                return std::nullopt; // a comma with nothing after it
        }
    }
    return strings;
}

QString FormatGVariantStrings(const QStringList &strings)
{
    QStringList quoted;
    for (const QString &s : strings)
        quoted << GVariantString(s);
    return u'[' + quoted.join(QStringLiteral(", ")) + u']';
}

bool AddGnomeShortcuts(const QList<TCustomShortcut> &shortcuts, QString *error)
{
    const std::optional<QString> listed = GSettings({QStringLiteral("get"), KSchema, KListKey}, error);
    if (!listed)
        return false;
    std::optional<QStringList> paths = ParseGVariantStrings(*listed);
    if (!paths) {
        *error = QStringLiteral("GNOME's list of custom shortcuts reads \"%1\"").arg(*listed);
        return false;
    }
    // Each shortcut is complete before the list names it: GNOME never sees
    // a half-written one.
    for (const TCustomShortcut &shortcut : shortcuts) {
        const QString schema = KShortcutSchema + u':' + shortcut.Path;
        const std::pair<QString, QString> values[] = {{QStringLiteral("name"), shortcut.Name},
                                                      {QStringLiteral("command"), shortcut.Command},
                                                      {QStringLiteral("binding"), shortcut.Binding}};
        for (const auto &[key, value] : values)
            if (!GSettings({QStringLiteral("set"), schema, key, GVariantString(value)}, error))
                return false;
        if (!paths->contains(shortcut.Path))
            *paths << shortcut.Path;
    }
    return GSettings({QStringLiteral("set"), KSchema, KListKey, FormatGVariantStrings(*paths)}, error)
        .has_value();
}

bool OfferGnomeShortcutsOnce(TUserInfo &info, const QString &executable)
{
    if (info.GnomeShortcutsOffered)
        return false;
    const bool yes = Dialogs().YesNo(
        QCoreApplication::translate("GnomeShortcuts", "Jotterbox"),
        QCoreApplication::translate("GnomeShortcuts",
                                    "GNOME does not let programs have global hot keys of their own.\n\n"
                                    "Add Ctrl+Alt+N (new note) and Ctrl+Alt+L (show or hide the list) to "
                                    "GNOME's keyboard shortcuts? You can change or remove them later in "
                                    "Settings, Keyboard, Keyboard Shortcuts, Custom Shortcuts."));
    info.GnomeShortcutsOffered = true;
    try {
        info.SaveSettings();
    } catch (const EJbxError &e) {
        WriteDebugLog(e.Message());
    }
    if (!yes)
        return false;
    QString error;
    if (!AddGnomeShortcuts(JotterboxShortcuts(executable), &error)) {
        const QString line = QStringLiteral("Adding GNOME keyboard shortcuts failed: %1").arg(error);
        WriteDebugLog(line);
        qWarning("%s", qPrintable(line));
        Dialogs().ErrorBox(
            QCoreApplication::translate(
                "GnomeShortcuts", "The keyboard shortcuts could not be added to GNOME's settings.\n\n%1")
                .arg(error));
        return false;
    }
    return true;
}
