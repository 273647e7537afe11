#pragma once

#include <QPixmap>

// The list window's own small pictures, drawn rather than shipped, on a
// transparent background.
enum class TListPicture {
    Checked,      // grey box with a tick: a finished task
    Unchecked,    // grey empty box
    Ring,         // grey bell: a reminder is set
    HighPriority, // red exclamation mark
    LowPriority,  // blue arrow pointing down
    CheckedBlack, // the black ones head the columns
    RingBlack,
    Priority,
};

// 16 x 16.
QPixmap ListPicture(TListPicture which);
// 32 x 32: a tilted yellow note with a few lines of writing, for the view
// with large icons.
QPixmap LargeNoteIcon();
// 16 x 16: the same note, small, for the title bar.
QPixmap ListIconPicture();
// 19 x 19: a grey-blue button with a question mark.
QPixmap HelpButtonPicture();
