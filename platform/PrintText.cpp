#include "platform/PrintText.h"

#include "base/JbxError.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <memory>
#include <vector>

namespace {

// Fonts of notes are normally sized in points; a pixel-sized one would come
// out in printer pixels, a fraction of its size. Convert at the usual
// 96 dpi of the screen it was chosen on.
QFont PrintableFont(const QFont &font)
{
    QFont result = font;
    if (result.pointSizeF() <= 0 && result.pixelSize() > 0)
        result.setPointSizeF(result.pixelSize() * 72.0 / 96.0);
    return result;
}

// The paragraphs of the text: LF and CR LF end a line, and so does a lone
// CR (old Mac files) rather than printing as a stray glyph. A final line
// break does not start another, empty line.
QStringList Paragraphs(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList paragraphs = text.split(QLatin1Char('\n'));
    if (paragraphs.size() > 1 && paragraphs.constLast().isEmpty())
        paragraphs.removeLast();
    return paragraphs;
}

// One printed line: which paragraph, which of its lines, how far down the
// page its top is.
struct TPlacedLine {
    const QTextLayout *Layout;
    int Line;
    qreal Top;
    bool Bullet; // the first line of a bulleted paragraph
};

// The pages to print, 0-based, in printing order: the dialog's page range
// and order, and the copies when the printer cannot make them itself.
std::vector<int> PageSequence(const QPrinter &printer, int pageCount)
{
    int first = 0;
    int last = pageCount - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::min(printer.fromPage(), pageCount) - 1;
        last = std::clamp(printer.toPage() > 0 ? printer.toPage() : pageCount, first + 1, pageCount) - 1;
    }
    std::vector<int> pages;
    for (int page = first; page <= last; ++page)
        pages.push_back(page);
    if (printer.pageOrder() == QPrinter::LastPageFirst)
        std::reverse(pages.begin(), pages.end());

    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    std::vector<int> sequence;
    if (printer.collateCopies()) {
        for (int copy = 0; copy < copies; ++copy)
            sequence.insert(sequence.end(), pages.begin(), pages.end());
    } else {
        for (int page : pages)
            sequence.insert(sequence.end(), copies, page);
    }
    return sequence;
}

} // namespace

void PrintPlainText(QPrinter &printer, const QString &text, const QFont &font, const QString &jobTitle,
                    bool bullets)
{
    printer.setDocName(jobTitle);
    QPainter painter;
    if (!painter.begin(&printer))
        throw EJbxError(
            QCoreApplication::translate("PrintText", "Unable to print: the printer could not be opened."));

    // The painter's origin is the corner of the printable area; the text
    // keeps half an inch from it on every side.
    const int marginX = printer.logicalDpiX() / 2;
    const int marginY = printer.logicalDpiY() / 2;
    const QSizeF body(std::max(1, printer.width() - 2 * marginX),
                      std::max(1, printer.height() - 2 * marginY));

    // Laid out against the printer itself, so point sizes come out right at
    // its resolution. The pages are filled here rather than by
    // QTextDocument: its print() adds margins and page numbers of its own,
    // and drawing its pages as clipped slices leaves the clipped-off lines
    // in the PDF's text. Each line is drawn once, on its own page.
    const QFont printFont = PrintableFont(font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Eight characters, as on screen; Qt's default distance is in device
    // pixels, a sliver at printer resolution.
    option.setTabStopDistance(8 * QFontMetricsF(printFont, &printer).horizontalAdvance(QLatin1Char(' ')));

    // Bulleted paragraphs hang a quarter inch in, the bullet in the gap.
    const int indent = bullets ? printer.logicalDpiX() / 4 : 0;
    const qreal lineWidth = std::max<qreal>(1, body.width() - indent);
    QTextLayout bullet(QStringLiteral("\u2022"), printFont, &printer);
    bullet.beginLayout();
    bullet.createLine();
    bullet.endLayout();

    std::vector<std::unique_ptr<QTextLayout>> layouts;
    std::vector<std::vector<TPlacedLine>> pages(1);
    qreal top = 0;
    for (const QString &paragraph : Paragraphs(text)) {
        auto &layout = layouts.emplace_back(std::make_unique<QTextLayout>(paragraph, printFont, &printer));
        layout->setTextOption(option);
        layout->beginLayout();
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLeadingIncluded(true);
            line.setLineWidth(lineWidth);
            line.setPosition(QPointF(0, 0));
            // A line that does not fit goes whole to the next page; a page
            // takes at least one line, however tall.
            if (top > 0 && top + line.height() > body.height()) {
                pages.emplace_back();
                top = 0;
            }
            pages.back().push_back({layout.get(), line.lineNumber(), top, bullets && line.lineNumber() == 0});
            top += line.height();
        }
        layout->endLayout();
    }

    bool firstPage = true;
    for (int page : PageSequence(printer, int(pages.size()))) {
        if (!firstPage)
            printer.newPage();
        firstPage = false;
        for (const TPlacedLine &placed : pages[page]) {
            placed.Layout->lineAt(placed.Line)
                .draw(&painter, QPointF(marginX + indent, marginY + placed.Top));
            if (placed.Bullet)
                bullet.lineAt(0).draw(&painter, QPointF(marginX, marginY + placed.Top));
        }
    }
    painter.end();
}
