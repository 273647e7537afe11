#include "platform/AbruptEnd.h"

#include <cstdlib>
#include <unistd.h>

namespace {
std::function<bool()> &Handler()
{
    static std::function<bool()> handler;
    return handler;
}

void RunAbruptEnd()
{
    // Armed more than once, it acts at the first call only.
    static bool ran = false;
    if (ran)
        return;
    ran = true;
    if (Handler() && Handler()())
        _exit(EXIT_FAILURE);
}
} // namespace

void SetAbruptEndHandler(std::function<bool()> handler) { Handler() = std::move(handler); }

void ArmAbruptEnd() { std::atexit(RunAbruptEnd); }
