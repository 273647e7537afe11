#include "platform/CommandLine.h"

#include "settings/TUserInfo.h"

#include <algorithm>
#include <iterator>

namespace {
struct TOption {
    const char *Name;
    TCommandLine::TKind Kind;
    const char *Help;
};

// Every option the program knows; --help lists them in this order.
constexpr TOption Options[] = {
    {"new-note", TCommandLine::Remote, "open a new note (as Ctrl+Alt+N)"},
    {"toggle-list", TCommandLine::Remote, "show the task list, or hide it when it is up (as Ctrl+Alt+L)"},
    {"show-list", TCommandLine::Remote, "show the task list and bring it to the front; never hides it"},
    {"options", TCommandLine::Remote, "open the options"},
    {"sync-now", TCommandLine::Remote, "sync the tasks with the server now, when sync is set up"},
    {"exit", TCommandLine::Remote, "end Jotterbox as its Exit command does, saving everything"},
    {"install-desktop", TCommandLine::Local, "add Jotterbox to the desktop's menu, with its icons, and end"},
    {"uninstall-desktop", TCommandLine::Local, "remove what --install-desktop added, and end"},
    {"help", TCommandLine::Local, "print this help and end"},
    {"version", TCommandLine::Local, "print the version and end"},
};

const TOption *FindOption(const QString &name)
{
    const auto found = std::find_if(std::begin(Options), std::end(Options), [&name](const TOption &option) {
        return name == QLatin1String(option.Name);
    });
    return found == std::end(Options) ? nullptr : found;
}

TCommandLine Invalid(const QString &why)
{
    TCommandLine line;
    line.Kind = TCommandLine::Invalid;
    line.Error = why;
    return line;
}
} // namespace

TCommandLine ParseCommandLine(const QStringList &arguments)
{
    TCommandLine line;
    for (const QString &argument : arguments) {
        if (!argument.startsWith(QLatin1String("--")) || argument.size() == 2)
            return Invalid(QStringLiteral("unexpected argument '%1'").arg(argument));
        const QString word = argument.mid(2);
        const qsizetype equals = word.indexOf(u'=');
        const TOption *option = FindOption(equals < 0 ? word : word.left(equals));
        if (!option)
            return Invalid(QStringLiteral("unknown option '%1'").arg(argument));
        if (equals >= 0)
            return Invalid(QStringLiteral("option '--%1' takes no value").arg(QLatin1String(option->Name)));
        if (line.Kind != TCommandLine::Start)
            return Invalid(
                QStringLiteral("one option at a time: '--%1' and '%2'").arg(line.Command, argument));
        line.Kind = option->Kind;
        line.Command = QLatin1String(option->Name);
    }
    return line;
}

bool IsRemoteCommand(const QString &name)
{
    const TOption *option = FindOption(name);
    return option && option->Kind == TCommandLine::Remote;
}

QString CommandLineHelp()
{
    qsizetype width = 0;
    for (const TOption &option : Options)
        width = std::max(width, qsizetype(qstrlen(option.Name)));
    QString text =
        QStringLiteral("Usage: Jotterbox [OPTION]\n"
                       "Keeps your tasks and shows them as sticky notes on the desktop.\n"
                       "Without an option it starts, unless it is running already. A command goes to\n"
                       "the Jotterbox that is running; with none running, Jotterbox starts and then\n"
                       "obeys it (--exit then does nothing).\n\n");
    for (const TOption &option : Options)
        text += QStringLiteral("  --%1  %2\n")
                    .arg(QLatin1String(option.Name), -int(width))
                    .arg(QLatin1String(option.Help));
    return text;
}

QString VersionText()
{
    return QStringLiteral("Jotterbox %1\n").arg(QLatin1String(TUserInfo::CurrentVersion));
}
