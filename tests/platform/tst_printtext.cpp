#include "base/JbxError.h"
#include "platform/PrintText.h"

#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <map>

// Prints to PDF and reads the result back with poppler's tools: the words
// with their boxes (in points, origin top left) per page.
namespace {

struct TWord {
    QString Text;
    QRectF Box;
};

struct TPage {
    QSizeF Size;
    QList<TWord> Words;
};

constexpr double KHalfInch = 36.0;
// pdftotext measures word boxes from the font's ascent and descent, and the
// layout rounds to device pixels: a couple of points either way.
constexpr double KTolerance = 2.5;

QString Run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

QList<TPage> ReadPages(const QString &pdf)
{
    const QString html =
        Run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression pageRe(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"));
    static const QRegularExpression wordRe(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<TPage> pages;
    for (const QString &chunk : html.split(QStringLiteral("<page "))) {
        const auto page = pageRe.match(QStringLiteral("<page ") + chunk);
        if (!page.hasMatch())
            continue;
        TPage result{QSizeF(page.captured(1).toDouble(), page.captured(2).toDouble()), {}};
        for (auto it = wordRe.globalMatch(chunk); it.hasNext();) {
            const auto word = it.next();
            const QPointF topLeft(word.captured(1).toDouble(), word.captured(2).toDouble());
            const QPointF bottomRight(word.captured(3).toDouble(), word.captured(4).toDouble());
            result.Words.append({word.captured(5), QRectF(topLeft, bottomRight)});
        }
        pages.append(result);
    }
    return pages;
}

// The words of each printed line, top to bottom.
QStringList Lines(const TPage &page)
{
    std::map<int, QList<TWord>> rows;
    for (const TWord &word : page.Words)
        rows[qRound(word.Box.top())].append(word);
    QStringList lines;
    for (auto &[top, words] : rows) {
        std::sort(words.begin(), words.end(),
                  [](const TWord &a, const TWord &b) { return a.Box.left() < b.Box.left(); });
        QStringList texts;
        for (const TWord &word : words)
            texts.append(word.Text);
        lines.append(texts.join(QLatin1Char(' ')));
    }
    return lines;
}

QString NumberedLines(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(QStringLiteral("line %1").arg(i));
    return lines.join(QLatin1Char('\n'));
}

// The numbers of "line N", in printed order over all pages.
QList<int> LineNumbers(const QList<TPage> &pages)
{
    QList<int> numbers;
    for (const TPage &page : pages)
        for (const QString &line : Lines(page)) {
            const QStringList parts = line.split(QLatin1Char(' '));
            if (parts.size() == 2 && parts[0] == QLatin1String("line"))
                numbers.append(parts[1].toInt());
        }
    return numbers;
}

void VerifyInsideMargins(const QList<TPage> &pages)
{
    for (const TPage &page : pages) {
        const QRectF body(
            QPointF(KHalfInch - KTolerance, KHalfInch - KTolerance),
            QPointF(page.Size.width() - KHalfInch + KTolerance, page.Size.height() - KHalfInch + KTolerance));
        for (const TWord &word : page.Words)
            QVERIFY2(body.contains(word.Box),
                     qPrintable(QStringLiteral("'%1' at (%2,%3)-(%4,%5) outside the margins")
                                    .arg(word.Text)
                                    .arg(word.Box.left())
                                    .arg(word.Box.top())
                                    .arg(word.Box.right())
                                    .arg(word.Box.bottom())));
    }
}

} // namespace

class TPrintTextTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FDir;
    QString FPdf;
    std::unique_ptr<QPrinter> FPrinter;

    // A PDF printer without margins of its own: the text's margins are then
    // measured from the paper's edge.
    QPrinter &Printer(QPrinter::PrinterMode mode = QPrinter::HighResolution)
    {
        FPrinter = std::make_unique<QPrinter>(mode);
        FPrinter->setOutputFormat(QPrinter::PdfFormat);
        FPrinter->setOutputFileName(FPdf);
        FPrinter->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
        return *FPrinter;
    }

    static QFont TextFont(double points = 12)
    {
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPointSizeF(points);
        return font;
    }

    static void AddResolutions()
    {
        QTest::addColumn<QPrinter::PrinterMode>("mode");
        QTest::newRow("screen resolution") << QPrinter::ScreenResolution;
        QTest::newRow("high resolution") << QPrinter::HighResolution;
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QSKIP("pdftotext/pdfinfo (poppler-utils) not installed");
        QVERIFY(FDir.isValid());
    }

    void init() { FPdf = FDir.filePath(QStringLiteral("%1.pdf").arg(QTest::currentTestFunction())); }

    void linesInOrderWithEitherLineBreak_data() { AddResolutions(); }
    void linesInOrderWithEitherLineBreak()
    {
        QFETCH(QPrinter::PrinterMode, mode);
        PrintPlainText(Printer(mode), QStringLiteral("Buy milk\r\nCall the dentist\nFeed cat\r\n"),
                       TextFont(), QStringLiteral("Shopping"));
        const QList<TPage> pages = ReadPages(FPdf);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(Lines(pages[0]), QStringList({QStringLiteral("Buy milk"), QStringLiteral("Call the dentist"),
                                               QStringLiteral("Feed cat")}));
    }

    void jobTitleAndPageCount()
    {
        PrintPlainText(Printer(), NumberedLines(150), TextFont(), QStringLiteral("Note of Monday"));
        const QString info = Run(QStringLiteral("pdfinfo"), {FPdf});
        QVERIFY(info.contains(QRegularExpression(QStringLiteral(R"(^Title:\s+Note of Monday$)"),
                                                 QRegularExpression::MultilineOption)));
        const auto pages =
            QRegularExpression(QStringLiteral(R"(^Pages:\s+(\d+)$)"), QRegularExpression::MultilineOption)
                .match(info);
        QVERIFY(pages.hasMatch());
        QCOMPARE(pages.captured(1).toInt(), ReadPages(FPdf).size());
        QVERIFY(pages.captured(1).toInt() > 1);
    }

    // The layout breaks pages between lines: nothing lost, doubled, cut in
    // half or printed into the bottom margin.
    void longTextOverSeveralPages_data() { AddResolutions(); }
    void longTextOverSeveralPages()
    {
        QFETCH(QPrinter::PrinterMode, mode);
        PrintPlainText(Printer(mode), NumberedLines(300), TextFont(), QStringLiteral("Long"));
        const QList<TPage> pages = ReadPages(FPdf);
        QVERIFY2(pages.size() >= 4, qPrintable(QString::number(pages.size())));
        QList<int> expected;
        for (int i = 1; i <= 300; ++i)
            expected.append(i);
        QCOMPARE(LineNumbers(pages), expected);
        VerifyInsideMargins(pages);
        // Pages are filled: each but the last ends within two lines of the
        // bottom margin.
        for (qsizetype i = 0; i + 1 < pages.size(); ++i) {
            double bottom = 0;
            for (const TWord &word : pages[i].Words)
                bottom = std::max(bottom, word.Box.bottom());
            QVERIFY2(bottom > pages[i].Size.height() - KHalfInch - 2 * 14,
                     qPrintable(QStringLiteral("page %1 ends at %2").arg(i + 1).arg(bottom)));
        }
    }

    void longParagraphIsWordWrapped_data() { AddResolutions(); }
    void longParagraphIsWordWrapped()
    {
        QFETCH(QPrinter::PrinterMode, mode);
        QStringList words;
        for (int i = 1; i <= 400; ++i)
            words.append(QStringLiteral("w%1").arg(i));
        PrintPlainText(Printer(mode), words.join(QLatin1Char(' ')), TextFont(), QStringLiteral("Wrap"));
        const QList<TPage> pages = ReadPages(FPdf);
        QCOMPARE(pages.size(), 1);
        QStringList printed;
        for (const QString &line : Lines(pages[0]))
            printed += line.split(QLatin1Char(' '));
        QCOMPARE(printed, words);
        QVERIFY(Lines(pages[0]).size() > 5);
        VerifyInsideMargins(pages);
    }

    // A word wider than the line cannot wrap at a space; it is broken
    // rather than run off the paper.
    void overlongWordStaysOnThePaper()
    {
        PrintPlainText(Printer(), QString(300, QLatin1Char('x')), TextFont(), QStringLiteral("Wide"));
        const QList<TPage> pages = ReadPages(FPdf);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(Lines(pages[0]).join(QString()), QString(300, QLatin1Char('x')));
        VerifyInsideMargins(pages);
    }

    // Half an inch from the printable area's corner: from the paper's edge
    // when the printer has no margins, inside its own margins otherwise.
    void halfInchMargins_data()
    {
        QTest::addColumn<QPrinter::PrinterMode>("mode");
        QTest::addColumn<QPageSize::PageSizeId>("size");
        QTest::addColumn<double>("printerMargin");
        QTest::newRow("A4") << QPrinter::HighResolution << QPageSize::A4 << 0.0;
        QTest::newRow("Letter") << QPrinter::HighResolution << QPageSize::Letter << 0.0;
        QTest::newRow("Letter, screen resolution") << QPrinter::ScreenResolution << QPageSize::Letter << 0.0;
        QTest::newRow("A4, printer margins") << QPrinter::HighResolution << QPageSize::A4 << 10.0;
    }
    void halfInchMargins()
    {
        QFETCH(QPrinter::PrinterMode, mode);
        QFETCH(QPageSize::PageSizeId, size);
        QFETCH(double, printerMargin);
        QPrinter &printer = Printer(mode);
        printer.setPageSize(QPageSize(size));
        printer.setPageMargins(QMarginsF(printerMargin, printerMargin, printerMargin, printerMargin),
                               QPageLayout::Point);
        PrintPlainText(printer, NumberedLines(200), TextFont(), QStringLiteral("Margins"));
        const QList<TPage> pages = ReadPages(FPdf);
        QVERIFY(pages.size() > 1);
        const QSizeF paper = QPageSize(size).size(QPageSize::Point);
        QVERIFY(qAbs(pages[0].Size.width() - paper.width()) < 1);
        QVERIFY(qAbs(pages[0].Size.height() - paper.height()) < 1);

        const double edge = KHalfInch + printerMargin;
        for (const TPage &page : pages) {
            double left = page.Size.width(), top = page.Size.height(), bottom = 0;
            for (const TWord &word : page.Words) {
                left = std::min(left, word.Box.left());
                top = std::min(top, word.Box.top());
                bottom = std::max(bottom, word.Box.bottom());
            }
            QVERIFY2(qAbs(left - edge) < KTolerance, qPrintable(QString::number(left)));
            // The box of the first line starts at its ascent: at the margin.
            QVERIFY2(qAbs(top - edge) < KTolerance, qPrintable(QString::number(top)));
            QVERIFY2(bottom < page.Size.height() - edge + KTolerance, qPrintable(QString::number(bottom)));
        }
    }

    // Point sizes map to the printer's resolution, whatever it is.
    void fontSizeInPoints_data()
    {
        QTest::addColumn<QPrinter::PrinterMode>("mode");
        QTest::addColumn<double>("points");
        QTest::newRow("10 pt, screen") << QPrinter::ScreenResolution << 10.0;
        QTest::newRow("10 pt, high") << QPrinter::HighResolution << 10.0;
        QTest::newRow("24 pt, high") << QPrinter::HighResolution << 24.0;
    }
    void fontSizeInPoints()
    {
        QFETCH(QPrinter::PrinterMode, mode);
        QFETCH(double, points);
        PrintPlainText(Printer(mode), QStringLiteral("Hello\nWorld"), TextFont(points),
                       QStringLiteral("Size"));
        const QList<TPage> pages = ReadPages(FPdf);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages[0].Words.size(), 2);
        // Liberation Sans: ascent plus descent is 1.12 em, the line 1.15 em.
        const double height = pages[0].Words[0].Box.height();
        QVERIFY2(height > points * 1.0 && height < points * 1.3, qPrintable(QString::number(height)));
        const double pitch = pages[0].Words[1].Box.top() - pages[0].Words[0].Box.top();
        QVERIFY2(pitch > points * 1.0 && pitch < points * 1.4, qPrintable(QString::number(pitch)));
    }

