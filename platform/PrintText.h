#pragma once

#include <QString>

class QFont;
class QPrinter;

// Prints plain text (lines separated by LF or CR LF) in `font`, word-wrapped
// inside half-inch margins of the printer's printable area, over as many
// pages as it takes; no header, footer or page numbers. The print job is
// named `jobTitle`. Honours the page range, page order and copies chosen in
// the print dialog. With `bullets`, every paragraph is a bulleted item.
// Throws EJbxError when the printer cannot be opened.
void PrintPlainText(QPrinter &printer, const QString &text, const QFont &font, const QString &jobTitle,
                    bool bullets = false);
