#include "base/JbxError.h"
#include "controls/TSkinImage.h"
#include "support/TestTasks.h"
#include "tasklist/ListPictures.h"
#include "tasklist/SkinArt.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <limits>

namespace {
QString SkinFolder(const QString &skin) { return QStringLiteral(JBX_SOURCE_DIR "/assets/skins/") + skin; }

QImage Committed(const QString &skin, const QString &file)
{
    return QImage(SkinFolder(skin) + QLatin1Char('/') + file, "BMP").convertToFormat(QImage::Format_RGB32);
}

// The window's layout fixes these; 0 marks the length the window stretches.
QSize FormatSize(const QString &file)
{
    static const QHash<QString, QSize> sizes{{"top_left.bmp", {12, 30}},
                                             {"top_right.bmp", {12, 30}},
                                             {"top_left_bar.bmp", {12, 30}},
                                             {"top_right_bar.bmp", {12, 30}},
                                             {"top_mid.bmp", {0, 30}},
                                             {"left_mid.bmp", {7, 0}},
                                             {"right_mid.bmp", {8, 0}},
                                             {"right_top.bmp", {8, 17}},
                                             {"bottom_left.bmp", {12, 39}},
                                             {"bottom_mid.bmp", {0, 39}},
                                             {"bottom_right.bmp", {12, 39}},
                                             {"s.bmp", {19, 19}},
                                             {"x.bmp", {19, 19}},
                                             {"search.bmp", {40, 17}},
                                             {"new.bmp", {23, 15}},
                                             {"del.bmp", {23, 15}}};
    return sizes.value(file);
}

void AddSkinRows()
{
    QTest::addColumn<QString>("skin");
    for (const QString &skin : ShippedSkinNames())
        QTest::newRow(qPrintable(skin)) << skin;
}

// A bitmap file's bytes with its header fields overwritten: the width and
// height at 18 and 22, the pixels' offset at 10.
QByteArray PatchedBitmap(const QByteArray &bitmap, qint32 width, qint32 height, quint32 offset = 0)
{
    QByteArray bytes = bitmap;
    qToLittleEndian(width, bytes.data() + 18);
    qToLittleEndian(height, bytes.data() + 22);
    if (offset)
        qToLittleEndian(offset, bytes.data() + 10);
    return bytes;
}

QByteArray Encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage Column(const QImage &image, int x) { return image.copy(x, 0, 1, image.height()); }
QImage Row(const QImage &image, int y, int from, int count) { return image.copy(from, y, count, 1); }
} // namespace

class TestSkins : public QObject {
    Q_OBJECT

private slots:
    void shippedFolders()
    {
        QCOMPARE(ShippedSkinNames().value(0), QStringLiteral("1")); // the default comes first
        QCOMPARE(SkinFileNames().size(), 16);
        QCOMPARE(SkinFileNames().removeDuplicates(), 0);
    }

    void committedFilesHaveTheFormat_data() { AddSkinRows(); }
    void committedFilesHaveTheFormat()
    {
        QFETCH(QString, skin);
        for (const QString &file : SkinFileNames()) {
            const QImage image = Committed(skin, file);
            QVERIFY2(!image.isNull(), qPrintable(file));
            const QSize format = FormatSize(file);
            QVERIFY2(format.width() >= 0, qPrintable(file));
            if (format.width() > 0)
                QVERIFY2(image.width() == format.width(), qPrintable(file));
            if (format.height() > 0)
                QVERIFY2(image.height() == format.height(), qPrintable(file));
        }
        QFile name(SkinFolder(skin) + QStringLiteral("/skinname.txt"));
        QVERIFY(name.open(QIODevice::ReadOnly));
        const QString firstLine = QString::fromUtf8(name.readLine()).trimmed();
        QVERIFY(!firstLine.isEmpty());
        QCOMPARE(firstLine, SkinDisplayName(skin));
    }

    // The committed files are the generator's output: run tools/make_skins
    // into assets/skins after changing the drawing.
    void committedFilesMatchTheDrawing_data() { AddSkinRows(); }
    void committedFilesMatchTheDrawing()
    {
        QFETCH(QString, skin);
        for (const QString &file : SkinFileNames())
            QVERIFY2(Committed(skin, file) == DrawSkinPart(skin, file), qPrintable(file));
    }

