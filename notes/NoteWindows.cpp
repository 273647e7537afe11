#include "notes/NoteWindows.h"

#include "model/TTask.h"
#include "notes/TaskSheetMessage.h"

namespace {
TNoteCreator &Creator()
{
    static TNoteCreator creator;
    return creator;
}
} // namespace

void SetNoteCreator(TNoteCreator creator) { Creator() = std::move(creator); }

void CreateNoteWindow(TTask *task)
{
    if (Creator())
        Creator()(task);
}

void OpenNoteForTask(TTask *task)
{
    SendTaskSheetMessage(TaskSheetShow, task);
    if (!task->NoteOpen)
        CreateNoteWindow(task);
}
