#include "notes/NoteEvents.h"

TNoteEvents &TNoteEvents::Instance()
{
    static TNoteEvents events;
    return events;
}
