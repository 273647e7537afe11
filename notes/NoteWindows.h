#pragma once

#include <functional>

class TTask;

// The one place that creates note windows. The note window installs its
// creator here; until one is installed (and in tests that install their
// own) no note window can be made.
using TNoteCreator = std::function<void(TTask *task)>;
void SetNoteCreator(TNoteCreator creator);

// Creates a note window for the task and shows it.
void CreateNoteWindow(TTask *task);

// Brings up the note of a task: an open note shows itself; a task with no
// open note gets a new window.
void OpenNoteForTask(TTask *task);