    void piecesJoinUp_data() { AddSkinRows(); }
    void piecesJoinUp()
    {
        QFETCH(QString, skin);
        auto part = [&](const char *file) { return DrawSkinPart(skin, QString::fromLatin1(file)); };
        const QImage topMid = part("top_mid.bmp"), leftMid = part("left_mid.bmp");
        const QImage rightMid = part("right_mid.bmp"), bottomMid = part("bottom_mid.bmp");

        // Stretched pieces are the same all along.
        for (int x = 1; x < topMid.width(); ++x)
            QCOMPARE(Column(topMid, x), Column(topMid, 0));
        for (int x = 1; x < bottomMid.width(); ++x)
            QCOMPARE(Column(bottomMid, x), Column(bottomMid, 0));
        for (int y = 1; y < leftMid.height(); ++y) {
            QCOMPARE(Row(leftMid, y, 0, 7), Row(leftMid, 0, 0, 7));
            QCOMPARE(Row(rightMid, y, 0, 8), Row(rightMid, 0, 0, 8));
        }

        // The ends meet the stretched middles, shrunk and expanded alike.
        for (const char *left : {"top_left.bmp", "top_left_bar.bmp"})
            QCOMPARE(Column(part(left), 11), Column(topMid, 0));
        for (const char *right : {"top_right.bmp", "top_right_bar.bmp"})
            QCOMPARE(Column(part(right), 0), Column(topMid, 0));
        QCOMPARE(Column(part("bottom_left.bmp"), 11), Column(bottomMid, 0));
        QCOMPARE(Column(part("bottom_right.bmp"), 0), Column(bottomMid, 0));

        // Expanded, the title ends run on into the edges (up to the line
        // along the list); the corners below continue them; the right top
        // piece is part of the right edge.
        QCOMPARE(Row(part("top_left.bmp"), 29, 0, 6), Row(leftMid, 0, 0, 6));
        QCOMPARE(Row(part("top_right.bmp"), 29, 6, 6), Row(rightMid, 0, 2, 6));
        QCOMPARE(Row(part("bottom_left.bmp"), 0, 0, 7), Row(leftMid, 0, 0, 7));
        QCOMPARE(Row(part("bottom_right.bmp"), 0, 4, 8), Row(rightMid, 0, 0, 8));
        QCOMPARE(Row(part("right_top.bmp"), 16, 0, 8), Row(rightMid, 0, 0, 8));

        // Shrunk, the ends close the bar below: the bottom corner rounds
        // off where the expanded end runs on down.
        QVERIFY(part("top_left_bar.bmp").pixel(0, 29) != part("top_left.bmp").pixel(0, 29));
        QVERIFY(part("top_right_bar.bmp").pixel(11, 29) != part("top_right.bmp").pixel(11, 29));
    }

    // The window leaves out every pixel of a title button's bottom-left
    // colour: it must stay in the corners.
    void titleButtonsKeyOnlyTheCorners_data() { AddSkinRows(); }
    void titleButtonsKeyOnlyTheCorners()
    {
        QFETCH(QString, skin);
        for (const char *file : {"s.bmp", "x.bmp"}) {
            const QImage button = DrawSkinPart(skin, QString::fromLatin1(file));
            const QRgb key = button.pixel(0, button.height() - 1);
            QCOMPARE(button.pixel(0, 0), key);
            QCOMPARE(button.pixel(button.width() - 1, 0), key);
            int keyed = 0;
            for (int y = 0; y < button.height(); ++y)
                for (int x = 0; x < button.width(); ++x)
                    if (button.pixel(x, y) == key) {
                        ++keyed;
                        const bool corner = (x < 3 || x > 15) && (y < 3 || y > 15);
                        QVERIFY2(corner, qPrintable(QStringLiteral("%1 at %2,%3").arg(file).arg(x).arg(y)));
                    }
            QVERIFY(keyed >= 4);
        }
        QVERIFY(DrawSkinPart(skin, "s.bmp") != DrawSkinPart(skin, "x.bmp"));
    }

