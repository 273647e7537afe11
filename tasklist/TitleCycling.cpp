#include "tasklist/TitleCycling.h"

#include "model/TTask.h"
#include "model/TTaskList.h"
#include "tasklist/ListRules.h"

std::optional<QString> TTitleCycling::Tick(const TTaskList &tasks, bool expanded)
{
    const QString plain = QStringLiteral("Jotterbox");
    // The remainder, not the modulus: -1 gives 0.
    TitleTick = (TitleTick + 1) % 10;
    if (TitleTick > 0)
        return std::nullopt;
    if (expanded)
        return plain;
    const int count = tasks.Count();
    if (count == 0)
        return std::nullopt;

    auto qualifies = [&](int index) {
        const TTask *task = tasks.Tasks()[size_t(index)];
        return !task->Finished && !task->NoteOpen;
    };
    // One full pass at most, from the task after the last one shown; an
    // index left beyond the end (tasks were removed) starts over at 0.
    int index = TitleIndex;
    for (int step = 0; step < count; ++step) {
        index = (index + 1 >= count || index + 1 < 0) ? 0 : index + 1;
        if (qualifies(index))
            break;
    }
    if (!qualifies(index))
        return plain;
    TitleIndex = index;
    return SubjectText(*tasks.Tasks()[size_t(index)]);
}
