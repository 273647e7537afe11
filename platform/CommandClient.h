#pragma once

#include <QString>

// How a command sent to the running instance fared.
enum class TCommandSent {
    Delivered,  // the instance took it
    NoListener, // no socket there, or nothing listening on it (yet)
    Unknown,    // the instance does not know this command
    Foreign,    // the socket is another user's: nothing was sent
    NoAnswer,   // connected, but no answer in time
};

// Sends one command (an option's name without dashes) to the instance
// listening at `path` and waits up to `timeoutMs` for its answer. Plain
// system calls: it runs before the application object exists.
TCommandSent SendCommand(const QString &path, const QString &name, int timeoutMs);
// Whether an instance of this user listens at `path`, without sending it
// anything.
bool CommandsReach(const QString &path);
