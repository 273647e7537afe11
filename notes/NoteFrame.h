#pragma once

#include "platform/TWindowDrag.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <Qt>

// The rules of a note's frame that need no window: where a press moves or
// sizes the note, the title bar's colour, the rolled-up width, and bringing
// a lost note back into sight.

inline constexpr int NoteTitleHeight = 18;
inline constexpr int NoteMinWidth = 200;
inline constexpr int NoteMinHeight = 140;
inline constexpr int NoteGrip = 4; // the band along the edges that sizes the note

// The three parts of a note that answer the mouse.
enum class TNotePart { Title, TitleLabel, Client };

using TNoteZone = TDragZone;

// What a press at `point` of a part of `size` does, and the cursor shown
// there. A rolled-up note only moves.
TNoteZone NoteHitZone(TNotePart part, QPoint point, QSize size, bool rolledUp);

// The title bar: each byte of the note colour c becomes (c div 5) * 4.
qint32 TitleColorOf(qint32 noteColor);

// A rolled-up note is as wide as its subject plus room for the pictures.
int RolledUpWidth(int labelWidth);
// ... but no wider than `widest` (the note's own width, or the screen's if
// that is narrower): a longer subject is cut short with an ellipsis.
int RolledUpWidth(int labelWidth, int widest);
// The room the subject has in a rolled-up note `width` wide.
int RolledUpLabelRoom(int width);

// Where a note with the stored rectangle should stand: where it is when any
// part of it shows on a screen, otherwise (a monitor was removed) near the
// top left of the primary screen's free area, so it is never lost.
QPoint NotePlaceOnScreen(const QRect &stored, const QList<QRect> &screens, const QRect &primaryAvailable);