    void emptyTextPrintsOneEmptyPage()
    {
        PrintPlainText(Printer(), QString(), TextFont(), QStringLiteral("Empty"));
        const QList<TPage> pages = ReadPages(FPdf);
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].Words.isEmpty());
    }

    // What the print dialog set: a page range, and copies the PDF printer
    // cannot make itself.
    void pageRangeAndCopies_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("copies");
        QTest::addColumn<bool>("collate");
        QTest::addColumn<QList<int>>("expectedPages");
        QTest::newRow("second page") << 2 << 2 << 1 << true << QList<int>{2};
        QTest::newRow("from page 2 to past the end") << 2 << 99 << 1 << true << QList<int>{2, 3, 4, 5};
        QTest::newRow("two copies collated")
            << 0 << 0 << 2 << true << QList<int>{1, 2, 3, 4, 5, 1, 2, 3, 4, 5};
        QTest::newRow("two copies of pages 1-2, uncollated")
            << 1 << 2 << 2 << false << QList<int>{1, 1, 2, 2};
    }
    void pageRangeAndCopies()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, copies);
        QFETCH(bool, collate);
        QFETCH(QList<int>, expectedPages);

        // Where each page starts, from a print of everything.
        const QString text = NumberedLines(240);
        PrintPlainText(Printer(), text, TextFont(), QStringLiteral("All"));
        const QList<TPage> all = ReadPages(FPdf);
        QCOMPARE(all.size(), 5);

        QPrinter &printer = Printer();
        if (from > 0) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(from, to);
        }
        printer.setCopyCount(copies);
        printer.setCollateCopies(collate);
        PrintPlainText(printer, text, TextFont(), QStringLiteral("Some"));
        const QList<TPage> pages = ReadPages(FPdf);
        QCOMPARE(pages.size(), expectedPages.size());
        for (qsizetype i = 0; i < pages.size(); ++i)
            QCOMPARE(Lines(pages[i]), Lines(all[expectedPages[i] - 1]));
    }

    void unopenablePrinterThrows()
    {
        QPrinter &printer = Printer();
        printer.setOutputFileName(FDir.filePath(QStringLiteral("no such folder/out.pdf")));
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        try {
            PrintPlainText(printer, QStringLiteral("text"), TextFont(), QStringLiteral("Fails"));
            QFAIL("no exception");
        } catch (const EJbxError &error) {
            QCOMPARE(error.Message(), QStringLiteral("Unable to print: the printer could not be opened."));
        }
    }
};

QTEST_MAIN(TPrintTextTest)
#include "tst_printtext.moc"
