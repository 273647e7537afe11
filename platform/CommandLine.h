#pragma once

#include <QString>
#include <QStringList>

// What the words after the program's name ask for. Options are the long
// ones alone, one at a time, without a value.
struct TCommandLine {
    enum TKind {
        Start,   // nothing asked: start, or leave the running instance alone
        Remote,  // a command for the running instance, or for this one once it is up
        Local,   // done by this process alone, which then ends (help, version)
        Invalid, // Error says why; nothing starts and the process ends with 2
    };
    TKind Kind = Start;
    QString Command; // the option's name without its dashes, as "new-note"
    QString Error;
};

// `arguments` without the program's own name.
TCommandLine ParseCommandLine(const QStringList &arguments);
// Whether `name` (without dashes) is a command a running instance obeys: what
// arrives over the command socket is checked against this.
bool IsRemoteCommand(const QString &name);
// The text of --help: every option with what it does.
QString CommandLineHelp();
// The text of --version.
QString VersionText();
