#pragma once

#include "platform/TWindowDrag.h"

#include <QPoint>
#include <QRect>
#include <QSize>

// The skinned frame of the list window as plain rules: where its parts go
// and what a press on each does.

inline constexpr int ListTitleHeight = 30;
// The frame's width beside the list: the left edge, 7, and the right, 8.
inline constexpr int ListFrameWidth = 15;
// The window is this much wider than the sum of the list's columns.
inline constexpr int ListWidthExtra = 15;
// A shrunk window is its Subject column plus this.
inline constexpr int ShrunkWidthExtra = 35;

// The parts of the frame that answer the mouse.
enum class TListPart {
    TopLeft,
    TopRight,
    TopMid,
    TitleLabel, // the title label and the icon
    LeftMid,
    RightMid, // the right edge and its top piece
    BottomMid,
    BottomLeft,
    BottomRight,
    Search,
    Client, // the client panel's own surface
};

// What a press at `point` of a part of `size` does. `bottomHeight` is the
// bottom-left corner's height, by which the bottom-right corner measures
// its bottom zone too.
TDragZone ListHitZone(TListPart part, QPoint point, QSize size, bool expanded, int bottomHeight);

// Where the controls go for a client area of width w and height h (the
// window's height less the title bar): relative to the client area, the
// title buttons relative to the title bar.
struct TListLayout {
    QRect ListPanel;
    QPoint RightTop;
    QPoint BottomLeft;
    QPoint BottomRight;
    QPoint Search;
    QRect SearchBox;
    QRect NewButton;
    QRect DelButton;
    QRect HelpButton;
    QRect ShrinkButton;
    QRect CloseButton;
};
TListLayout ListLayout(int w, int h);

// Pulls a window of `size` at `place` back onto a screen of `screen` where
// it runs past the right or bottom edge (the bottom keeps 30 pixels clear);
// past the left or top edge it stays.
QPoint PulledOnScreen(QPoint place, QSize size, QSize screen);
