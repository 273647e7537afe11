#include "notes/TaskSheetMessage.h"

#include <algorithm>
#include <vector>

namespace {
std::vector<TTaskSheetReceiver *> &Receivers()
{
    static std::vector<TTaskSheetReceiver *> receivers;
    return receivers;
}
} // namespace

void RegisterTaskSheetMessage() { Receivers().reserve(16); }

void AddTaskSheetReceiver(TTaskSheetReceiver *receiver)
{
    auto &receivers = Receivers();
    if (std::find(receivers.begin(), receivers.end(), receiver) == receivers.end())
        receivers.push_back(receiver);
}

void RemoveTaskSheetReceiver(TTaskSheetReceiver *receiver) { std::erase(Receivers(), receiver); }

void SendTaskSheetMessage(int code, TTask *task)
{
    // A note may close, or a new one open, while handling the message.
    const std::vector<TTaskSheetReceiver *> snapshot = Receivers();
    for (TTaskSheetReceiver *receiver : snapshot) {
        const auto &live = Receivers();
        if (std::find(live.begin(), live.end(), receiver) != live.end())
            receiver->TaskSheetMessage(code, task);
    }
}
