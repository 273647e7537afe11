#pragma once

#include <QString>
#include <optional>

class TTaskList;

// The title of the list window while it is shrunk to its title bar: every
// tenth tick it shows the next task that is neither finished nor on screen
// as a note; expanded it reads "Jotterbox".
struct TTitleCycling {
    int TitleTick = 0;
    int TitleIndex = 0;

    // One tick. Returns the new title, or nothing when the title stays.
    // Setting TitleTick to -1 first brings the title up to date at once.
    std::optional<QString> Tick(const TTaskList &tasks, bool expanded);
};
