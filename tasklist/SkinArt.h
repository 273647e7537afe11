#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

// The artwork of the skins the program ships. The list window reads a skin
// from 16 bitmaps in <program folder>/skins/<name>/ plus skinname.txt; these
// functions draw those files, so tools/make_skins can write them and a test
// can hold the committed copies to the drawing. The drawing is pixel by pixel
// with a hand-made font: the same on every machine and every Qt version.

// The skins the program ships, by directory name: "1" (the default) and "2".
QStringList ShippedSkinNames();

// The name a shipped skin shows in the options (the first line of its
// skinname.txt); empty for a name that is not shipped.
QString SkinDisplayName(const QString &skin);

// The 16 bitmap names of a skin folder, ends and edges first, then the
// buttons and labels.
QStringList SkinFileNames();

// The picture of one bitmap of a shipped skin, Format_RGB32; a null image for
// an unknown skin or file name.
QImage DrawSkinPart(const QString &skin, const QString &fileName);
