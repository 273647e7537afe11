#pragma once

#include <QString>

// Runs the user's password command (`sh -c COMMAND`, the convention of
// vdirsyncer, msmtp and aerc) and answers the first line it prints. False,
// with a reason that never holds the output, when it fails, prints nothing,
// or runs past `timeoutMs` (it is killed then).
bool RunPasswordCommand(const QString &command, QString &password, QString &error, int timeoutMs = 15000);