    void committedFilesReadAsSkinBitmaps_data() { AddSkinRows(); }
    void committedFilesReadAsSkinBitmaps()
    {
        QFETCH(QString, skin);
        for (const QString &file : SkinFileNames()) {
            QImage picture;
            QCOMPARE(ReadSkinBitmap(SkinFolder(skin) + u'/' + file, picture), QString());
            QCOMPARE(picture.convertToFormat(QImage::Format_RGB32), Committed(skin, file));
        }
    }

    // A damaged bitmap is told as such, costs no memory beyond the file's
    // own size, and leaves the picture it was read into as it was.
    void damagedSkinBitmapsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = ReadFileBytes(SkinFolder("1") + QStringLiteral("/top_left.bmp"));
        QVERIFY(good.size() > 100);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("cut in the header") << good.left(30);
        QTest::newRow("cut in the pixels") << good.left(good.size() / 2);
        QByteArray noise(2000, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + 13) % 251);
        QTest::newRow("noise") << noise;
        QTest::newRow("bitmap header, then noise") << good.left(14) + noise;
        QTest::newRow("text") << QByteArray("not a picture\r\n").repeated(30);
        QTest::newRow("png") << Encoded(Committed("1", "top_left.bmp"), "PNG");
        QTest::newRow("30000 x 30000") << PatchedBitmap(good, 30000, 30000);
        QTest::newRow("8000 x 7990") << PatchedBitmap(good, 8000, 7990);
        QTest::newRow("negative width") << PatchedBitmap(good, -12, 30);
        QTest::newRow("lowest height") << PatchedBitmap(good, 12, std::numeric_limits<qint32>::min());
        QTest::newRow("pixels past the end") << PatchedBitmap(good, 12, 30, 0x7FFFFFF0);
        QImage wide(MaxSkinBitmapSide + 1, 2, QImage::Format_RGB32);
        wide.fill(Qt::blue);
        QTest::newRow("wider than any screen") << Encoded(wide, "BMP");
    }

    void damagedSkinBitmapsAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("top_left.bmp"));
        QVERIFY(WriteFileBytes(path, bytes));
        QImage picture(3, 3, QImage::Format_RGB32);
        picture.fill(Qt::red);
        const QImage before = picture;
        QCOMPARE(ReadSkinBitmap(path, picture), QStringLiteral("Bitmap image is not valid: ") + path);
        QCOMPARE(picture, before);
    }

    void missingAndOddSkinFiles()
    {
        QTemporaryDir dir;
        QImage picture;
        const QString missing = dir.filePath(QStringLiteral("x.bmp"));
        QCOMPARE(ReadSkinBitmap(missing, picture), JbxMessages::CannotOpenFile(missing));
        const QString folder = dir.filePath(QStringLiteral("s.bmp"));
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(ReadSkinBitmap(folder, picture), QStringLiteral("Bitmap image is not valid: ") + folder);
        QVERIFY(picture.isNull());
    }

    void unknownNamesDrawNothing()
    {
        QVERIFY(DrawSkinPart("3", "s.bmp").isNull());
        QVERIFY(DrawSkinPart("1", "help.bmp").isNull());
        QVERIFY(SkinDisplayName("3").isEmpty());
    }

    void listPictures()
    {
        auto opaquePixels = [](const QPixmap &picture) {
            const QImage image = picture.toImage();
            int count = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    count += qAlpha(image.pixel(x, y)) > 128;
            return count;
        };
        QList<QImage> seen;
        for (int i = 0; i <= int(TListPicture::Priority); ++i) {
            const QPixmap picture = ListPicture(TListPicture(i));
            QCOMPARE(picture.size(), QSize(16, 16));
            QVERIFY(opaquePixels(picture) > 5);
            QCOMPARE(qAlpha(picture.toImage().pixel(0, 0)), 0); // drawn over the row's colour
            const QImage image = picture.toImage();
            QVERIFY2(!seen.contains(image), qPrintable(QString::number(i)));
            seen.append(image);
        }
        QCOMPARE(LargeNoteIcon().size(), QSize(32, 32));
        QCOMPARE(ListIconPicture().size(), QSize(16, 16));
        QCOMPARE(HelpButtonPicture().size(), QSize(19, 19));
        for (const QPixmap &picture : {LargeNoteIcon(), ListIconPicture(), HelpButtonPicture()})
            QVERIFY(opaquePixels(picture) > 20);
    }
};

QTEST_MAIN(TestSkins)
#include "tst_skins.moc"
