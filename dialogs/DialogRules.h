#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// The rules of the options, tip and about dialogs that need no window.

// The lines of a text file: a line ends at CR, at LF or at CR LF; a final
// line break adds no empty line; blank lines are lines like any other.
QStringList SplitLines(const QString &text);

// The tips in the text file at `path`, one per line (SplitLines), decoded
// as UTF-8 where valid and as Windows-1252 otherwise. Only a plain file is
// read, and of it only the first MaxTipsBytes: the tips are read at every
// start, shown or not, and a folder, a pipe or a huge file in their place
// must not hold up or swell the program. No tips when it cannot be read.
inline constexpr qint64 MaxTipsBytes = 1 << 20;
QStringList ReadTips(const QString &path);

// The index of the tip to show for the stored index `nextTip`, which is
// then stored as that index + 1. Past the end starts again at the first; a
// negative index, which only a hand-edited settings file holds, does too.
// -1 when there are no tips.
int TipToShow(qint32 nextTip, qsizetype count);

// Where the about box goes at its second and later showings: centred
// across `screen`, its top a fifth of the way down.
QPoint AboutBoxPlace(const QRect &screen, const QSize &frame);

// The entries of the skins folder that may be skins, by name: every
// sub-folder and file but the hidden ones.
QStringList SkinEntries(const QString &skinsDirectory);

// The first line of a skin's skinname.txt: the name the options list shows.
// Fails (EJbxError) when the file cannot be read.
QString ReadSkinName(const QString &fileName);
