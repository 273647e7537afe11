#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The desktop's shell: open a file or a web address with whatever the user
// chose to handle it, or start another program that outlives this one.
// Neither waits for the outcome; false only when nothing could be started.
bool OpenWithDesktop(const QString &fileOrAddress);
bool StartProgramDetached(const QString &program, const QStringList &arguments = {});

// Tests record the calls instead of opening a browser or starting a
// program; an empty function restores the real one.
void SetDesktopOpener(std::function<bool(const QString &fileOrAddress)> opener);
void SetProgramStarter(std::function<bool(const QString &program, const QStringList &arguments)> starter);
